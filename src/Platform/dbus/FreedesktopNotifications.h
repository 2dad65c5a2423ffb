#pragma once

#include "Platform/DesktopNotifications.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>

// Notifications through org.freedesktop.Notifications on the session bus. Calls are
// asynchronous; the id the service returns for a tag is kept, and the next post under that tag
// asks the service to replace it. Nothing asks for permission: the service shows what it gets.
class FreedesktopNotifications final : public QObject, public DesktopNotifications
{
    Q_OBJECT

public:
    explicit FreedesktopNotifications(QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    void post(const QString &tag, const QString &summary, const QString &body) override;

private:
    QDBusConnection m_bus;
    QHash<QString, uint> m_ids;
};
