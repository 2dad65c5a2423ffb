#include "Components/Controls/CapsuleButton.h"

#include "Components/Controls/PointingHandCursor.h"
#include "Components/Theme/Theme.h"
#include "Components/Theme/Transition.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPointer>

CapsuleButton::CapsuleButton(QWidget *parent)
    : QAbstractButton(parent)
    , m_highlight(new Transition(this, 120))
    , m_press(new Transition(this, 100))
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    PointingHandCursor::apply(this);
    connect(this, &QAbstractButton::pressed, this, [this] { m_press->setOn(true); });
    connect(this, &QAbstractButton::released, this, [this] { m_press->setOn(false); });
}

bool CapsuleButton::isHighlighted() const
{
    return m_hovered && isEnabled();
}

qreal CapsuleButton::highlight() const
{
    return m_highlight->value();
}

qreal CapsuleButton::opacity(qreal resting) const
{
    return resting + (Theme::pressedOpacity - resting) * m_press->value();
}

bool CapsuleButton::hitButton(const QPoint &pos) const
{
    return Theme::capsule(QRectF(rect())).contains(QPointF(pos) + QPointF(0.5, 0.5));
}

bool CapsuleButton::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
        m_hovered = true;
        m_highlight->setOn(isHighlighted());
        break;
    case QEvent::HoverLeave:
        m_hovered = false;
        m_highlight->setOn(isHighlighted());
        break;
    case QEvent::EnabledChange:
        m_highlight->setOn(isHighlighted());
        break;
    case QEvent::Hide:
        // A button hidden under the pointer (its window closed by what it did) gets no leave
        // event; it must not come back highlighted.
        m_hovered = false;
        m_highlight->jumpTo(false);
        break;
    default:
        break;
    }
    return QAbstractButton::event(event);
}

void CapsuleButton::keyPressEvent(QKeyEvent *event)
{
    // Return presses a focused button as Space does; Qt's plain buttons leave it to a dialog.
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isReturn && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !event->isAutoRepeat()) {
        const QPointer<CapsuleButton> alive = this;
        m_keyboardClick = true;
        click();
        if (alive)
            m_keyboardClick = false;
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void CapsuleButton::keyReleaseEvent(QKeyEvent *event)
{
    // Qt clicks on the release of Space.
    const QPointer<CapsuleButton> alive = this;
    m_keyboardClick = true;
    QAbstractButton::keyReleaseEvent(event);
    if (alive)
        m_keyboardClick = false;
}
