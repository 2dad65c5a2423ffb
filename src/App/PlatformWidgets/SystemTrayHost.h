#pragma once

#include "Platform/TrayHost.h"
#include "Platform/x11/X11WindowMoveWatcher.h"

#include <QSystemTrayIcon>

// The tray icon over QSystemTrayIcon. No context menu is handed to Qt: the owner builds a fresh
// menu on every right click and shows it through showMenu().
class SystemTrayHost final : public TrayHost
{
    Q_OBJECT

public:
    explicit SystemTrayHost(QObject *parent = nullptr);

    bool isAvailable() const override;
    bool usesStatusNotifier() const override;
    void setVisible(bool visible) override;
    void setIcon(const QIcon &icon) override;
    void setToolTip(const QString &text) override;
    QRect geometry() const override;
    void showMenu(QMenu *menu) override;
    std::optional<QColor> foreground() const override;
    std::optional<QColor> background() const override;

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    // Follows the window that Qt embeds in the tray (made, and made again, as the tray comes and goes).
    void watchIconWindow() const;

    bool m_statusNotifier = false;
    QSystemTrayIcon m_icon;
    mutable X11WindowMoveWatcher m_iconMoves;
};
