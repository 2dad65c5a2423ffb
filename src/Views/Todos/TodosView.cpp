#include "Views/Todos/TodosView.h"

#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/CrossFade.h"
#include "Components/Controls/OverflowArea.h"
#include "Components/Theme/Curves.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Todos/CalendarPanel.h"
#include "Views/Todos/EmptyState.h"
#include "Views/Todos/MonthCalendar.h"
#include "Views/Todos/TodoInput.h"
#include "Views/Todos/TodoListView.h"

#include <QApplication>
#include <QVBoxLayout>

namespace {

// The container's spring for the card and for what the list shows.
constexpr int motionMs = 220;

// A box that gives its one child the margins around it.
QWidget *padded(QWidget *child, const QMargins &margins, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(margins);
    layout->setSpacing(0);
    child->setParent(box);
    layout->addWidget(child);
    return box;
}

} // namespace

TodosView::TodosView(TodosTabState &state, SoundBank &sounds, Density density, const Metrics &metrics, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_density(density)
    , m_metrics(metrics)
    , m_column(new QVBoxLayout(this))
    , m_input(new TodoInput(state, density))
    , m_calendar(new CalendarPanel(state, density))
    , m_body(new QWidget)
    , m_empty(new EmptyState(density))
    , m_list(new TodoListView(state.store(), state, sounds, density))
    , m_bodyFade(new CrossFade(this, motionMs))
{
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);
    m_column->addWidget(padded(m_input, metrics.input, this));
    // The card and the body scroll between the input and the footer on a screen too short for
    // even the list's least height under the card.
    auto *middle = new QWidget;
    auto *middleColumn = new QVBoxLayout(middle);
    middleColumn->setContentsMargins(0, 0, 0, 0);
    middleColumn->setSpacing(0);
    m_calendarBox = padded(m_calendar, metrics.calendar, middle);
    middleColumn->addWidget(m_calendarBox);

    // The body takes the free height where the container has some to give (the window).
    const bool fills = !metrics.emptyStateHeight;
    auto *bodyLayout = new QVBoxLayout(m_body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->setSpacing(0);
    m_emptyBox = padded(m_empty, {}, m_body);
    if (metrics.emptyStateHeight)
        m_emptyBox->setFixedHeight(*metrics.emptyStateHeight);
    m_listBox = padded(m_list, metrics.list, m_body);
    m_list->setMaxHeight(metrics.listMaxHeight);
    // A list that shrinks (a deletion) is at once shorter than its box, until the box takes the
    // change in; meanwhile it stays at the top of the box rather than drawn in its middle.
    if (metrics.listMaxHeight)
        m_listBox->layout()->setAlignment(m_list, Qt::AlignTop);
    bodyLayout->addWidget(m_emptyBox, fills ? 1 : 0);
    bodyLayout->addWidget(m_listBox, fills ? 1 : 0);
    // While the panel shrinks to a shorter list, the room it has still to give up lies under
    // the rows, which stay where they are, and not around the input or the footer.
    if (!fills)
        bodyLayout->addStretch(1);
    middleColumn->addWidget(m_body, fills ? 1 : 0);
    m_middle = new OverflowArea(middle, this);
    m_list->scrollWith(m_middle);
    m_column->addWidget(m_middle, 1);

    for (auto signal :
        { &TodosTabState::showsCalendarChanged, &TodosTabState::movingIDChanged, &TodosTabState::todosChanged })
        connect(&m_state, signal, this, &TodosView::refreshCalendarCard);
    for (auto signal : { &TodosTabState::todosChanged, &TodosTabState::dayChanged, &TodosTabState::todayChanged })
        connect(&m_state, signal, this, &TodosView::refreshBody);
    m_cardShown = m_state.showsCalendarCard();
    m_calendarBox->setVisible(m_cardShown);
    // The card comes down from the top edge and goes back up, fading, and its room grows and
    // shrinks with it, so the list below glides. In the window it takes that room from the
    // header as the header leaves; in the panel the panel's edge moves with it, so it moves as
    // the panel resizes.
    AppearTransition::Motion cardMotion {
        .durationMs = motionMs, .slidesIn = true, .slidesOut = true, .yieldsRoom = true
    };
    if (density == Density::Compact) {
        cardMotion.durationMs = Curves::panelResizeMs;
        cardMotion.curve = Curves::panelResize();
    }
    m_cardMotion = new AppearTransition(m_calendarBox, cardMotion);
    refreshBody();
}

void TodosView::follow(Surface *surface)
{
    m_list->follow(surface);
}

void TodosView::setFooter(QWidget *footer)
{
    footer->setParent(this);
    m_column->addWidget(footer);
}

bool TodosView::showsCalendarCard() const
{
    return m_cardShown;
}

bool TodosView::showsEmptyState() const
{
    return !m_emptyBox->isHidden();
}

void TodosView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Another tab took the content's place (the window itself is still shown): the card starts
    // anew on the selection's month when the todos come back. Closing the surface keeps it.
    if (window()->isVisible())
        m_calendar->calendar()->showSelectedMonth();
}

void TodosView::refreshCalendarCard()
{
    const bool shown = m_state.showsCalendarCard();
    if (shown == m_cardShown)
        return;
    m_cardShown = shown;
    // A card that went away took the months stepped through with it: it comes back on the
    // selection's month (it keeps its month while it fades out).
    if (shown)
        m_calendar->calendar()->showSelectedMonth();
    // The keyboard on one of the card's buttons goes back to the input rather than on to the
    // next control, which a Return would then press.
    const QWidget *focused = QApplication::focusWidget();
    if (!shown && focused && m_calendarBox->isAncestorOf(focused))
        m_input->focusField();
    m_cardMotion->setShown(shown);
}

void TodosView::refreshBody()
{
    const bool empty = m_state.sections().isEmpty();
    const bool switches = empty == m_emptyBox->isHidden();
    if (switches)
        m_bodyFade->capture(m_body);
    m_empty->setDay(m_state.day(), m_state.today());
    m_emptyBox->setVisible(empty);
    m_listBox->setVisible(!empty);
    // The empty state and the list fade into each other.
    if (switches)
        m_bodyFade->play(m_body);
}
