#include "Views/Shell/TabContent.h"

#include "Components/Controls/TabFade.h"
#include "Services/Shell/MotionPreference.h"
#include "Services/Shell/Surface.h"

#include <QVBoxLayout>

namespace {

std::size_t indexOf(VemraTab tab)
{
    for (std::size_t i = 0; i < VemraTabs::all.size(); ++i) {
        if (VemraTabs::all[i] == tab)
            return i;
    }
    return 0;
}

} // namespace

TabContent::TabContent(Surface &surface, QWidget *parent)
    : QWidget(parent)
    , m_tab(surface.tab())
    , m_fade(new TabFade(this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    connect(&surface, &Surface::tabChanged, this, [this](VemraTab tab) {
        show(tab);
        m_fade->play(MotionPreference::reducesMotion());
    });
}

void TabContent::setPage(VemraTab tab, QWidget *page, int stretch)
{
    QWidget *&slot = m_pages[indexOf(tab)];
    delete slot;
    slot = page;
    page->setParent(this);
    static_cast<QVBoxLayout *>(layout())->addWidget(page, stretch);
    page->setVisible(tab == m_tab);
}

QWidget *TabContent::page(VemraTab tab) const
{
    return m_pages[indexOf(tab)];
}

void TabContent::show(VemraTab tab)
{
    m_tab = tab;
    // Hidden pages leave the layout, so the content is as tall as the shown tab wants.
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i])
            m_pages[i]->setVisible(VemraTabs::all[i] == tab);
    }
}
