#pragma once

#include "Models/Common/Result.h"
#include "Platform/LoginItemService.h"

#include <QObject>

class AlertPresenter;

// Whether the application starts when the user logs in. The system keeps the registration;
// this object keeps an observable copy of it, switched from the status menu and the
// General settings pane.
class LaunchAtLogin final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setEnabled NOTIFY isEnabledChanged)

public:
    // The service and the alerts outlive this object.
    LaunchAtLogin(LoginItemService &service, AlertPresenter &alerts, QObject *parent = nullptr);
    ~LaunchAtLogin() override;

    // The last known registration state.
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    // Registers unless the item is enabled, in which case it unregisters. A failure is told
    // through failed(); either way the state is then read back from the system, so it shows the truth.
    // A registration that waits for the user's approval shows where to give it. An entry of the
    // user's own making is replaced or removed only when the user says so.
    void toggle();
    // Reads the state back from the system, for a change made outside the application.
    void refresh();

    static QString errorTitle();

Q_SIGNALS:
    void isEnabledChanged(bool enabled);
    // Registering or unregistering failed. The owner shows errorTitle() as a warning with the
    // error's text.
    void failed(const Error &error);

private:
    // Asks whether the user's own entry may be replaced (or removed).
    bool mayChange(const QString &entry, bool registering);

    LoginItemService &m_service;
    AlertPresenter &m_alerts;
    bool m_enabled = false;
};
