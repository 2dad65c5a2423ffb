#pragma once

#include "Components/Theme/Density.h"

#include <QPointer>
#include <QWidget>

class MonthCalendar;
class QLabel;
class TintedButton;
class TodosTabState;

// The calendar card of the todos tab. Normally a click on a day filters the list to that day
// (a second click on it, or a click on today, shows every day again); while a todo is being
// moved to another day a line names the todo with a Cancel button, and a click gives the todo
// that day. The grid's selection and day marks follow the tab state, which makes every change.
class CalendarPanel final : public QWidget
{
    Q_OBJECT

public:
    CalendarPanel(TodosTabState *state, Density density, QWidget *parent = nullptr);

    MonthCalendar *calendar() const { return m_calendar; }
    // The "Move “…” to…" line's full text; empty while no todo is being moved.
    QString movingText() const;
    bool showsMovingHeader() const;
    TintedButton *cancelButton() const { return m_cancel; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void refresh();
    void applyColors();

    QPointer<TodosTabState> m_state;
    Density m_density;
    QWidget *m_header;
    QLabel *m_moving;
    QString m_movingText;
    TintedButton *m_cancel;
    MonthCalendar *m_calendar;
};
