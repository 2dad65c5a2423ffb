#include "Platform/dbus/StatusNotifierHost.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace StatusNotifierHost {

bool isPresent()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    return bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")).value();
}

} // namespace StatusNotifierHost
