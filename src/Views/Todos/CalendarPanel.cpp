#include "Views/Todos/CalendarPanel.h"

#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/ElidedLabel.h"
#include "Components/Controls/TintedButton.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Todos/MonthCalendar.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

CalendarPanel::CalendarPanel(TodosTabState &state, Density density, QWidget *parent)
    : Plate({ Theme::cardFill, Theme::hairline, Theme::fieldRadius(density) }, parent)
    , m_state(state)
    , m_header(new QWidget(this))
    , m_headerFade(nullptr)
    , m_moving(new ElidedLabel(Qt::ElideMiddle, Theme::secondary, m_header))
    , m_cancel(new TintedButton(QStringLiteral("Cancel"), { TintedButtonStyle::Gray, 22, 12 }, m_header))
    , m_calendar(new MonthCalendar(density, this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(Theme::cardPadding, Theme::cardPadding, Theme::cardPadding, Theme::cardPadding);
    column->setSpacing(8);

    auto *headerRow = new QHBoxLayout(m_header);
    headerRow->setContentsMargins(0, 0, 0, 0);
    headerRow->setSpacing(8);
    m_moving->setPixelFont(12);
    headerRow->addWidget(m_moving, 1);
    headerRow->addWidget(m_cancel);
    column->addWidget(m_header);
    column->addWidget(m_calendar);
    // The line fades in and out as a move begins and ends; the card's height follows at once.
    m_header->hide();
    m_headerFade = new AppearTransition(m_header, { .durationMs = 200, .curve = QEasingCurve::OutCubic });

    m_cancel->setFocusPolicy(Qt::TabFocus);
    connect(m_cancel, &TintedButton::clicked, this, [this] { m_state.setMovingID(std::nullopt); });
    connect(m_calendar, &MonthCalendar::picked, this, [this](const QDate &day) { m_state.pickDay(day); });
    for (auto signal : { &TodosTabState::todosChanged, &TodosTabState::dayChanged, &TodosTabState::todayChanged,
             &TodosTabState::movingIDChanged })
        connect(&m_state, signal, this, &CalendarPanel::refresh);
    refresh();
}

QString CalendarPanel::movingText() const
{
    return m_movingText;
}

bool CalendarPanel::showsMovingHeader() const
{
    return m_headerFade->isShown();
}

void CalendarPanel::refresh()
{
    const std::optional<Todo> moving = m_state.movingTodo();
    m_movingText = moving ? QStringLiteral("Move “") + moving->title + QStringLiteral("” to…") : QString();
    // Cut in the middle, so that "Move “" and "” to…" stay readable around a long title.
    m_moving->setFullText(m_movingText);
    // Cancel going away under the keyboard gives it back to the input, not on to the month's
    // arrows, which the next Return would press.
    if (!moving && m_cancel->hasFocus())
        m_state.focusRequested(VemraTab::Todos);
    m_headerFade->setShown(moving.has_value());

    m_calendar->setToday(m_state.today());
    m_calendar->setMarks(m_state.marks());
    m_calendar->setSelection(m_state.calendarSelection());
}
