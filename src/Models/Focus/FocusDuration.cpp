#include "Models/Focus/FocusDuration.h"

#include <QStringList>

#include <cstdlib>

namespace {

struct Split
{
    int hours;
    int rest;
    bool hasHours;
};

Split split(int minutes)
{
    const int hours = minutes / 60;
    return { hours, minutes - 60 * hours, std::abs(minutes) >= 60 };
}

QString number(int value)
{
    return QString::number(value);
}

} // namespace

namespace FocusDuration {

std::optional<int> minutes(int hours, int minutes)
{
    if (hours < 0 || hours > maximumHours || minutes < 0 || minutes > 59)
        return std::nullopt;
    const int total = hours * 60 + minutes;
    if (total < minimumMinutes || total > maximumMinutes)
        return std::nullopt;
    return total;
}

QString shortName(int minutes)
{
    const Split s = split(minutes);
    if (s.hasHours && s.rest == 0)
        return number(s.hours) + u'h';
    if (s.hasHours)
        return number(s.hours) + QStringLiteral("h ") + number(s.rest) + u'm';
    return number(s.rest) + u'm';
}

QString name(int minutes)
{
    const Split s = split(minutes);
    if (s.hasHours && s.rest == 0)
        return number(s.hours) + QStringLiteral(" hr");
    if (s.hasHours)
        return number(s.hours) + QStringLiteral(" hr ") + number(s.rest) + QStringLiteral(" min");
    return number(s.rest) + QStringLiteral(" min");
}

QString spokenName(int minutes)
{
    const Split s = split(minutes);
    QStringList parts;
    if (s.hasHours) {
        const bool oneHour = minutes >= 60 && minutes < 120;
        parts << number(s.hours) + (oneHour ? QStringLiteral(" hour") : QStringLiteral(" hours"));
    }
    if (s.rest != 0)
        parts << number(s.rest) + (s.rest == 1 ? QStringLiteral(" minute") : QStringLiteral(" minutes"));
    return parts.join(u' ');
}

QString adjective(int minutes)
{
    const Split s = split(minutes);
    if (s.hasHours && s.rest == 0)
        return number(s.hours) + QStringLiteral("-hour");
    if (s.hasHours)
        return name(minutes);
    return number(s.rest) + QStringLiteral("-minute");
}

} // namespace FocusDuration
