#pragma once

#include <QString>
#include <QStringList>

// The MIME types the clipboard's readers and writers name.
namespace ClipboardTypes {

inline QString plainText()
{
    return QStringLiteral("text/plain");
}
inline QString uriList()
{
    return QStringLiteral("text/uri-list");
}
// The target file managers read copied files from.
inline QString gnomeCopiedFiles()
{
    return QStringLiteral("x-special/gnome-copied-files");
}
// The marker password managers put beside a secret; its value "secret" asks clipboard
// histories to leave the copy alone.
inline QString passwordManagerHint()
{
    return QStringLiteral("x-kde-passwordManagerHint");
}

// Whether the types offer a list of files.
inline bool offersFiles(const QStringList &types)
{
    return types.contains(uriList()) || types.contains(gnomeCopiedFiles());
}

} // namespace ClipboardTypes
