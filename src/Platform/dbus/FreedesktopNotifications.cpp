#include "Platform/dbus/FreedesktopNotifications.h"

#include "Platform/AppIdentity.h"
#include "Platform/Logging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <qcoro/qcorosignal.h>

#include <memory>

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

QCoro::Task<quint32> FreedesktopNotifications::post(QString summary, QString body, quint32 replaces)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    const QVariantMap hints {
        { QStringLiteral("desktop-entry"), AppIdentity::appId() },
        { QStringLiteral("suppress-sound"), true },
    };
    call << QStringLiteral("Vemra") << uint(replaces) << QString() << summary << body << QStringList() << hints
         << defaultExpiry;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    const std::unique_ptr<QObject, void (*)(QObject *)> dropWatcher(watcher, [](QObject *o) { o->deleteLater(); });
    auto answered = qCoro(watcher, &QDBusPendingCallWatcher::finished);
    co_await answered;
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
        qCWarning(lcDBus).noquote() << "A notification could not be shown:" << reply.error().message();
        co_return quint32(0);
    }
    co_return quint32(reply.value());
}
