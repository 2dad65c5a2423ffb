#include "Models/Transfer/ExportDates.h"

#include <QDate>
#include <QTime>

#include <cstdio>

namespace {

// The number written by `count` decimal digits at `at`; nothing when one is no digit.
std::optional<int> digits(std::string_view text, size_t at, size_t count)
{
    if (at + count > text.size())
        return std::nullopt;
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool hasAt(std::string_view text, size_t at, char c)
{
    return at < text.size() && text[at] == c;
}

// 0001-01-01T00:00:00Z and 9999-12-31T23:59:59.999Z bound what a four-digit year can name.
bool inWrittenRange(const QDateTime &utc)
{
    const int year = utc.date().year();
    return year >= 1 && year <= 9999;
}

} // namespace

namespace ExportDates {

QByteArray format(const QDateTime &instant)
{
    const qint64 msecs = instant.toMSecsSinceEpoch();
    const qint64 seconds = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    const QDate date = utc.date();
    const QTime time = utc.time();
    // Written digit by digit: a formatted print per date was a tenth of an export's time.
    QByteArray text("0000-00-00T00:00:00Z");
    const auto put = [&text](qsizetype end, int value, int digits) {
        for (int i = 1; i <= digits; ++i, value /= 10)
            text[end - i] = char('0' + value % 10);
    };
    if (date.year() < 0 || date.year() > 9999) {
        char wide[40];
        const int length = std::snprintf(wide, sizeof wide, "%04d-%02d-%02dT%02d:%02d:%02dZ", date.year(), date.month(),
            date.day(), time.hour(), time.minute(), time.second());
        return QByteArray(wide, length);
    }
    put(4, date.year(), 4);
    put(7, date.month(), 2);
    put(10, date.day(), 2);
    put(13, time.hour(), 2);
    put(16, time.minute(), 2);
    put(19, time.second(), 2);
    return text;
}

std::optional<QDateTime> parse(std::string_view text)
{
    const auto year = digits(text, 0, 4);
    const auto month = digits(text, 5, 2);
    const auto day = digits(text, 8, 2);
    const auto hour = digits(text, 11, 2);
    const auto minute = digits(text, 14, 2);
    const auto second = digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || !hasAt(text, 4, '-') || !hasAt(text, 7, '-')
        || !hasAt(text, 10, 'T') || !hasAt(text, 13, ':') || !hasAt(text, 16, ':'))
        return std::nullopt;
    if (*year < 1 || !QDate::isValid(*year, *month, *day) || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;

    size_t at = 19;
    int millis = 0;
    if (hasAt(text, at, '.')) {
        ++at;
        size_t count = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            if (count < 3)
                millis = millis * 10 + (text[at] - '0');
            ++count;
            ++at;
        }
        if (count == 0 || count > 9)
            return std::nullopt;
        for (size_t i = count; i < 3; ++i)
            millis *= 10;
    }

    int offsetSeconds = 0;
    if (hasAt(text, at, 'Z')) {
        ++at;
    } else if (hasAt(text, at, '+') || hasAt(text, at, '-')) {
        const int sign = text[at] == '-' ? -1 : 1;
        const auto offsetHours = digits(text, at + 1, 2);
        const size_t minutesAt = hasAt(text, at + 3, ':') ? at + 4 : at + 3;
        const auto offsetMinutes = digits(text, minutesAt, 2);
        if (!offsetHours || !offsetMinutes || *offsetHours > 23 || *offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = sign * (*offsetHours * 3600 + *offsetMinutes * 60);
        at = minutesAt + 2;
    } else {
        return std::nullopt;
    }
    if (at != text.size())
        return std::nullopt;

    const QDateTime local(QDate(*year, *month, *day), QTime(*hour, *minute, *second, millis), Qt::UTC);
    const QDateTime utc = local.addSecs(-offsetSeconds);
    if (!inWrittenRange(utc))
        return std::nullopt;
    return utc;
}

} // namespace ExportDates
