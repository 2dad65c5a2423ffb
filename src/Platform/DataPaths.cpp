#include "Platform/DataPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DataPaths {

QString appFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Vemra");
}

bool ensureFolder(const QString &path)
{
    QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists())
        return false;
    const QString parent = info.absolutePath();
    if (parent != info.absoluteFilePath() && !ensureFolder(parent))
        return false;
    QDir dir;
    if (!dir.mkdir(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
        return QFileInfo(path).isDir();
    return true;
}

} // namespace DataPaths
