#pragma once

#include "Models/Shell/VemraTab.h"
#include "Models/Todos/Todo.h"
#include "Models/Todos/TodoSection.h"

#include <QDate>
#include <QMap>
#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

class Clock;
class SettingsStore;
class Surface;
class TodoStore;
class WorkspaceEvents;

// The state of a surface's todos tab, shared by the input line, the calendar card, the list
// and the footer, so that the widgets only draw it: the typed text, the selected row, the
// day filter, the todo being moved to another day, the clear-all confirmation, the idea of
// today and whether the calendar is shown.
//
// The day filter is either absent or a day after today: once today reaches or passes it,
// it is dropped, so the list, the clear-all prompt and new todos never act on a past day.
class TodosTabState final : public QObject
{
    Q_OBJECT

public:
    // What one press of Escape undid.
    enum class EscapeStep {
        CancelledClear,
        EndedMove,
        ClearedDraft,
        ClearedDayFilter,
        // Nothing was left to undo and the surface asked to close (the panel).
        Closed,
        // Nothing was left to undo and the surface stays (the window).
        Nothing,
    };
    Q_ENUM(EscapeStep)

    // `settings` remember under `calendarKey` whether the calendar is shown (an empty key: it is
    // not remembered). `closesOnEscape` is true for the panel, which closes once Escape has
    // nothing else to undo; the window never closes on Escape.
    TodosTabState(TodoStore &store, const Clock &clock, SettingsStore &settings, const QString &calendarKey,
        bool closesOnEscape, QObject *parent = nullptr);

    TodoStore &store() const { return m_store; }

    QString draft() const { return m_draft; }
    void setDraft(const QString &draft);

    std::optional<QUuid> selection() const { return m_selection; }
    void setSelection(const std::optional<QUuid> &selection);

    bool isConfirmingClear() const { return m_confirmingClear; }
    void setConfirmingClear(bool confirming);

    // The day filter; a day that is not after today is taken as no filter.
    std::optional<QDate> day() const { return m_day; }
    void setDay(const std::optional<QDate> &day);

    std::optional<QUuid> movingID() const { return m_movingID; }
    void setMovingID(const std::optional<QUuid> &id);

    QDate today() const { return m_today; }

    bool showsCalendar() const { return m_showsCalendar; }
    void setShowsCalendar(bool shows);

    // Derived from the store. The sections, the shown todos and the marks are worked out once
    // per change of the todos, the filter or today, and shared by every widget of the tab.
    std::optional<Todo> movingTodo() const;
    bool isMoving() const { return movingTodo().has_value(); }
    bool showsCalendarCard() const { return m_showsCalendar || isMoving(); }
    QList<Todo> todos() const;
    QList<TodoSection> sections() const;
    // The todos of every section, section after section: what the footer counts and clear-all deletes.
    QList<Todo> shownTodos() const;
    QMap<QDate, bool> marks() const;
    // The day the calendar highlights: the moving todo's listing day, else the filter, else today.
    QDate calendarSelection() const;
    // " tomorrow", " on Friday", …: the filter's suffix for prompts; "" without a filter.
    QString dayPhrase() const;

    // Return in the input: adds the typed text on the filter's day and empties the input;
    // a blank text adds nothing and stays.
    std::optional<Todo> add();
    // One step back per press: the clear confirmation, then a move, then the typed text, then
    // the day filter, then the surface's own last step.
    EscapeStep escape();
    // A day picked on the calendar: gives the moving todo that day (today: no day) and ends the
    // move, or else toggles the day filter.
    void pickDay(const QDate &day);
    // Filters to `day`, or clears the filter when `day` is today or already the filter.
    void toggleDayFilter(const QDate &day);
    // Starts moving a todo to another day with the calendar.
    void beginMove(const QUuid &id);
    // The confirmed clear-all: deletes exactly the shown todos and ends the confirmation.
    void clearShown();

    // Takes the surface's showing, hiding, tab changes and focus requests as the reactions
    // below, and closes the surface when Escape finds nothing else to undo in the panel.
    void follow(Surface *surface);
    // Renews today when a new calendar day starts or the computer wakes.
    void follow(WorkspaceEvents *events);

    // The surface was shown (today is renewed) or hidden (the confirmation, the filter and a
    // move end; the typed text, the selection and the calendar switch survive).
    void setVisible(bool visible);
    // Renews today from the clock, dropping a filter that today has reached.
    void refreshToday();
    // The surface asked for the input focus (it was shown, or New Todo) while on `tab`.
    void focusRequested(VemraTab tab);
    // The surface switched to `tab`.
    void tabChanged(VemraTab tab);

Q_SIGNALS:
    void draftChanged();
    void selectionChanged();
    void confirmingClearChanged();
    void dayChanged();
    void movingIDChanged();
    void todayChanged();
    void showsCalendarChanged();
    // The stored todos changed: sections, marks and whether a move is on may differ.
    void todosChanged();
    // The todo input should take the keyboard focus.
    void inputFocusRequested();
    // Escape found nothing else to undo in the panel.
    void closeRequested();

private:
    void dropPastFilter();
    void forgetDerived();

    TodoStore &m_store;
    const Clock &m_clock;
    SettingsStore &m_settings;
    QString m_calendarKey;
    bool m_closesOnEscape;

    QString m_draft;
    std::optional<QUuid> m_selection;
    bool m_confirmingClear = false;
    std::optional<QDate> m_day;
    std::optional<QUuid> m_movingID;
    QDate m_today;
    bool m_showsCalendar = false;

    mutable std::optional<QList<TodoSection>> m_sections;
    mutable std::optional<QList<Todo>> m_shownTodos;
    mutable std::optional<QMap<QDate, bool>> m_marks;
};
