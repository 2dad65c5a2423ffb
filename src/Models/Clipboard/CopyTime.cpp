#include "Models/Clipboard/CopyTime.h"

namespace CopyTime {

QString describe(const QDateTime &date, const QDateTime &now, bool longForm, const ClipboardCalendar &calendar)
{
    const qint64 elapsedMs = date.msecsTo(now);
    if (elapsedMs < 60 * 1000)
        return QStringLiteral("Just now");

    const qint64 minutes = elapsedMs / (60 * 1000);
    if (minutes < 60) {
        if (!longForm)
            return QString::number(minutes) + QStringLiteral(" min ago");
        return QString::number(minutes)
            + (minutes == 1 ? QStringLiteral(" minute ago") : QStringLiteral(" minutes ago"));
    }

    if (calendar.isSameDay(date, now)) {
        const qint64 hours = minutes / 60;
        if (!longForm)
            return QString::number(hours) + QStringLiteral(" hr ago");
        return QString::number(hours) + (hours == 1 ? QStringLiteral(" hour ago") : QStringLiteral(" hours ago"));
    }

    const QDate day = calendar.date(date);
    const QDate today = calendar.date(now);
    const qint64 days = day.daysTo(today);
    if (days == 1)
        return QStringLiteral("Yesterday");
    if (days > 6) {
        if (day.year() == today.year())
            return calendar.locale.toString(day, QStringLiteral("MMM d"));
        return calendar.locale.toString(day, QStringLiteral("MMM d, yyyy"));
    }
    return calendar.locale.toString(day, QStringLiteral("dddd"));
}

} // namespace CopyTime
