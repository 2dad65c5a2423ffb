#include "Platform/TypeIdentifiers.h"

#include <array>

namespace {

struct Row
{
    const char *identifier;
    const char *mimeType;
    const char *extension;
};

// The first row of a MIME type wins when an identifier is looked up from it.
constexpr std::array<Row, 8> rows { {
    { "public.png", "image/png", "png" },
    { "public.jpeg", "image/jpeg", "jpeg" },
    { "public.heic", "image/heic", "heic" },
    { "com.compuserve.gif", "image/gif", "gif" },
    { "public.tiff", "image/tiff", "tiff" },
    { "public.utf8-plain-text", "text/plain", "txt" },
    { "public.url", "text/uri-list", "" },
    { "public.file-url", "text/uri-list", "" },
} };

} // namespace

namespace TypeIdentifiers {

QString mimeType(const QString &identifier)
{
    for (const Row &row : rows) {
        if (identifier == QLatin1String(row.identifier))
            return QString::fromLatin1(row.mimeType);
    }
    if (identifier.count(QLatin1Char('/')) == 1 && !identifier.startsWith(QLatin1Char('/'))
        && !identifier.endsWith(QLatin1Char('/')))
        return identifier;
    return {};
}

QString identifier(const QString &mimeType)
{
    const QString bare = mimeType.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    for (const Row &row : rows) {
        if (bare == QLatin1String(row.mimeType))
            return QString::fromLatin1(row.identifier);
    }
    return {};
}

QString preferredExtension(const QString &identifier)
{
    for (const Row &row : rows) {
        if (identifier == QLatin1String(row.identifier) && *row.extension)
            return QString::fromLatin1(row.extension);
    }
    return QStringLiteral("png");
}

} // namespace TypeIdentifiers
