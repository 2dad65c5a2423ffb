#include "Services/Shell/LaunchAtLogin.h"

LaunchAtLogin::LaunchAtLogin(LoginItemService &service, QObject *parent)
    : QObject(parent)
    , m_service(service)
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

QString LaunchAtLogin::errorTitle()
{
    return QStringLiteral("Vemra couldn’t change Launch at Login.");
}
