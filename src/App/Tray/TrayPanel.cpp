#include "App/Tray/TrayPanel.h"

#include "App/Tray/PanelAfterimage.h"
#include "App/Tray/PanelLayout.h"
#include "App/Tray/PanelWindow.h"
#include "Components/Controls/AppearTransition.h"
#include "Components/Theme/Curves.h"
#include "Platform/TrayHost.h"
#include "Platform/WindowSystem.h"
#include "Platform/WindowTags.h"
#include "Services/Shell/MotionPreference.h"

#include <QApplication>
#include <QEasingCurve>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QSignalBlocker>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

// The content is laid out as tall as it wants within the room the window may take: a window
// that grows towards that cuts it off meanwhile, rather than squeezing it.
void layOutWithin(PanelWindow *window, const PanelPlacement::Anchor &anchor)
{
    constexpr int unbounded = 1 << 20;
    const QRect room = PanelPlacement::frame(QSize(window->width(), unbounded), anchor.rect, anchor.screen);
    static_cast<PanelLayout *>(window->layout())->setRoom(room.height());
}

} // namespace

TrayPanel::TrayPanel(QWidget *rootView, QObject *parent)
    : QObject(parent)
    , m_window(new PanelWindow(cornerRadius))
    , m_afterimage(new PanelAfterimage)
    , m_root(rootView)
{
    if (m_root)
        m_window->layout()->addWidget(m_root);
    m_window->winId();
    WindowTags::setSurface(m_window->windowHandle(), QStringLiteral("panel"));
    connect(m_window, &PanelWindow::contentChanged, this, &TrayPanel::contentChanged);
    connect(m_window, &PanelWindow::cancelled, this, &TrayPanel::windowCancelled);
    connect(m_window, &PanelWindow::pressedOutside, this, &TrayPanel::windowPressedOutside);
    connect(m_window, &PanelWindow::closedBySystem, this, &TrayPanel::windowClosedBySystem);
    connect(m_window, &PanelWindow::lostFocus, this, &TrayPanel::windowLostFocus);

    m_retry.setSingleShot(true);
    m_retry.setInterval(placementIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, &TrayPanel::attemptShow);

    m_fitLater.setSingleShot(true);
    m_fitLater.setInterval(0);
    connect(&m_fitLater, &QTimer::timeout, this, &TrayPanel::fitToContent);

    m_fadeIn.setDuration(fadeInMs);
    m_fadeIn.setStartValue(0.0);
    m_fadeIn.setEndValue(1.0);
    m_fadeIn.setEasingCurve(Curves::easeOut());
    connect(&m_fadeIn, &QVariantAnimation::valueChanged, this,
        [this](const QVariant &value) { applyFadeIn(value.toReal()); });
    connect(&m_fadeIn, &QVariantAnimation::finished, m_window, [this] { m_window->setEntering(false); });

    m_resize.setDuration(resizeMs);
    m_resize.setEasingCurve(Curves::panelResize());
    connect(&m_resize, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        if (m_isShown)
            resizeWindow(value.toRect());
    });
}

TrayPanel::~TrayPanel()
{
    removeMonitors();
    m_isShown = false;
    delete m_afterimage;
    delete m_window;
}

bool TrayPanel::reducesMotion() const
{
    return m_reducesMotion.value_or(MotionPreference::reducesMotion());
}

QWidget *TrayPanel::window() const
{
    return m_window;
}

void TrayPanel::show(TrayHost *anchor)
{
    m_anchor = anchor;
    m_retry.stop();
    attemptShow();
}

void TrayPanel::attemptShow()
{
    const PanelPlacement::Anchor anchor = currentAnchor();
    // Right after start-up the tray may not have placed the icon yet: wait for it a little.
    // Without any tray host, or with the panel already on screen, there is nothing to wait for.
    const bool mayWait = !m_isShown && m_anchor && m_anchor->isAvailable() && !anchor.placed;
    if (mayWait && m_placementChecks < maxPlacementChecks) {
        ++m_placementChecks;
        m_retry.start();
        return;
    }
    m_placementChecks = 0;

    // A panel already shown stays where it is.
    if (!m_isShown) {
        m_resolved = anchor;
        placeNewlyShown();
    }

    m_window->activateWindow();
    Q_EMIT shown();
}

