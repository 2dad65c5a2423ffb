#include "Models/Clipboard/ClipboardPeriod.h"

namespace ClipboardPeriods {

QString id(ClipboardPeriod period)
{
    return table.storedValue(period);
}

std::optional<ClipboardPeriod> fromId(const QString &text)
{
    return table.fromStoredValue(text);
}

QString word(ClipboardPeriod period)
{
    return table.title(period);
}

DateInterval interval(ClipboardPeriod period, const QDateTime &date, const ClipboardCalendar &calendar)
{
    const QDate day = calendar.date(date);
    if (!day.isValid())
        return { date, date };
    QDate first;
    QDate end;
    switch (period) {
    case ClipboardPeriod::Today:
        first = day;
        end = day.addDays(1);
        break;
    case ClipboardPeriod::LastWeek: {
        const int back = (day.dayOfWeek() - int(calendar.firstDayOfWeek) + 7) % 7;
        end = day.addDays(-back);
        first = end.addDays(-7);
        break;
    }
    case ClipboardPeriod::LastMonth:
        end = QDate(day.year(), day.month(), 1);
        first = end.addMonths(-1);
        break;
    }
    const QDateTime start = calendar.startOfDay(first);
    const QDateTime stop = calendar.startOfDay(end);
    if (!start.isValid() || !stop.isValid() || stop < start)
        return { date, date };
    return { start, stop };
}

QString dates(ClipboardPeriod period, const QDateTime &date, const ClipboardCalendar &calendar)
{
    const DateInterval span = interval(period, date, calendar);
    const QDate first = calendar.date(span.start);
    // The last moment lies one second before the end; a zero-length span has none, so its
    // own start stands in.
    const QDate last = span.end > span.start ? calendar.date(span.end.addSecs(-1)) : first;
    const QLocale &locale = calendar.locale;
    switch (period) {
    case ClipboardPeriod::Today:
        return locale.toString(first, QStringLiteral("dddd, MMM d"));
    case ClipboardPeriod::LastWeek:
        if (first.year() == last.year() && first.month() == last.month())
            return locale.toString(first, QStringLiteral("MMM d")) + QStringLiteral(" \u2013 ")
                + locale.toString(last, QStringLiteral("d"));
        if (first.year() == last.year())
            return locale.toString(first, QStringLiteral("MMM d")) + QStringLiteral(" \u2013 ")
                + locale.toString(last, QStringLiteral("MMM d"));
        return locale.toString(first, QStringLiteral("MMM d, yyyy")) + QStringLiteral(" \u2013 ")
            + locale.toString(last, QStringLiteral("MMM d, yyyy"));
    case ClipboardPeriod::LastMonth:
        if (first.year() == calendar.date(date).year())
            return locale.toString(first, QStringLiteral("MMMM"));
        return locale.toString(first, QStringLiteral("MMMM yyyy"));
    }
    return {};
}

} // namespace ClipboardPeriods
