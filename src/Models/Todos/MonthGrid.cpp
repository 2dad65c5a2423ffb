#include "Models/Todos/MonthGrid.h"

#include "Models/Todos/Days.h"

#include <QLocale>

namespace MonthGrid {

QDate month(const QDate &selection, int offset)
{
    const QDate first(selection.year(), selection.month(), 1);
    if (!first.isValid())
        return selection;
    const QDate stepped = first.addMonths(offset);
    return stepped.isValid() ? stepped : first;
}

int lead(const QDate &month, Qt::DayOfWeek firstWeekday)
{
    return (month.dayOfWeek() - int(firstWeekday) + 7) % 7;
}

QList<QList<QDate>> rows(const QDate &month, const QDate &today, Qt::DayOfWeek firstWeekday)
{
    const int before = lead(month, firstWeekday);
    QList<QList<QDate>> result;
    for (int row = 0; row < 6; ++row) {
        QList<QDate> week;
        week.reserve(7);
        for (int column = 0; column < 7; ++column)
            week.append(Days::adding(row * 7 + column - before, month));
        if (week.last() >= today)
            result.append(week);
    }
    return result;
}

QList<QList<QDate>> rows(const QDate &month, const QDate &today)
{
    return rows(month, today, Days::firstWeekday());
}

QStringList weekdaySymbols(Qt::DayOfWeek firstWeekday)
{
    const QLocale locale;
    QStringList symbols;
    for (int i = 0; i < 7; ++i)
        symbols.append(locale.standaloneDayName((int(firstWeekday) - 1 + i) % 7 + 1, QLocale::NarrowFormat));
    return symbols;
}

QStringList weekdaySymbols()
{
    return weekdaySymbols(Days::firstWeekday());
}

QString title(const QDate &month)
{
    const QLocale locale;
    return locale.standaloneMonthName(month.month(), QLocale::LongFormat) + QLatin1Char(' ')
        + QString::number(month.year());
}

bool canGoBack(const QDate &month, const QDate &today)
{
    return month > today;
}

} // namespace MonthGrid