void TrayPanel::placeNewlyShown()
{
    // A menu open elsewhere (the tray icon's) would stay over the panel: it goes first.
    closePopups([this](const QWidget *popup) { return popup != m_window; });
    m_isShown = true;
    m_resize.stop();
    m_window->resetFocusTracking();
    m_window->refreshLook();

    m_target = PanelPlacement::frame(contentSize(), m_resolved.rect, m_resolved.screen);
    // Mapped before the popup, so that the popup comes above it.
    if (reducesMotion())
        m_afterimage->hide();
    else
        m_afterimage->standBy(m_target.size());
    layOutWithin(m_window, m_resolved);
    m_window->setWindowOpacity(0);
    m_window->setGeometry(m_target.translated(0, -entryOffset));
    m_window->setEntering(true);
    m_window->show();
    m_window->raise();
    m_fadeIn.start();
    installMonitors();
}

PanelPlacement::Anchor TrayPanel::currentAnchor() const
{
    const QRect tray = m_anchor ? m_anchor->geometry() : QRect();
    const bool statusNotifier = m_anchor && m_anchor->usesStatusNotifier();
    return PanelPlacement::resolve(PanelPlacement::currentSources(tray, statusNotifier));
}

QSize TrayPanel::contentSize() const
{
    if (!m_root)
        return { 0, 0 };
    QSize size = m_root->sizeHint();
    if (size.width() <= 0 || size.height() <= 0)
        size = m_root->minimumSizeHint().expandedTo(m_root->minimumSize());
    if (m_root->hasHeightForWidth())
        size.setHeight(m_root->heightForWidth(size.width()));
    return size.expandedTo(m_root->minimumSize()).boundedTo(m_root->maximumSize());
}

QRect TrayPanel::targetFrame()
{
    // Follow the icon when the tray moves it; a pointer or corner anchor stays where it was.
    if (m_anchor && !m_anchor->usesStatusNotifier()) {
        const PanelPlacement::Anchor live = currentAnchor();
        if (live.placed)
            m_resolved = live;
    }
    return PanelPlacement::frame(contentSize(), m_resolved.rect, m_resolved.screen);
}

void TrayPanel::applyFadeIn(qreal progress)
{
    if (!m_isShown)
        return;
    m_window->setWindowOpacity(progress);
    WindowSystem::flush();
    const int offset = static_cast<int>(std::lround(entryOffset * (1 - progress)));
    m_window->setGeometry(m_target.translated(0, -offset));
}

void TrayPanel::fitToContent()
{
    if (!m_isShown)
        return;
    const QRect target = targetFrame();
    layOutWithin(m_window, m_resolved);
    if (m_fadeIn.state() == QAbstractAnimation::Running) {
        // The entrance carries the panel to wherever the target now is.
        m_target = target;
        applyFadeIn(m_fadeIn.currentValue().toReal());
        return;
    }
    const QRect current = m_window->geometry();
    if (contentMovesItsRoom()) {
        // The content eases its own height: the panel's edge keeps to it step by step.
        m_resize.stop();
        m_target = target;
        if (target != current)
            resizeWindow(target);
        return;
    }
    const bool resizing = m_resize.state() == QAbstractAnimation::Running;
    if (resizing && m_resize.endValue().toRect() == target)
        return;
    m_target = target;
    // Also when the content went back to the window's size as the window set off from it.
    m_resize.stop();
    if (target == current)
        return;
    const bool heightOnly
        = std::abs(target.left() - current.left()) < 1 && std::abs(target.width() - current.width()) < 1;
    if (heightOnly && !reducesMotion()) {
        {
            // A resize that ran to its end would report the new end value as reached at once.
            const QSignalBlocker quiet(m_resize);
            m_resize.setStartValue(current);
            m_resize.setEndValue(target);
        }
        m_resize.start();
    } else {
        m_window->setGeometry(target);
    }
}

void TrayPanel::resizeWindow(const QRect &frame)
{
    // Made shorter, the window is cut by the window system at once and drawn anew a moment later:
    // a frame would show the old look cut off, the footer gone. Where the top edge stays, the new
    // look is drawn first, the part of the window that goes left clear, and the window is cut
    // after it.
    const QRect current = m_window->geometry();
    const bool shortens = frame.top() == current.top() && frame.height() < current.height();
    if (shortens) {
        m_window->holdCardHeight(frame.height());
        m_window->repaint();
        WindowSystem::flush();
    }
    m_window->setGeometry(frame);
    if (shortens)
        m_window->holdCardHeight(0);
}

void TrayPanel::close()
{
    m_retry.stop();
    m_placementChecks = 0;
    if (!m_isShown)
        return;
    finishClose();
}

