#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

// The calendar rules the clipboard's time wording and periods are worked out with: where
// days begin (the time zone), which day begins a week, and the locale of the date texts.
// Passed in by the caller so that tests can pin all three.
struct ClipboardCalendar
{
    QTimeZone timeZone = QTimeZone::systemTimeZone();
    Qt::DayOfWeek firstDayOfWeek = Qt::Sunday;
    QLocale locale;

    // The user's: system time zone, and the week start and formats of the default locale.
    static ClipboardCalendar current()
    {
        ClipboardCalendar calendar;
        calendar.firstDayOfWeek = calendar.locale.firstDayOfWeek();
        return calendar;
    }

    QDate date(const QDateTime &moment) const { return moment.toTimeZone(timeZone).date(); }
    // The first moment of `day` (the first moment that exists, on a day that skips midnight).
    QDateTime startOfDay(QDate day) const { return day.startOfDay(timeZone); }
    bool isSameDay(const QDateTime &a, const QDateTime &b) const { return date(a) == date(b); }
};
