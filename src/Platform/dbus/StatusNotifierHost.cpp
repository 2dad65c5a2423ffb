#include "Platform/dbus/StatusNotifierHost.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>

namespace StatusNotifierHost {

bool isPresent()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    return bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")).value();
}

std::optional<qint64> hostProcess()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return std::nullopt;
    // Hosts own names of the form org.kde.StatusNotifierHost-<their own suffix>.
    const QStringList names = bus.interface()->registeredServiceNames().value();
    for (const QString &name : names) {
        if (!name.startsWith(QLatin1String("org.kde.StatusNotifierHost-")))
            continue;
        if (const QDBusReply<uint> pid = bus.interface()->servicePid(name); pid.isValid() && pid.value() > 0)
            return qint64(pid.value());
    }
    return std::nullopt;
}

} // namespace StatusNotifierHost
