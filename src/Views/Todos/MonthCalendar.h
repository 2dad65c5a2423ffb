#pragma once

#include "Components/Theme/Density.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QWidget>

class CrossFade;
class QKeyEvent;
class QLabel;
class RollingLabel;
class TintedButton;
class DayCell;

// The month grid of the calendar card: a title with previous/next month arrows, a row of
// weekday letters and the rows of seven days from the locale's first weekday, leaving out the
// rows that end before today. Days with todos carry a dot (accent: open todos; grey: all
// done); past days are dimmed and cannot be picked.
//
// It keeps one piece of state of its own, how many months the user stepped away from the
// selection's month; a new selection brings the grid back to the selection's month. A click
// on a day only reports `picked`: the host decides what it means and passes a new selection.
//
// The grid of days is one Tab stop. While it has the keyboard, the arrows move a current day
// (a day either way, a week up or down, into the next or previous month as the month arrows
// would, never before today), Space or Return picks it as a click does, and its cell wears the
// focus ring.
class MonthCalendar final : public QWidget
{
    Q_OBJECT

public:
    explicit MonthCalendar(Density density, QWidget *parent = nullptr);
    ~MonthCalendar() override;

    QDate today() const { return m_today; }
    void setToday(const QDate &today);
    QDate selection() const { return m_selection; }
    void setSelection(const QDate &selection);
    QMap<QDate, bool> marks() const { return m_marks; }
    void setMarks(const QMap<QDate, bool> &marks);

    int monthOffset() const { return m_monthOffset; }
    // The first day of the month shown.
    QDate month() const;
    // The rows of days shown.
    QList<QList<QDate>> weeks() const;
    QString title() const;
    bool canGoBack() const;
    // The day the arrows move from: in the month shown, never before today (invalid when the
    // month shown has no such day).
    QDate currentDay() const { return m_current; }
    QWidget *dayGrid() const { return m_grid; }

    // Steps the shown month by `months` (the arrows step by one); the title rolls and the grid
    // cross-fades to the new month over 0.2 s.
    void stepMonth(int months);
    // Back to the selection's month, as when the grid is shown anew.
    void showSelectedMonth();

Q_SIGNALS:
    // An enabled day was clicked.
    void picked(const QDate &day);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    // The day of the month shown that the keyboard goes to: `wanted`, else the selection, else
    // the month's first day from today.
    QDate dayInShownMonth(const QDate &wanted) const;
    void moveCurrent(int days);
    bool handleKey(const QKeyEvent &key);
    void showCurrent();

    Density m_density;
    QDate m_today;
    QDate m_selection;
    QMap<QDate, bool> m_marks;
    int m_monthOffset = 0;
    QDate m_current;

    RollingLabel *m_title;
    TintedButton *m_previous;
    TintedButton *m_next;
    QList<QLabel *> m_weekdays;
    QWidget *m_grid;
    CrossFade *m_gridFade;
    QList<QWidget *> m_rows;
    QList<DayCell *> m_cells;
};
