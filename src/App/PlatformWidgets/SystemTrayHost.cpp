#include "App/PlatformWidgets/SystemTrayHost.h"

#include "Platform/x11/X11Desktop.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWidget>

SystemTrayHost::SystemTrayHost(QObject *parent)
    : TrayHost(parent)
{
    connect(&m_icon, &QSystemTrayIcon::activated, this, &SystemTrayHost::onActivated);
    connect(&m_iconMoves, &X11WindowMoveWatcher::moved, this, &TrayHost::geometryChanged);
    connect(&m_host, &StatusNotifierHost::learnt, this, &SystemTrayHost::hostLearnt);
}

void SystemTrayHost::hostLearnt()
{
    const bool known = m_statusNotifier.has_value();
    if (!known)
        m_statusNotifier = m_host.isPresent();
    std::optional<QColor> panel;
    if (usesStatusNotifier()) {
        const std::optional<qint64> host = m_host.hostProcess();
        panel = host ? X11Desktop::windowColourOf(*host) : std::nullopt;
    }
    if (known == m_statusNotifier.has_value() && panel == m_panelColour)
        return;
    m_panelColour = panel;
    Q_EMIT hostChanged();
}

bool SystemTrayHost::isAvailable() const
{
    // Qt asks a StatusNotifierItem host anew, over a connection to the bus of its own, every
    // time: what the bus told last serves instead.
    if (usesStatusNotifier())
        return m_host.isPresent().value_or(false);
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool SystemTrayHost::usesStatusNotifier() const
{
    return m_statusNotifier.value_or(false);
}

void SystemTrayHost::setVisible(bool visible)
{
    m_icon.setVisible(visible);
}

void SystemTrayHost::setIcon(const QIcon &icon)
{
    m_icon.setIcon(icon);
}

void SystemTrayHost::setToolTip(const QString &text)
{
    m_icon.setToolTip(text);
}

QRect SystemTrayHost::geometry() const
{
    watchIconWindow();
    return m_icon.geometry();
}

const QWidget *SystemTrayHost::iconWindow() const
{
    if (usesStatusNotifier())
        return nullptr;
    // Qt embeds the icon as a top-level widget of its own class; it is asked for by name, as
    // Qt offers no other way to it.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *window : windows) {
        const bool isIcon
            = window->inherits("QSystemTrayIconSys") || window->objectName() == QLatin1String("QSystemTrayIconSys");
        if (isIcon && window->testAttribute(Qt::WA_WState_Created))
            return window;
    }
    return nullptr;
}

void SystemTrayHost::watchIconWindow() const
{
    if (const QWidget *window = iconWindow())
        m_iconMoves.watch(quint32(window->winId()));
}

void SystemTrayHost::showMenu(QMenu *menu)
{
    if (!menu)
        return;
    const QRect icon = geometry();
    if (icon.isEmpty()) {
        menu->exec(QCursor::pos());
        return;
    }
    // Drop down from the icon, or rise above it when the tray sits in the lower half.
    const QScreen *screen = QGuiApplication::screenAt(icon.center());
    const bool below = !screen || icon.center().y() < screen->geometry().center().y();
    const QSize size = menu->sizeHint();
    menu->exec(below ? icon.bottomLeft() + QPoint(0, 1) : QPoint(icon.left(), icon.top() - size.height()));
}

std::optional<QColor> SystemTrayHost::foreground() const
{
    // A StatusNotifierItem host draws the icon itself and recolours it as it likes.
    return usesStatusNotifier() ? std::nullopt : X11Desktop::trayForeground();
}

std::optional<QColor> SystemTrayHost::background() const
{
    if (usesStatusNotifier()) {
        // The host's panel, read again now and then (a whole panel is many pixels) once the bus
        // says which process it is: the colour read last serves meanwhile.
        if (!m_panelRead.isValid() || m_panelRead.hasExpired(panelRereadMs)) {
            m_host.learnHostProcess();
            m_panelRead.start();
        }
        return m_panelColour;
    }
    // The X server's own pixels: under a scale factor Qt's geometry is in other units.
    const QWidget *window = iconWindow();
    const std::optional<QRect> icon = window ? X11Desktop::windowRect(quint32(window->winId())) : std::nullopt;
    return icon ? X11Desktop::colourAround(*icon) : std::nullopt;
}

void SystemTrayHost::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        Q_EMIT clicked(QGuiApplication::queryKeyboardModifiers());
        break;
    case QSystemTrayIcon::Context:
        Q_EMIT contextClicked();
        break;
    case QSystemTrayIcon::DoubleClick: // the first press already toggled
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
}
