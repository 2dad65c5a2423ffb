#include "Platform/dbus/FileManagerRevealer.h"

#include "Platform/Logging.h"
#include "Platform/dbus/BusDaemon.h"
#include "Platform/linux/FolderHandler.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QUrl>
#include <QtConcurrent>

namespace {

const QString fileManagerService = QStringLiteral("org.freedesktop.FileManager1");

} // namespace

FileManagerRevealer::FileManagerRevealer(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    if (m_bus.isConnected()) {
        auto *owner
            = new QDBusServiceWatcher(fileManagerService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) { m_running = !newOwner.isEmpty(); });
    }
    learn();
}

template <typename Take> void FileManagerRevealer::askBus(const QDBusMessage &call, Take take)
{
    ++m_learning;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, take](QDBusPendingCallWatcher *self) {
        const QDBusMessage reply = self->reply();
        if (reply.type() == QDBusMessage::ReplyMessage)
            take(reply.arguments().value(0));
        else
            qCWarning(lcDBus) << "could not learn whether there is a file manager:" << reply.errorMessage();
        --m_learning;
        self->deleteLater();
    });
}

void FileManagerRevealer::learn()
{
    // Each question reaches another program or the disk, either of which may hang: nothing
    // here waits for an answer, and the answers are kept for the next question.
    if (m_learning > 0)
        return;
    if (m_bus.isConnected()) {
        QDBusMessage hasOwner = busDaemonCall(QStringLiteral("NameHasOwner"));
        hasOwner << fileManagerService;
        askBus(hasOwner, [this](const QVariant &answer) { m_running = answer.toBool(); });
        askBus(busDaemonCall(QStringLiteral("ListActivatableNames")),
            [this](const QVariant &answer) { m_activatable = answer.toStringList().contains(fileManagerService); });
    }
    ++m_learning;
    auto *handler = new QFutureWatcher<QString>(this);
    connect(handler, &QFutureWatcherBase::finished, this, [this, handler] {
        m_folderHandler = !handler->result().isEmpty();
        --m_learning;
        handler->deleteLater();
    });
    handler->setFuture(QtConcurrent::run(&FolderHandler::find));
}

bool FileManagerRevealer::hasFileManager()
{
    const bool known = m_running || m_activatable || m_folderHandler;
    learn();
    return known;
}

void FileManagerRevealer::openWithDesktop(const QString &folder) const
{
    if (!m_folderHandler) {
        qCWarning(lcDBus) << "no file manager to open" << folder;
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

// Asks the file manager to show `path` through `method`; opens `fallback` when no file manager
// answers. Asynchronous: a file manager that is slow to start must not freeze the interface.
void FileManagerRevealer::askFileManager(const QString &method, const QString &path, const QString &fallback)
{
    if (!m_bus.isConnected()) {
        openWithDesktop(fallback);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(fileManagerService,
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"), method);
    call << QStringList { QUrl::fromLocalFile(path).toString() } << QString();
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 10000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, fallback](QDBusPendingCallWatcher *self) {
        if (self->isError())
            openWithDesktop(fallback);
        self->deleteLater();
    });
}

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
