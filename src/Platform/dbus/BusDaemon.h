#pragma once

#include <QDBusMessage>
#include <QString>

// A call to the bus daemon itself (NameHasOwner, GetConnectionUnixProcessID, …), to be sent
// asynchronously: the daemon can be slow to answer like any other peer.
inline QDBusMessage busDaemonCall(const QString &method)
{
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"), method);
}
