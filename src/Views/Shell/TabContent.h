#pragma once

#include "Models/Shell/VemraTab.h"

#include <QWidget>

#include <array>

class Surface;
class TabFade;

// The content of a container under its tab switcher: one page per tab, of which only the
// surface's current tab is shown (and sized for); each switch of tab fades the new page in.
class TabContent final : public QWidget
{
    Q_OBJECT

public:
    explicit TabContent(Surface &surface, QWidget *parent = nullptr);

    // Takes ownership of the page. `stretch` lets the page take the free height.
    void setPage(VemraTab tab, QWidget *page, int stretch = 0);
    QWidget *page(VemraTab tab) const;
    VemraTab shownTab() const { return m_tab; }
    TabFade *fade() const { return m_fade; }

private:
    void show(VemraTab tab);

    VemraTab m_tab = VemraTab::Todos;
    std::array<QWidget *, 3> m_pages {};
    TabFade *m_fade;
};
