#include "Views/Shell/PlaceholderContainer.h"

#include "Services/Shell/Surface.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString lineFor(VemraTab tab)
{
    switch (tab) {
    case VemraTab::Todos:
        return QStringLiteral("Your todos will appear here.");
    case VemraTab::Clipboard:
        return QStringLiteral("Your clipboard history will appear here.");
    case VemraTab::Focus:
        return QStringLiteral("Focus sessions will appear here.");
    }
    return {};
}

} // namespace

PlaceholderContainer::PlaceholderContainer(Surface *surface, QWidget *parent)
    : QWidget(parent)
    , m_surface(surface)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(12);

    auto *titles = new QHBoxLayout;
    titles->setSpacing(6);
    for (std::size_t i = 0; i < VemraTabs::all.size(); ++i) {
        const VemraTab tab = VemraTabs::all[i];
        auto *title = new QPushButton(VemraTabs::title(tab), this);
        title->setCheckable(true);
        title->setFlat(true);
        title->setFocusPolicy(Qt::NoFocus);
        title->setObjectName(VemraTabs::storedValue(tab));
        connect(title, &QPushButton::clicked, this, [this, tab] {
            if (m_surface)
                m_surface->setTab(tab);
            else
                showTab(tab);
        });
        titles->addWidget(title);
        m_titles[i] = title;
    }
    layout->addLayout(titles);

    m_line = new QLabel(this);
    m_line->setAlignment(Qt::AlignCenter);
    m_line->setWordWrap(true);
    m_line->setMinimumHeight(120);
    layout->addWidget(m_line, 1);

    if (m_surface) {
        connect(m_surface, &Surface::tabChanged, this, &PlaceholderContainer::showTab);
        m_tab = m_surface->tab();
    }
    showTab(m_tab);
}

QSize PlaceholderContainer::sizeHint() const
{
    return { panelWidth, QWidget::sizeHint().height() };
}

PlaceholderContainer::PlaceholderContainer(VemraTab tab, QWidget *parent)
    : QWidget(parent)
    , m_tab(tab)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    m_line = new QLabel(lineFor(tab), this);
    m_line->setAlignment(Qt::AlignCenter);
    m_line->setWordWrap(true);
    m_line->setMinimumHeight(120);
    layout->addWidget(m_line, 1);
}

QString PlaceholderContainer::placeholderText() const
{
    return m_line->text();
}

void PlaceholderContainer::showTab(VemraTab tab)
{
    m_tab = tab;
    for (std::size_t i = 0; i < VemraTabs::all.size(); ++i) {
        if (m_titles[i])
            m_titles[i]->setChecked(VemraTabs::all[i] == tab);
    }
    m_line->setText(lineFor(tab));
}
