#include "App/Tray/PanelLayout.h"

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
    int minimum = m_item->minimumSize().height();
    // Wrapped text needs more lines when narrower: its minimum is known only for a width.
    if (m_item->hasHeightForWidth())
        minimum = qMax(minimum, m_item->minimumHeightForWidth(rect.width()));
    m_item->setGeometry(QRect(rect.topLeft(), QSize(rect.width(), qMax(rect.height(), minimum))));
}
