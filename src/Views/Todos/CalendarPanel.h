#pragma once

#include "Components/Controls/Plate.h"
#include "Components/Theme/Density.h"

class AppearTransition;
class ElidedLabel;
class MonthCalendar;
class TintedButton;
class TodosTabState;

// The calendar card of the todos tab. Normally a click on a day filters the list to that day
// (a second click on it, or a click on today, shows every day again); while a todo is being
// moved to another day a line names the todo with a Cancel button, and a click gives the todo
// that day. The grid's selection and day marks follow the tab state, which makes every change.
class CalendarPanel final : public Plate
{
    Q_OBJECT

public:
    CalendarPanel(TodosTabState &state, Density density, QWidget *parent = nullptr);

    MonthCalendar *calendar() const { return m_calendar; }
    // The "Move “…” to…" line's full text; empty while no todo is being moved.
    QString movingText() const;
    // Whether the line is shown, or on its way in (it fades in and out).
    bool showsMovingHeader() const;
    TintedButton *cancelButton() const { return m_cancel; }

private:
    void refresh();

    TodosTabState &m_state;
    QWidget *m_header;
    AppearTransition *m_headerFade;
    ElidedLabel *m_moving;
    QString m_movingText;
    TintedButton *m_cancel;
    MonthCalendar *m_calendar;
};
