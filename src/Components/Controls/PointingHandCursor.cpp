#include "Components/Controls/PointingHandCursor.h"

#include <QEvent>

PointingHandCursor::PointingHandCursor(QWidget *control, Condition isActive)
    : QObject(control)
    , m_control(*control)
    , m_isActive(std::move(isActive))
{
    control->installEventFilter(this);
}

PointingHandCursor *PointingHandCursor::apply(QWidget *control, Condition isActive)
{
    if (!control)
        return nullptr;
    PointingHandCursor *helper = of(control);
    if (helper)
        helper->m_isActive = std::move(isActive);
    else
        helper = new PointingHandCursor(control, std::move(isActive));
    helper->refresh();
    return helper;
}

PointingHandCursor *PointingHandCursor::of(const QWidget *control)
{
    return control ? control->findChild<PointingHandCursor *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void PointingHandCursor::refresh()
{
    const bool wanted = m_control.isEnabled() && (!m_isActive || m_isActive());
    if (wanted == m_showingHand)
        return;
    m_showingHand = wanted;
    if (wanted) {
        // A control's own cursor (a text field's I-beam) comes back when the hand goes.
        m_ownCursor.reset();
        if (m_control.testAttribute(Qt::WA_SetCursor))
            m_ownCursor = m_control.cursor();
        m_control.setCursor(Qt::PointingHandCursor);
    } else if (m_ownCursor) {
        m_control.setCursor(*m_ownCursor);
    } else {
        m_control.unsetCursor();
    }
}

bool PointingHandCursor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_control
        && (event->type() == QEvent::EnabledChange || event->type() == QEvent::Enter
            || event->type() == QEvent::HoverEnter))
        refresh();
    return QObject::eventFilter(watched, event);
}
