#include "Platform/linux/UserIcons.h"

#include "Platform/Logging.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QSaveFile>
#include <QStandardPaths>

namespace UserIcons {

bool installScalable(const QString &name, const QByteArray &svg)
{
    const QString root
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/icons");
    const QString folder = root + QStringLiteral("/hicolor/scalable/apps");
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".svg");
    QFile existing(path);
    const bool same = existing.open(QIODevice::ReadOnly) && existing.readAll() == svg;
    if (!same) {
        QSaveFile file(path);
        const bool written = QDir().mkpath(folder) && file.open(QIODevice::WriteOnly)
            && file.setPermissions(
                QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther)
            && file.write(svg) == svg.size() && file.commit();
        if (!written) {
            qCWarning(lcPlatform) << "cannot write the icon" << path << file.errorString();
            return false;
        }
    }
    // Qt reads its search paths, and what each theme holds, once: setting them again makes it
    // look afresh.
    QStringList paths = QIcon::themeSearchPaths();
    if (!same || !paths.contains(root)) {
        if (!paths.contains(root))
            paths.prepend(root);
        QIcon::setThemeSearchPaths(paths);
    }
    return true;
}

} // namespace UserIcons
