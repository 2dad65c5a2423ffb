#include "Services/Shell/Surface.h"

Surface::Surface(QObject *parent)
    : QObject(parent)
{
}

void Surface::setVisible(bool visible)
{
    if (m_isVisible == visible)
        return;
    m_isVisible = visible;
    Q_EMIT isVisibleChanged(visible);
}

void Surface::setTab(VemraTab tab)
{
    if (m_tab == tab)
        return;
    m_tab = tab;
    Q_EMIT tabChanged(tab);
}

void Surface::requestInputFocus()
{
    ++m_focusRequest;
    Q_EMIT focusRequestChanged(m_focusRequest);
}
