#pragma once

#include "Platform/TrayHost.h"
#include "Platform/dbus/StatusNotifierHost.h"
#include "Platform/x11/X11WindowMoveWatcher.h"

#include <QElapsedTimer>
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
    // The window that Qt embeds in the tray, once made (it is made again as the tray comes and
    // goes); none on a StatusNotifierItem host.
    const QWidget *iconWindow() const;
    // Follows the icon's window.
    void watchIconWindow() const;
    // Takes in what the bus told of the StatusNotifierItem host.
    void hostLearnt();

    static constexpr qint64 panelRereadMs = 10'000;

    // Asked at start; Qt chooses between a StatusNotifierItem and an embedded icon once, as the
    // icon is made, so the first answer holds.
    mutable StatusNotifierHost m_host;
    std::optional<bool> m_statusNotifier;
    std::optional<QColor> m_panelColour;
    mutable QElapsedTimer m_panelRead;
    QSystemTrayIcon m_icon;
    mutable X11WindowMoveWatcher m_iconMoves;
};
