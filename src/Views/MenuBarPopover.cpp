#include "Views/MenuBarPopover.h"

#include "Components/AppMenu.h"
#include "Components/ClearAllButton.h"
#include "Components/ConfettiLayer.h"
#include "Components/IconButton.h"
#include "Components/SectionPicker.h"
#include "Components/SystemColors.h"
#include "Components/VemraBadge.h"
#include "Services/Surface.h"
#include "Services/TodosTabState.h"
#include "Views/FooterStatus.h"
#include "Views/PlaceholderContainer.h"
#include "Views/TabContent.h"
#include "Views/TodosTab.h"
#include "Views/Todos/TodoInput.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

QLabel *textLabel(const QString &text, int pixelSize, QFont::Weight weight, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// The hairline between the todo list and the footer.
class Divider final : public QWidget
{
public:
    using QWidget::QWidget;

    QSize sizeHint() const override { return QSize(0, 1); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), SystemColors::withOpacity(SystemColors::primary(palette()), 0.1));
    }
};

} // namespace

MenuBarPopover::MenuBarPopover(const Environment &environment, SettingsStore *settings, const Clock *clock,
                               QWidget *parent)
    : QWidget(parent)
    , m_environment(environment)
    , m_state(new TodosTabState(environment.todos, clock, settings, QString::fromLatin1(calendarKey), true, this))
{
    setFixedWidth(panelWidth);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeHeader());
    applyColors();

    m_picker = new SectionPicker(Density::Compact, this);
    if (m_environment.surface)
        m_picker->bind(m_environment.surface);
    auto *pickerBox = new QWidget(this);
    auto *pickerLayout = new QVBoxLayout(pickerBox);
    pickerLayout->setContentsMargins(12, 0, 12, 10);
    pickerLayout->addWidget(m_picker);
    column->addWidget(pickerBox);

    m_content = new TabContent(m_environment.surface, this);
    TodosTab::Metrics metrics;
    metrics.input = QMargins(12, 0, 12, 0);
    metrics.calendar = QMargins(12, 8, 12, 0);
    metrics.list = QMargins(6, 8, 6, 8);
    metrics.listMaxHeight = listMaxHeight;
    metrics.emptyStateHeight = 112;
    m_todosTab = new TodosTab(m_environment.todos, m_state, Density::Compact, metrics);
    auto *divider = new Divider;
    divider->setFixedHeight(1);
    m_todosTab->setFooter(divider);
    m_todosTab->setFooter(makeFooter());
    m_content->setPage(VemraTab::Todos, m_todosTab);
    m_content->setPage(VemraTab::Clipboard, new PlaceholderContainer(VemraTab::Clipboard));
    m_content->setPage(VemraTab::Focus, new PlaceholderContainer(VemraTab::Focus));
    column->addWidget(m_content);

    // Ctrl+, opens the settings on General from every tab of the panel.
    auto *settingsAction = new QAction(QStringLiteral("Settings"), this);
    settingsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settingsAction->setShortcutContext(Qt::WindowShortcut);
    connect(settingsAction, &QAction::triggered, this, [this] {
        if (m_environment.surface)
            m_environment.surface->openSettings(SettingsPane::General);
    });
    addAction(settingsAction);

    // Completed todos throw their confetti over the whole surface.
    new ConfettiLayer(this);

    if (m_environment.surface) {
        m_todosTab->follow(m_environment.surface);
        m_state->follow(m_environment.surface);
    }
}

MenuBarPopover::~MenuBarPopover() = default;

QWidget *MenuBarPopover::makeHeader()
{
    auto *header = new QWidget(this);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(16, 14, 16, 12);
    row->setSpacing(10);
    row->addWidget(new VemraBadge(28, header), 0, Qt::AlignVCenter);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(1);
    titles->addWidget(textLabel(QStringLiteral("Vemra"), 14, QFont::DemiBold, header));
    m_tagline = textLabel(QStringLiteral("Offline todo for myself."), 11, QFont::Normal, header);
    titles->addWidget(m_tagline);
    row->addLayout(titles);
    row->addStretch(1);
    m_appMenu = new AppMenu(m_environment.surface, m_environment.preferences, m_environment.updater, header);
    row->addWidget(m_appMenu, 0, Qt::AlignVCenter);
    return header;
}

QWidget *MenuBarPopover::makeFooter()
{
    auto *footer = new QWidget;
    footer->setFixedHeight(38);
    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(16, 0, 10, 0);
    row->setSpacing(12);
    m_status = new FooterStatus(m_state, 11, footer);
    row->addWidget(m_status);
    row->addStretch(1);
    m_clearAll = new ClearAllButton(m_environment.todos, m_state, footer);
    row->addWidget(m_clearAll);

    m_openInWindow = new IconButton(QStringLiteral("arrow.up.left.and.arrow.down.right"), footer);
    m_openInWindow->setFixedSize(22, 22);
    m_openInWindow->setSymbolSize(12);
    m_openInWindow->setToolTip(QStringLiteral("Open in window (Ctrl+O)"));
    m_openInWindow->setAccessibleName(QStringLiteral("Open in window"));
    row->addWidget(m_openInWindow);
    const auto expand = [this] {
        if (m_environment.surface)
            m_environment.surface->expand();
    };
    connect(m_openInWindow, &IconButton::clicked, this, expand);
    // Bound to the button, so Ctrl+O works only while the todos footer is on screen.
    auto *openAction = new QAction(QStringLiteral("Open in window"), m_openInWindow);
    openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    openAction->setShortcutContext(Qt::WindowShortcut);
    connect(openAction, &QAction::triggered, this, expand);
    m_openInWindow->addAction(openAction);

    for (auto signal : {&TodosTabState::confirmingClearChanged, &TodosTabState::todosChanged,
                        &TodosTabState::dayChanged, &TodosTabState::todayChanged})
        connect(m_state, signal, this, &MenuBarPopover::refreshFooter);
    refreshFooter();
    return footer;
}

void MenuBarPopover::refreshFooter()
{
    // The question of the clear-all control needs the room of the status text.
    m_status->setVisible(!m_state->isConfirmingClear());
    m_clearAll->setVisible(!m_state->shownTodos().isEmpty());
}

void MenuBarPopover::dayChanged()
{
    m_state->refreshToday();
}

QSize MenuBarPopover::sizeHint() const
{
    return QSize(panelWidth, QWidget::sizeHint().height());
}

void MenuBarPopover::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors();
}

void MenuBarPopover::applyColors()
{
    QPalette pal = m_tagline->palette();
    pal.setColor(QPalette::WindowText, SystemColors::secondary(palette()));
    m_tagline->setPalette(pal);
}

void MenuBarPopover::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_hasAppeared)
        return;
    m_hasAppeared = true;
    m_todosTab->input()->focusField();
}
