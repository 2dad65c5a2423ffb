#include "Views/ExpandedWindow.h"

#include "Components/ClearAllButton.h"
#include "Components/ConfettiLayer.h"
#include "Components/SectionPicker.h"
#include "Components/MotionPreference.h"
#include "Components/SystemColors.h"
#include "Components/TabFade.h"
#include "Components/VemraBadge.h"
#include "Services/Surface.h"
#include "Services/TodosTabState.h"
#include "Views/FooterStatus.h"
#include "Views/PlaceholderContainer.h"
#include "Views/TabContent.h"
#include "Views/TodosTab.h"
#include "Views/Todos/TodoInput.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
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
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

} // namespace

ExpandedWindow::ExpandedWindow(const Environment &environment, SettingsStore *settings, const Clock *clock,
                               QWidget *parent)
    : QWidget(parent)
    , m_environment(environment)
    , m_state(new TodosTabState(environment.todos, clock, settings, QString::fromLatin1(calendarKey), false, this))
{
    // The column keeps to the middle of a wide window and narrows with a small one.
    auto *centring = new QHBoxLayout(this);
    centring->setContentsMargins(0, 0, 0, 0);
    centring->setSpacing(0);
    m_column = new QWidget(this);
    m_column->setMaximumWidth(maxColumnWidth);
    m_column->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    centring->addStretch(0);
    centring->addWidget(m_column, 1);
    centring->addStretch(0);

    auto *column = new QVBoxLayout(m_column);
    column->setContentsMargins(40, 44, 40, 0);
    column->setSpacing(0);
    m_header = makeHeader();
    m_headerFade = new TabFade(m_header);
    applyColors();
    column->addWidget(m_header);

    m_picker = new SectionPicker(Density::Regular, m_column);
    m_picker->setMaximumWidth(300);
    if (m_environment.surface)
        m_picker->bind(m_environment.surface);
    auto *pickerBox = new QWidget(m_column);
    auto *pickerLayout = new QHBoxLayout(pickerBox);
    pickerLayout->setContentsMargins(0, 0, 0, 16);
    pickerLayout->addWidget(m_picker);
    column->addWidget(pickerBox);

    m_content = new TabContent(m_environment.surface, m_column);
    TodosTab::Metrics metrics;
    metrics.calendar = QMargins(0, 12, 0, 0);
    metrics.list = QMargins(0, 12, 0, 0);
    m_todosTab = new TodosTab(m_environment.todos, m_state, Density::Regular, metrics);
    m_todosTab->setFooter(makeFooter());
    m_content->setPage(VemraTab::Todos, m_todosTab, 1);
    m_content->setPage(VemraTab::Clipboard, new PlaceholderContainer(VemraTab::Clipboard), 1);
    m_content->setPage(VemraTab::Focus, new PlaceholderContainer(VemraTab::Focus), 1);
    column->addWidget(m_content, 1);

    // Completed todos throw their confetti over the whole surface.
    new ConfettiLayer(this);

    for (auto signal : {&TodosTabState::showsCalendarChanged, &TodosTabState::movingIDChanged,
                        &TodosTabState::todosChanged})
        connect(m_state, signal, this, &ExpandedWindow::refreshHeader);
    if (m_environment.surface) {
        connect(m_environment.surface, &Surface::tabChanged, this, &ExpandedWindow::refreshHeader);
        m_todosTab->follow(m_environment.surface);
        m_state->follow(m_environment.surface);
    }
    refreshHeader();
}

ExpandedWindow::~ExpandedWindow() = default;

QWidget *ExpandedWindow::makeHeader()
{
    auto *header = new QWidget(m_column);
    auto *stack = new QVBoxLayout(header);
    stack->setContentsMargins(0, 0, 0, 22);
    stack->setSpacing(4);
    stack->addWidget(new VemraBadge(40, header), 0, Qt::AlignHCenter);
    stack->addSpacing(10);
    stack->addWidget(textLabel(QStringLiteral("Vemra"), 26, QFont::DemiBold, header));
    m_tagline = textLabel(QStringLiteral("Offline todo for myself."), 13, QFont::Normal, header);
    stack->addWidget(m_tagline);
    return header;
}

QWidget *ExpandedWindow::makeFooter()
{
    auto *footer = new QWidget;
    footer->setMinimumHeight(44);
    auto *stack = new QVBoxLayout(footer);
    stack->setContentsMargins(0, 14, 0, 24);
    stack->setSpacing(10);
    stack->setAlignment(Qt::AlignTop);
    m_status = new FooterStatus(m_state, 12, footer);
    stack->addWidget(m_status, 0, Qt::AlignHCenter);
    m_clearAll = new ClearAllButton(m_environment.todos, m_state, footer);
    stack->addWidget(m_clearAll, 0, Qt::AlignHCenter);
    for (auto signal : {&TodosTabState::todosChanged, &TodosTabState::dayChanged, &TodosTabState::todayChanged})
        connect(m_state, signal, this, &ExpandedWindow::refreshFooter);
    refreshFooter();
    return footer;
}

bool ExpandedWindow::showsHeader() const
{
    const VemraTab tab = m_environment.surface ? m_environment.surface->tab() : VemraTab::Todos;
    return tab != VemraTab::Todos || !m_state->showsCalendarCard();
}

void ExpandedWindow::refreshHeader()
{
    const bool shown = showsHeader();
    if (shown == !m_header->isHidden())
        return;
    m_header->setVisible(shown);
    if (shown && isVisible())
        m_headerFade->play(MotionPreference::reducesMotion());
}

void ExpandedWindow::refreshFooter()
{
    m_clearAll->setVisible(!m_state->shownTodos().isEmpty());
}

void ExpandedWindow::dayChanged()
{
    m_state->refreshToday();
}

void ExpandedWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors();
}

void ExpandedWindow::applyColors()
{
    QPalette pal = m_tagline->palette();
    pal.setColor(QPalette::WindowText, SystemColors::secondary(palette()));
    m_tagline->setPalette(pal);
}

void ExpandedWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_hasAppeared)
        return;
    m_hasAppeared = true;
    m_todosTab->input()->focusField();
}
