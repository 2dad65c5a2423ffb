#include "Platform/dbus/FreedesktopNotifications.h"

#include "Platform/Logging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
// The service decides how long the notification stays.
constexpr int defaultExpiry = -1;

} // namespace

FreedesktopNotifications::FreedesktopNotifications(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
}

void FreedesktopNotifications::post(const QString &tag, const QString &summary, const QString &body)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    const QVariantMap hints {
        { QStringLiteral("desktop-entry"), QStringLiteral("vemra") },
        { QStringLiteral("suppress-sound"), true },
    };
    call << QStringLiteral("Vemra") << m_ids.value(tag, 0u) << QString() << summary << body << QStringList() << hints
         << defaultExpiry;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, tag](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusPendingReply<uint> reply = *finished;
        if (reply.isError()) {
            qCWarning(lcDBus).noquote() << "A notification could not be shown:" << reply.error().message();
            return;
        }
        m_ids.insert(tag, reply.value());
    });
}
