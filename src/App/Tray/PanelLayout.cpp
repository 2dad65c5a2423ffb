#include "App/Tray/PanelLayout.h"

#include <QWidget>

#include <utility>

PanelLayout::PanelLayout(QWidget *window)
    : QLayout(window)
{
    setContentsMargins(0, 0, 0, 0);
    // The controller sizes the window; the layout only reports the view's wishes.
    setSizeConstraint(QLayout::SetNoConstraint);
}

PanelLayout::~PanelLayout()
{
    delete m_item;
}

void PanelLayout::addItem(QLayoutItem *item)
{
    delete m_item;
    m_item = item;
}

int PanelLayout::count() const
{
    return m_item ? 1 : 0;
}

QLayoutItem *PanelLayout::itemAt(int index) const
{
    return index == 0 ? m_item : nullptr;
}

QLayoutItem *PanelLayout::takeAt(int index)
{
    if (index != 0)
        return nullptr;
    return std::exchange(m_item, nullptr);
}

QSize PanelLayout::sizeHint() const
{
    return m_item ? m_item->sizeHint() : QSize();
}

QSize PanelLayout::minimumSize() const
{
    return m_item ? m_item->minimumSize() : QSize();
}

void PanelLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    if (!m_item)
        return;
    // Wrapped text needs more lines when narrower: its heights are known only for a width.
    const bool wraps = m_item->hasHeightForWidth();
    const int minimum = wraps ? qMax(m_item->minimumSize().height(), m_item->minimumHeightForWidth(rect.width()))
                              : m_item->minimumSize().height();
    const int wish = wraps ? m_item->heightForWidth(rect.width()) : m_item->sizeHint().height();
    const int height = qMax(m_held > 0 ? m_held : qMax(rect.height(), qMin(wish, m_room)), minimum);
    m_item->setGeometry(QRect(rect.topLeft(), QSize(rect.width(), height)));
}

void PanelLayout::setRoom(int height)
{
    if (height == m_room)
        return;
    m_room = height;
    if (m_item && parentWidget() && parentWidget()->isVisible())
        setGeometry(geometry());
}

void PanelLayout::setHeld(int height)
{
    if (height == m_held)
        return;
    m_held = height;
    if (m_item && parentWidget() && parentWidget()->isVisible())
        setGeometry(geometry());
}
