#include "Platform/dbus/StatusNotifierHost.h"

#include "Platform/Logging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>

#include <algorithm>

namespace {

QDBusMessage busCall(const QString &method)
{
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"), method);
}

} // namespace

StatusNotifierHost::StatusNotifierHost(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    if (!m_bus.isConnected()) {
        m_present = false;
        return;
    }
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    auto *owner = new QDBusServiceWatcher(watcher, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString &, const QString &, const QString &newOwner) {
            m_present = !newOwner.isEmpty();
            Q_EMIT learnt();
        });
    QDBusMessage hasOwner = busCall(QStringLiteral("NameHasOwner"));
    hasOwner << watcher;
    askBus(hasOwner, [this](const std::optional<QVariant> &answer) {
        // A change told meanwhile is newer.
        if (!m_present)
            m_present = answer && answer->toBool();
        Q_EMIT learnt();
    });
}

template <typename Take> void StatusNotifierHost::askBus(const QDBusMessage &call, Take take)
{
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [take](QDBusPendingCallWatcher *self) {
        const QDBusMessage reply = self->reply();
        self->deleteLater();
        if (reply.type() == QDBusMessage::ReplyMessage) {
            take(reply.arguments().value(0));
            return;
        }
        qCDebug(lcDBus) << "no answer about the tray's host:" << reply.errorMessage();
        take(std::nullopt);
    });
}

void StatusNotifierHost::learnHostProcess()
{
    if (m_learning || !m_bus.isConnected())
        return;
    m_learning = true;
    const auto learn = [this](std::optional<qint64> process) {
        m_learning = false;
        m_hostProcess = process;
        Q_EMIT learnt();
    };
    askBus(busCall(QStringLiteral("ListNames")), [this, learn](const std::optional<QVariant> &names) {
        // Hosts own names of the form org.kde.StatusNotifierHost-<their own suffix>.
        const QStringList all = names ? names->toStringList() : QStringList();
        const auto host = std::find_if(all.cbegin(), all.cend(),
            [](const QString &name) { return name.startsWith(QLatin1String("org.kde.StatusNotifierHost-")); });
        if (host == all.cend()) {
            learn(std::nullopt);
            return;
        }
        QDBusMessage pid = busCall(QStringLiteral("GetConnectionUnixProcessID"));
        pid << *host;
        askBus(pid, [learn](const std::optional<QVariant> &answer) {
            const uint process = answer ? answer->toUInt() : 0;
            learn(process > 0 ? std::optional<qint64>(process) : std::nullopt);
        });
    });
}
