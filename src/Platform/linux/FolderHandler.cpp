#include "Platform/linux/FolderHandler.h"

#include "Platform/linux/DesktopEntryFile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>

namespace FolderHandler {

namespace {

const QString folderType = QStringLiteral("inode/directory");

QStringList applicationFolders()
{
    return QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
}

bool isInstalled(const QString &id)
{
    for (const QString &folder : applicationFolders()) {
        if (QFile::exists(folder + QLatin1Char('/') + id))
            return true;
    }
    return false;
}

// The first installed entry that `group` of the lists names for folders.
QString fromLists(const QStringList &lists, const QString &group)
{
    for (const QString &path : lists) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QString found;
        DesktopEntryFile::readGroup(file, group, [&found](const QString &key, const QString &value) {
            if (key != folderType)
                return true;
            for (const QString &id : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
                if (isInstalled(id.trimmed())) {
                    found = id.trimmed();
                    return false;
                }
            }
            return true;
        });
        if (!found.isEmpty())
            return found;
    }
    return {};
}

bool declaresFolders(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool declares = false;
    DesktopEntryFile::readMainGroup(file, [&declares](const QString &key, const QString &value) {
        if (key != QLatin1String("MimeType"))
            return true;
        declares = value.split(QLatin1Char(';'), Qt::SkipEmptyParts).contains(folderType);
        return false;
    });
    return declares;
}

} // namespace

QString find()
{
    QStringList lists;
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        lists << folder + QStringLiteral("/mimeapps.list");
    for (const QString &folder : applicationFolders())
        lists << folder + QStringLiteral("/mimeapps.list");
    for (const QString &group : { QStringLiteral("Default Applications"), QStringLiteral("Added Associations") }) {
        QString found = fromLists(lists, group);
        if (!found.isEmpty())
            return found;
    }
    for (const QString &folder : applicationFolders()) {
        const QStringList entries = QDir(folder).entryList({ QStringLiteral("*.desktop") }, QDir::Files, QDir::Name);
        for (const QString &entry : entries) {
            if (declaresFolders(folder + QLatin1Char('/') + entry))
                return entry;
        }
    }
    return {};
}

} // namespace FolderHandler
