#include "Platform/dbus/FileManagerRevealer.h"

#include "Platform/Logging.h"
#include "Platform/linux/FolderHandler.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {

void openWithDesktop(const QString &folder)
{
    if (FolderHandler::find().isEmpty()) {
        qCWarning(lcDBus) << "no file manager to open" << folder;
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

const QString fileManagerService = QStringLiteral("org.freedesktop.FileManager1");

// Asks the file manager to show `path` through `method`; opens `fallback` when no file manager
// answers. Asynchronous: a file manager that is slow to start must not freeze the interface.
void askFileManager(const QString &method, const QString &path, const QString &fallback)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openWithDesktop(fallback);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(fileManagerService,
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"), method);
    call << QStringList { QUrl::fromLocalFile(path).toString() } << QString();
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 10000), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [fallback](QDBusPendingCallWatcher *self) {
        if (self->isError())
            openWithDesktop(fallback);
        self->deleteLater();
    });
}

} // namespace

QString FileManagerRevealer::fallbackFolder(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

void FileManagerRevealer::reveal(const QString &path)
{
    askFileManager(QStringLiteral("ShowItems"), path, fallbackFolder(path));
}

void FileManagerRevealer::openFolder(const QString &folder)
{
    askFileManager(QStringLiteral("ShowFolders"), folder, folder);
}

bool FileManagerRevealer::hasFileManager() const
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (QDBusConnectionInterface *daemon = bus.isConnected() ? bus.interface() : nullptr) {
        if (daemon->isServiceRegistered(fileManagerService).value())
            return true;
        const QDBusReply<QStringList> activatable = daemon->activatableServiceNames();
        if (activatable.isValid() && activatable.value().contains(fileManagerService))
            return true;
    }
    return !FolderHandler::find().isEmpty();
}
