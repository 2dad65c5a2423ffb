#pragma once

#include <QString>

// The type identifiers that stored clipboard entries and export files carry ("public.png", …),
// and the MIME types that stand for them on the X11 clipboard. One table serves both ways.
namespace TypeIdentifiers {

inline QString png()
{
    return QStringLiteral("public.png");
}
inline QString jpeg()
{
    return QStringLiteral("public.jpeg");
}
inline QString heic()
{
    return QStringLiteral("public.heic");
}
inline QString gif()
{
    return QStringLiteral("com.compuserve.gif");
}
inline QString tiff()
{
    return QStringLiteral("public.tiff");
}
inline QString utf8PlainText()
{
    return QStringLiteral("public.utf8-plain-text");
}
inline QString url()
{
    return QStringLiteral("public.url");
}
inline QString fileUrl()
{
    return QStringLiteral("public.file-url");
}

// The MIME type under which a payload of this identifier is offered on the clipboard.
// An identifier outside the table that already reads as a MIME type ("type/subtype") is
// returned unchanged; any other unknown identifier gives an empty string.
QString mimeType(const QString &identifier);

// The identifier of a MIME type, or an empty string when the table has none.
QString identifier(const QString &mimeType);

// The file-name extension for stored bytes of this identifier; "png" when it has none.
QString preferredExtension(const QString &identifier);

} // namespace TypeIdentifiers
