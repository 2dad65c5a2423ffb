#include "Models/Todos/Days.h"

#include <QCalendar>
#include <QLocale>
#include <QRegularExpression>

namespace Days {

namespace {

// Whether the locale writes the day number before the month ("6 Mar" rather than "Mar 6").
bool dayBeforeMonth(const QLocale &locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype day = format.indexOf(QLatin1Char('d'));
    const qsizetype month = format.indexOf(QLatin1Char('M'));
    return day >= 0 && month >= 0 && day < month;
}

QString monthAndDay(const QDate &day, const QLocale &locale)
{
    return locale.toString(day, dayBeforeMonth(locale) ? QStringLiteral("d MMM") : QStringLiteral("MMM d"));
}

} // namespace

QDate dayOf(const QDateTime &instant)
{
    return instant.toLocalTime().date();
}

QDateTime start(const QDate &day)
{
    return day.startOfDay();
}

QDate adding(int days, const QDate &day)
{
    return day.addDays(days);
}

QDateTime midday(const QDate &day)
{
    QDateTime noon(day, QTime(12, 0));
    if (noon.isValid())
        return noon;
    // Noon falls into a skipped hour: the first valid instant after it.
    const QDateTime before(day, QTime(11, 59, 59));
    if (before.isValid())
        return before.addSecs(1);
    return start(day);
}

int distance(const QDate &from, const QDate &to)
{
    if (!from.isValid() || !to.isValid())
        return 0;
    return int(from.daysTo(to));
}

Qt::DayOfWeek firstWeekday()
{
    return QLocale().firstDayOfWeek();
}

QString date(const QDate &day, const QDate &today)
{
    const QLocale locale;
    const bool sameYear = day.year() == today.year();
    const bool dayFirst = dayBeforeMonth(locale);
    QString format = dayFirst ? QStringLiteral("ddd, d MMM") : QStringLiteral("ddd, MMM d");
    if (!sameYear)
        format += dayFirst ? QStringLiteral(" yyyy") : QStringLiteral(", yyyy");
    return locale.toString(day, format);
}

QString name(const QDate &day, const QDate &today)
{
    const int d = distance(today, day);
    switch (d) {
    case -1:
        return QStringLiteral("Yesterday");
    case 0:
        return QStringLiteral("Today");
    case 1:
        return QStringLiteral("Tomorrow");
    default:
        break;
    }
    if (d >= 2 && d <= 6)
        return QLocale().dayName(day.dayOfWeek(), QLocale::LongFormat);
    return date(day, today);
}

QString shortName(const QDate &day, const QDate &today)
{
    const int d = distance(today, day);
    if (d == 0)
        return QStringLiteral("Today");
    if (d == 1)
        return QStringLiteral("Tomorrow");
    const QLocale locale;
    if (d >= 2 && d <= 6)
        return locale.dayName(day.dayOfWeek(), QLocale::ShortFormat);
    return monthAndDay(day, locale);
}

QString phrase(const std::optional<QDate> &day, const QDate &today)
{
    if (!day)
        return QString();
    switch (distance(today, *day)) {
    case 0:
        return QString();
    case 1:
        return QStringLiteral(" tomorrow");
    default:
        return QStringLiteral(" on ") + name(*day, today);
    }
}

QString isoString(const QDate &day)
{
    const QCalendar::YearMonthDay parts = QCalendar(QCalendar::System::Gregorian).partsFromDate(day);
    if (!parts.isValid())
        return QString::asprintf("%04d-%02d-%02d", 0, 0, 0);
    return QString::asprintf("%04d-%02d-%02d", parts.year, parts.month, parts.day);
}

std::optional<QDate> dayFromIso(const QString &text)
{
    // Digits only, so signs, blanks and other separators never slip through a number parser;
    // the round trip below then rejects every spelling but the canonical one.
    static const QRegularExpression pattern(QStringLiteral("\\A([0-9]+)-([0-9]+)-([0-9]+)\\z"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool okYear = false, okMonth = false, okDay = false;
    const int year = match.captured(1).toInt(&okYear);
    const int month = match.captured(2).toInt(&okMonth);
    const int dayNumber = match.captured(3).toInt(&okDay);
    if (!okYear || !okMonth || !okDay)
        return std::nullopt;
    const QDate day = QCalendar(QCalendar::System::Gregorian).dateFromParts(year, month, dayNumber);
    if (!day.isValid() || isoString(day) != text)
        return std::nullopt;
    return day;
}

} // namespace Days
