#pragma once

#include "Platform/DesktopNotifications.h"

#include <QDBusConnection>
#include <QObject>

// Notifications through org.freedesktop.Notifications on the session bus. Calls are
// asynchronous. Nothing asks for permission: the service shows what it gets.
class FreedesktopNotifications final : public QObject, public DesktopNotifications
{
    Q_OBJECT

public:
    explicit FreedesktopNotifications(QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    QCoro::Task<quint32> post(QString summary, QString body, quint32 replaces) override;

private:
    QDBusConnection m_bus;
};
