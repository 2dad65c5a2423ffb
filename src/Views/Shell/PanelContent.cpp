#include "Views/Shell/PanelContent.h"

#include "Components/Controls/IconButton.h"
#include "Components/Controls/Plate.h"
#include "Services/Shell/Surface.h"
#include "Views/Shell/AppMenu.h"
#include "Views/Shell/SectionPicker.h"
#include "Views/Shell/TabContent.h"
#include "Views/Todos/ClearAllButton.h"
#include "Views/Todos/FooterStatus.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

PanelContent::PanelContent(const Environment &environment, Surface &surface, QWidget *parent)
    : SurfaceFrame(environment, surface, QString::fromLatin1(calendarKey), true, parent)
{
    setFixedWidth(panelWidth);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeHeader());

    auto *picker = makeSectionPicker(Density::Compact, this);
    auto *pickerBox = new QWidget(this);
    auto *pickerLayout = new QVBoxLayout(pickerBox);
    pickerLayout->setContentsMargins(12, 0, 12, 10);
    pickerLayout->addWidget(picker);
    column->addWidget(pickerBox);

    TodosView::Metrics metrics;
    metrics.input = QMargins(12, 0, 12, 0);
    metrics.calendar = QMargins(12, 8, 12, 0);
    metrics.list = QMargins(6, 8, 6, 8);
    metrics.listMaxHeight = listMaxHeight;
    metrics.emptyStateHeight = 112;
    auto *content = makeContent(Density::Compact, metrics, this);
    todosView()->setFooter(Plate::divider());
    todosView()->setFooter(makeFooter());
    addPages(0);
    column->addWidget(content);

    // Ctrl+, opens the settings on General from every tab of the panel.
    auto *settingsAction = new QAction(QStringLiteral("Settings"), this);
    settingsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settingsAction->setShortcutContext(Qt::WindowShortcut);
    connect(settingsAction, &QAction::triggered, this, [this] { this->surface().openSettings(SettingsPane::General); });
    addAction(settingsAction);

    finish();
}

PanelContent::~PanelContent() = default;

QWidget *PanelContent::makeHeader()
{
    auto *header = new QWidget(this);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(16, 14, 16, 12);
    row->setSpacing(10);
    const Titles titles = makeTitles(header, 28, 14, 11);
    row->addWidget(titles.badge, 0, Qt::AlignVCenter);
    auto *stack = new QVBoxLayout;
    stack->setSpacing(1);
    stack->addWidget(titles.name);
    stack->addWidget(titles.tagline);
    row->addLayout(stack);
    row->addStretch(1);
    m_appMenu = new AppMenu(surface(), environment().preferences, environment().updater, header);
    row->addWidget(m_appMenu, 0, Qt::AlignVCenter);
    return header;
}

QWidget *PanelContent::makeFooter()
{
    auto *footer = new QWidget;
    // 38 high; taller only while a long clear-all question needs a line of its own.
    footer->setMinimumHeight(38);
    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(16, 6, 10, 6);
    row->setSpacing(12);
    // The status gives its room to the question of the clear-all control.
    makeFooterParts(footer, 11, true);
    row->addWidget(footerStatus());
    row->addStretch(1);
    row->addWidget(clearAllButton());

    m_openInWindow = new IconButton(QStringLiteral("arrow.up.left.and.arrow.down.right"), footer);
    m_openInWindow->setFixedSize(22, 22);
    m_openInWindow->setSymbolSize(11);
    m_openInWindow->setToolTip(QStringLiteral("Open in window (Ctrl+O)"));
    m_openInWindow->setAccessibleName(QStringLiteral("Open in window"));
    m_openInWindow->setFocusPolicy(Qt::TabFocus);
    row->addWidget(m_openInWindow);
    const auto expand = [this] { surface().expand(); };
    connect(m_openInWindow, &IconButton::clicked, this, expand);
    // Bound to the button, so Ctrl+O works only while the todos footer is on screen.
    auto *openAction = new QAction(QStringLiteral("Open in window"), m_openInWindow);
    openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    openAction->setShortcutContext(Qt::WindowShortcut);
    connect(openAction, &QAction::triggered, this, expand);
    m_openInWindow->addAction(openAction);

    // While it asks, the clear-all control has the whole row but the button after it.
    const QMargins margins = row->contentsMargins();
    clearAllButton()->setRoom(
        panelWidth - margins.left() - margins.right() - row->spacing() - m_openInWindow->width(), Qt::AlignRight);
    return footer;
}

QSize PanelContent::sizeHint() const
{
    return QSize(panelWidth, QWidget::sizeHint().height());
}
