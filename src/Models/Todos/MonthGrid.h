#pragma once

#include <QDate>
#include <QList>
#include <QStringList>

// The arithmetic of the month calendar, apart from its drawing: which month is shown, the
// rows of seven days, the weekday heading and whether the user may step back.
namespace MonthGrid {

// The first day of the month that holds `selection`, stepped by `offset` months.
QDate month(const QDate &selection, int offset);

// How many days of the previous month precede the 1st of `month` in its first row.
int lead(const QDate &month, Qt::DayOfWeek firstWeekday);

// The rows of seven days shown for `month`: six rows starting on the first weekday on or
// before the 1st, keeping only the rows whose last day is today or later. So the month of
// today starts with today's week and a month wholly before today has no rows.
QList<QList<QDate>> rows(const QDate &month, const QDate &today, Qt::DayOfWeek firstWeekday);
// The same with the locale's first weekday.
QList<QList<QDate>> rows(const QDate &month, const QDate &today);

// The locale's shortest standalone weekday names, starting with `firstWeekday`.
QStringList weekdaySymbols(Qt::DayOfWeek firstWeekday);
QStringList weekdaySymbols();

// "March 2026": the month's name and year in the user's locale.
QString title(const QDate &month);

// Only months after the month of today can be left backwards.
bool canGoBack(const QDate &month, const QDate &today);

} // namespace MonthGrid
