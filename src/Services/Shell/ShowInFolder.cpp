#include "Services/Shell/ShowInFolder.h"

#include "Platform/FileRevealer.h"

bool ShowInFolder::show(FileRevealer &revealer, const QString &path, Way way)
{
    if (!revealer.hasFileManager())
        return false;
    if (way == Way::Select)
        revealer.reveal(path);
    else
        revealer.openFolder(path);
    return true;
}

QString ShowInFolder::noFileManager()
{
    return QStringLiteral("There is no file manager to show it in.");
}

QString ShowInFolder::copyHint()
{
    return QStringLiteral("Its path is selected: copy it with Ctrl+C.");
}
