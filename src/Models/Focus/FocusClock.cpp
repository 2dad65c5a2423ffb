#include "Models/Focus/FocusClock.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

// Far beyond any session, and small enough for every integer step below.
constexpr double maximumSeconds = 1e12;

qint64 wholeSeconds(double seconds)
{
    if (!(seconds > 0))
        return 0;
    return qint64(std::ceil(std::min(seconds, maximumSeconds)));
}

QString twoDigits(qint64 value)
{
    return QString::number(value).rightJustified(2, u'0');
}

} // namespace

namespace FocusClock {

QString text(double seconds)
{
    const qint64 total = wholeSeconds(seconds);
    const qint64 hours = total / 3600;
    const qint64 minutes = (total % 3600) / 60;
    const qint64 rest = total % 60;
    if (total < 3600)
        return twoDigits(minutes) + u':' + twoDigits(rest);
    return QString::number(hours) + u':' + twoDigits(minutes) + u':' + twoDigits(rest);
}

QString spoken(double seconds)
{
    const qint64 total = wholeSeconds(seconds);
    const qint64 hours = total / 3600;
    const qint64 minutes = (total % 3600) / 60;
    const qint64 rest = total % 60;
    QStringList parts;
    if (total >= 3600)
        parts << QString::number(hours) + (total >= 7200 ? QStringLiteral(" hours") : QStringLiteral(" hour"));
    if (total % 3600 >= 60)
        parts << QString::number(minutes) + (minutes >= 2 ? QStringLiteral(" minutes") : QStringLiteral(" minute"));
    if (rest >= 1 || parts.isEmpty())
        parts << QString::number(rest) + (rest == 1 ? QStringLiteral(" second") : QStringLiteral(" seconds"));
    return parts.join(u' ') + QStringLiteral(" remaining");
}

} // namespace FocusClock
