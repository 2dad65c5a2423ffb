#include "Services/Shell/LaunchAtLogin.h"

#include "Platform/AlertPresenter.h"

#include <QDir>

LaunchAtLogin::LaunchAtLogin(LoginItemService &service, AlertPresenter &alerts, QObject *parent)
    : QObject(parent)
    , m_service(service)
    , m_alerts(alerts)
    , m_enabled(m_service.status() == LoginItemService::Status::Enabled)
{
}

LaunchAtLogin::~LaunchAtLogin() = default;

void LaunchAtLogin::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    Q_EMIT isEnabledChanged(m_enabled);
}

void LaunchAtLogin::toggle()
{
    const bool registering = m_service.status() != LoginItemService::Status::Enabled;
    if (const std::optional<QString> own = m_service.usersOwnEntry(); own && !mayChange(*own, registering)) {
        refresh();
        return;
    }
    const std::optional<QString> failure = registering ? m_service.registerItem() : m_service.unregisterItem();
    if (failure)
        Q_EMIT failed(Error { *failure, {} });

    const LoginItemService::Status now = m_service.status();
    if (now == LoginItemService::Status::RequiresApproval)
        m_service.openApprovalSettings();
    setEnabled(now == LoginItemService::Status::Enabled);
}

void LaunchAtLogin::refresh()
{
    setEnabled(m_service.status() == LoginItemService::Status::Enabled);
}

bool LaunchAtLogin::mayChange(const QString &entry, bool registering)
{
    Alert alert;
    alert.title = registering ? QStringLiteral("Replace your own login entry for Vemra?")
                              : QStringLiteral("Remove your own login entry for Vemra?");
    alert.informativeText
        = (registering ? QStringLiteral("%1 was not written by Vemra. Vemra will put its own entry in its place, "
                                        "and what you changed in it will be lost.")
                       : QStringLiteral("%1 was not written by Vemra. Removing it stops Vemra from starting when "
                                        "you sign in, and what you changed in it will be lost."))
              .arg(QDir::toNativeSeparators(entry));
    alert.buttons = { registering ? QStringLiteral("Replace") : QStringLiteral("Remove"), QStringLiteral("Cancel") };
    alert.cancelButton = 1;
    return m_alerts.present(alert) == 0;
}

QString LaunchAtLogin::errorTitle()
{
    return QStringLiteral("Vemra couldn’t change Launch at Login.");
}
