#include "Services/Todos/TodosTabState.h"

#include "Models/Todos/Days.h"
#include "Platform/Clock.h"
#include "Platform/SettingsStore.h"
#include "Platform/WorkspaceEvents.h"
#include "Services/Shell/Surface.h"
#include "Services/Todos/TodoStore.h"

TodosTabState::TodosTabState(TodoStore &store, const Clock &clock, SettingsStore &settings, const QString &calendarKey,
    bool closesOnEscape, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_clock(clock)
    , m_settings(settings)
    , m_calendarKey(calendarKey)
    , m_closesOnEscape(closesOnEscape)
    , m_today(Days::dayOf(clock.now()))
{
    if (!m_calendarKey.isEmpty())
        m_showsCalendar = m_settings.value(m_calendarKey).toBool();
    connect(&m_store, &TodoStore::changed, this, [this] {
        forgetDerived();
        Q_EMIT todosChanged();
    });
}

void TodosTabState::forgetDerived()
{
    m_sections.reset();
    m_shownTodos.reset();
    m_marks.reset();
}

void TodosTabState::setDraft(const QString &draft)
{
    if (m_draft == draft)
        return;
    m_draft = draft;
    Q_EMIT draftChanged();
}

void TodosTabState::setSelection(const std::optional<QUuid> &selection)
{
    if (m_selection == selection)
        return;
    m_selection = selection;
    Q_EMIT selectionChanged();
}

void TodosTabState::setConfirmingClear(bool confirming)
{
    if (m_confirmingClear == confirming)
        return;
    m_confirmingClear = confirming;
    Q_EMIT confirmingClearChanged();
}

void TodosTabState::setDay(const std::optional<QDate> &day)
{
    // A filter on today or earlier would list every todo while naming a day; it means none.
    const std::optional<QDate> filter = (day && *day > m_today) ? day : std::nullopt;
    if (m_day == filter)
        return;
    m_day = filter;
    forgetDerived();
    Q_EMIT dayChanged();
    setSelection(std::nullopt);
}

void TodosTabState::setMovingID(const std::optional<QUuid> &id)
{
    if (m_movingID == id)
        return;
    m_movingID = id;
    Q_EMIT movingIDChanged();
}

void TodosTabState::setShowsCalendar(bool shows)
{
    if (m_showsCalendar == shows)
        return;
    m_showsCalendar = shows;
    if (!m_calendarKey.isEmpty())
        m_settings.setValue(m_calendarKey, shows);
    Q_EMIT showsCalendarChanged();
}

std::optional<Todo> TodosTabState::movingTodo() const
{
    if (!m_movingID)
        return std::nullopt;
    return m_store.todo(*m_movingID);
}

QList<Todo> TodosTabState::todos() const
{
    return m_store.allTodos();
}

QList<TodoSection> TodosTabState::sections() const
{
    if (!m_sections)
        m_sections = TodoSection::sections(todos(), m_day, m_today);
    return *m_sections;
}

QList<Todo> TodosTabState::shownTodos() const
{
    if (!m_shownTodos) {
        QList<Todo> shown;
        for (const TodoSection &section : sections())
            shown.append(section.todos);
        m_shownTodos = shown;
    }
    return *m_shownTodos;
}

QMap<QDate, bool> TodosTabState::marks() const
{
    if (!m_marks)
        m_marks = TodoSection::marks(todos(), m_today);
    return *m_marks;
}

QDate TodosTabState::calendarSelection() const
{
    if (const std::optional<Todo> moving = movingTodo())
        return moving->listDay(m_today);
    return m_day.value_or(m_today);
}

QString TodosTabState::dayPhrase() const
{
    return Days::phrase(m_day, m_today);
}

std::optional<Todo> TodosTabState::add()
{
    // Should the day-change notice have been missed, a new todo still never takes a day that
    // has already passed.
    refreshToday();
    std::optional<Todo> added = m_store.add(m_draft, m_day);
    if (added)
        setDraft(QString());
    return added;
}

TodosTabState::EscapeStep TodosTabState::escape()
{
    if (m_confirmingClear) {
        setConfirmingClear(false);
        return EscapeStep::CancelledClear;
    }
    if (isMoving()) {
        setMovingID(std::nullopt);
        return EscapeStep::EndedMove;
    }
    if (!m_draft.isEmpty()) {
        setDraft(QString());
        return EscapeStep::ClearedDraft;
    }
    if (m_day) {
        setDay(std::nullopt);
        return EscapeStep::ClearedDayFilter;
    }
    if (!m_closesOnEscape)
        return EscapeStep::Nothing;
    Q_EMIT closeRequested();
    return EscapeStep::Closed;
}

void TodosTabState::pickDay(const QDate &day)
{
    if (const std::optional<Todo> moving = movingTodo()) {
        const std::optional<QDate> target = day == m_today ? std::nullopt : std::optional<QDate>(day);
        m_store.schedule(moving->id, target);
        setMovingID(std::nullopt);
        return;
    }
    toggleDayFilter(day);
}

void TodosTabState::toggleDayFilter(const QDate &day)
{
    const std::optional<QDate> target = day == m_today ? std::nullopt : std::optional<QDate>(day);
    setDay(target == m_day ? std::nullopt : target);
}

void TodosTabState::beginMove(const QUuid &id)
{
    setMovingID(id);
}

void TodosTabState::clearShown()
{
    QList<QUuid> ids;
    for (const Todo &todo : shownTodos())
        ids.append(todo.id);
    m_store.remove(ids);
    setConfirmingClear(false);
}

void TodosTabState::follow(Surface *surface)
{
    connect(surface, &Surface::isVisibleChanged, this, &TodosTabState::setVisible);
    connect(surface, &Surface::tabChanged, this, &TodosTabState::tabChanged);
    connect(surface, &Surface::focusRequestChanged, this, [this, surface] { focusRequested(surface->tab()); });
    connect(this, &TodosTabState::closeRequested, surface, &Surface::close);
}

void TodosTabState::follow(WorkspaceEvents *events)
{
    connect(events, &WorkspaceEvents::dayChanged, this, &TodosTabState::refreshToday);
    connect(events, &WorkspaceEvents::didWake, this, &TodosTabState::refreshToday);
}

void TodosTabState::setVisible(bool visible)
{
    if (visible) {
        refreshToday();
        return;
    }
    setConfirmingClear(false);
    setDay(std::nullopt);
    setMovingID(std::nullopt);
}

void TodosTabState::refreshToday()
{
    const QDate today = Days::dayOf(m_clock.now());
    const bool changed = today != m_today;
    m_today = today;
    if (changed)
        forgetDerived();
    dropPastFilter();
    if (changed)
        Q_EMIT todayChanged();
}

void TodosTabState::focusRequested(VemraTab tab)
{
    if (tab == VemraTab::Todos)
        Q_EMIT inputFocusRequested();
}

void TodosTabState::tabChanged(VemraTab tab)
{
    if (tab == VemraTab::Todos)
        Q_EMIT inputFocusRequested();
}

void TodosTabState::dropPastFilter()
{
    if (m_day && *m_day <= m_today)
        setDay(std::nullopt);
}