void TrayPanel::finishClose()
{
    const bool wasShown = m_isShown;
    m_isShown = false;
    // The panel's own menus (the gear's, a row's) do not outlive it.
    closePopups([this](const QWidget *popup) {
        for (const QWidget *owner = popup->parentWidget(); owner; owner = owner->parentWidget()) {
            if (owner == m_window)
                return true;
        }
        return false;
    });
    removeMonitors();
    m_fadeIn.stop();
    m_window->setEntering(false);
    m_resize.stop();
    // The popup goes at once, however it was closed: on screen it would hold the pointer and the
    // keyboard, and a click on the icon or keys typed in its last moments must reach what they
    // were meant for. Its picture, which takes no input, gives the closing its fade.
    if (m_window->isVisible()) {
        if (wasShown && !reducesMotion())
            m_afterimage->fadeOut(m_window->grab(), m_window->geometry(), m_window->mask(), m_window->windowOpacity());
        m_window->hide();
    }
    if (wasShown)
        Q_EMIT closed();
}

void TrayPanel::closePopups(const std::function<bool(const QWidget *)> &which)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->isVisible() && window->windowType() == Qt::Popup && which(window))
            window->close();
    }
}

void TrayPanel::installMonitors()
{
    removeMonitors();
    m_monitors.append(connect(
        qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *focused) { m_window->noteFocus(focused); }));
    // Follow the icon when the tray re-lays its icons, and when a screen changes size or place.
    if (m_anchor)
        m_monitors.append(connect(m_anchor.data(), &TrayHost::geometryChanged, this, &TrayPanel::fitToContent));
    const auto watchScreen = [this](QScreen *screen) {
        m_monitors.append(connect(screen, &QScreen::geometryChanged, this, &TrayPanel::fitToContent));
    };
    for (QScreen *screen : QGuiApplication::screens())
        watchScreen(screen);
    m_monitors.append(connect(qApp, &QGuiApplication::screenAdded, this, watchScreen));
    if (m_window->windowHandle() && m_window->windowHandle() == QGuiApplication::focusWindow())
        m_window->noteFocus(QGuiApplication::focusWindow());
}

void TrayPanel::removeMonitors()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_monitors))
        disconnect(connection);
    m_monitors.clear();
}

bool TrayPanel::contentMovesItsRoom() const
{
    if (!m_root)
        return false;
    const QList<AppearTransition *> transitions = m_root->findChildren<AppearTransition *>();
    return std::any_of(transitions.cbegin(), transitions.cend(),
        [](const AppearTransition *transition) { return transition->movesRoom(); });
}

void TrayPanel::contentChanged()
{
    // A part of the content that moves its own room (the calendar card coming or going) takes
    // the panel's edge with it in the same step, so that what lies below it glides with it and
    // the footer stays on the panel; its motion is the panel's resize.
    if (m_isShown && contentMovesItsRoom()) {
        m_fitLater.stop();
        fitToContent();
        return;
    }
    // Layout requests come in bursts; fit once they settle.
    m_fitLater.start();
}

void TrayPanel::windowCancelled()
{
    close();
}

void TrayPanel::windowPressedOutside(
    const QPoint &globalPosition, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    // A press on the tray icon is never replayed to it: a plain click there toggles, so closing
    // the panel is all it should do (replayed, it would open the panel again at once). A click
    // that asks for the icon's menu is handed to the icon by us instead.
    const bool onIcon = m_isShown && m_anchor && m_anchor->geometry().contains(globalPosition);
    m_window->setAttribute(Qt::WA_NoMouseReplay, onIcon);
    m_retry.stop();
    m_placementChecks = 0;
    finishClose();
    if (!onIcon)
        return;
    if (button == Qt::RightButton) {
        QTimer::singleShot(0, m_anchor.data(), [anchor = m_anchor] {
            if (anchor)
                Q_EMIT anchor->contextClicked();
        });
    } else if (button == Qt::LeftButton && (modifiers & Qt::ControlModifier)) {
        QTimer::singleShot(0, m_anchor.data(), [anchor = m_anchor, modifiers] {
            if (anchor)
                Q_EMIT anchor->clicked(modifiers);
        });
    }
}

void TrayPanel::windowClosedBySystem()
{
    // Qt or the window system closed the popup, not us.
    if (m_isShown)
        finishClose();
}

void TrayPanel::windowLostFocus()
{
    close();
}
