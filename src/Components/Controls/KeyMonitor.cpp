#include "Components/Controls/KeyMonitor.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QCoreApplication>

namespace {

// Pressing a modifier alone is not a key press for the handlers.
bool isModifierOnly(int key)
{
    switch (key) {
    case 0:
    case Qt::Key_unknown:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return true;
    default:
        return false;
    }
}

const char *const ownKeysProperty = "vemraOwnKeys";

// Space, Return and Enter on a button the keyboard reached press that button, not the view's list,
// and the keys a focused control named are its own, also while Qt hands the key on to its parents.
bool isFocusedControlsKey(const QWidget *receiver, const QKeyEvent &key)
{
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    const QWidget *focused = receiver->window()->focusWidget();
    if (!focused || !focused->hasFocus() || (focused != receiver && !receiver->isAncestorOf(focused)))
        return false;
    if (qobject_cast<const QAbstractButton *>(focused))
        return key.key() == Qt::Key_Space || key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    return focused->property(ownKeysProperty).value<QList<int>>().contains(key.key());
}

} // namespace

KeyMonitor::KeyMonitor(QWidget *view, Handler handler)
    : QObject(view)
    , m_view(view)
    , m_handler(std::move(handler))
{
    QCoreApplication::instance()->installEventFilter(this);
}

KeyMonitor::~KeyMonitor()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void KeyMonitor::setHandler(Handler handler)
{
    m_handler = std::move(handler);
}

void KeyMonitor::leaveKeysTo(QWidget *control, const QList<int> &keys)
{
    control->setProperty(ownKeysProperty, QVariant::fromValue(keys));
}

bool KeyMonitor::Press::matches(const QKeyEvent &event) const
{
    return timestamp == event.timestamp() && key == event.key() && modifiers == event.modifiers()
        && autoRepeat == event.isAutoRepeat();
}

bool KeyMonitor::offers(QWidget *receiver) const
{
    return m_view && m_view->isVisible() && receiver->window() == m_view->window();
}

bool KeyMonitor::offer(const QKeyEvent &key)
{
    return m_handler && m_handler(key);
}

bool KeyMonitor::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    const bool menuKey = type == QEvent::ContextMenu
        && static_cast<const QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard;
    if ((type != QEvent::ShortcutOverride && type != QEvent::KeyPress && !menuKey) || !watched->isWidgetType())
        return false;
    auto *receiver = static_cast<QWidget *>(watched);

    // Qt hands a key the focused widget ignores to each of its parents in turn, through the
    // application's filters again: answer those deliveries as the first one was answered.
    if (event == m_delivering && m_deliveredTo && m_deliveredTo != receiver && receiver->isAncestorOf(m_deliveredTo)) {
        m_deliveredTo = receiver;
        if (m_deliveringSwallowed && type != QEvent::KeyPress)
            event->accept();
        return m_deliveringSwallowed;
    }
    m_delivering = nullptr;
    m_deliveredTo = nullptr;

    // A handler may destroy the very widget the key was sent to (a refresh that rebuilds it):
    // after the handler nothing may touch it, and Qt must not deliver the key to it either.
    const QPointer<QWidget> alive = receiver;
    bool swallowed = false;
    if (menuKey) {
        // The Menu key reaches the focused widget as a request for its context menu, on X11 before
        // the key's own press, which goes to whatever menu opened.
        if (!offers(receiver))
            return false;
        const QKeyEvent press(
            QEvent::KeyPress, Qt::Key_Menu, static_cast<const QContextMenuEvent *>(event)->modifiers());
        swallowed = offer(press);
        if (swallowed)
            event->accept();
    } else if (const auto &key = static_cast<const QKeyEvent &>(*event);
               type == QEvent::KeyPress && m_pending && m_pending->matches(key)) {
        // The second half of a press already answered. Answered the same way even when the
        // handler has hidden the view or moved the focus meanwhile (Return that closes the
        // panel must not reach the hidden field as well).
        swallowed = m_pendingSwallowed;
        m_pending.reset();
    } else if (!offers(receiver) || isModifierOnly(key.key()) || isFocusedControlsKey(receiver, key)) {
        return false;
    } else if (type == QEvent::ShortcutOverride) {
        swallowed = offer(key);
        m_pending = Press { key.timestamp(), key.key(), key.modifiers(), key.isAutoRepeat() };
        m_pendingSwallowed = swallowed;
        // An accepted override keeps Qt from resolving shortcuts; the KeyPress that follows is
        // then swallowed above.
        if (swallowed)
            event->accept();
    } else {
        // A press without an override (sent directly, or in the middle of a multi-key shortcut).
        m_pending.reset();
        swallowed = offer(key);
    }

    if (!alive) {
        // Its KeyPress, if still to come, goes nowhere either.
        m_pendingSwallowed = true;
        m_delivering = nullptr;
        m_deliveredTo = nullptr;
        event->accept();
        return true;
    }
    m_delivering = event;
    m_deliveredTo = receiver;
    m_deliveringSwallowed = swallowed;
    return swallowed;
}
