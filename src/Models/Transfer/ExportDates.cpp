#include "Models/Transfer/ExportDates.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <cstdio>
#include <ctime>

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

// The seconds of 0001-01-01T00:00:00Z and 9999-12-31T23:59:59Z.
constexpr qint64 firstWritten = -62135596800;
constexpr qint64 lastWritten = 253402300799;

} // namespace

namespace ExportDates {

QByteArray format(const QDateTime &instant)
{
    QByteArray text;
    append(text, instant.toMSecsSinceEpoch());
    return text;
}

void append(QByteArray &out, qint64 msecs)
{
    char text[longest];
    out.append(text, write(text, msecs));
}

qsizetype write(char *to, qint64 msecs)
{
    const qint64 seconds = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
    if (seconds < firstWritten || seconds > lastWritten) {
        const QDateTime utc = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
        const QDate date = utc.date();
        const QTime time = utc.time();
        const int length = std::snprintf(to, longest, "%04d-%02d-%02dT%02d:%02d:%02dZ", date.year(), date.month(),
            date.day(), time.hour(), time.minute(), time.second());
        return std::clamp<qsizetype>(length, 0, longest - 1);
    }
    // Written digit by digit: a formatted print per date was a tenth of an export's time.
    static constexpr char pattern[] = "0000-00-00T00:00:00Z";
    char *text = to;
    std::copy(pattern, pattern + 20, text);
    const auto put = [text](int end, qint64 value, int digits) {
        for (int i = 1; i <= digits; ++i, value /= 10)
            text[end - i] = char('0' + value % 10);
    };
    // The date is worked out from the count of days since 0000-03-01, which is positive from
    // year 1 on, rather than by QDateTime, whose date and time cost a sixth of an entry's encoding.
    const qint64 daySeconds = (seconds % 86400 + 86400) % 86400;
    const qint64 day = (seconds - daySeconds) / 86400 + 719468;
    const qint64 era = day / 146097;
    const qint64 dayOfEra = day - era * 146097;
    const qint64 yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 shiftedMonth = (5 * dayOfYear + 2) / 153;
    const qint64 month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    const qint64 year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    put(4, year, 4);
    put(7, month, 2);
    put(10, dayOfYear - (153 * shiftedMonth + 2) / 5 + 1, 2);
    put(13, daySeconds / 3600, 2);
    put(16, daySeconds / 60 % 60, 2);
    put(19, daySeconds % 60, 2);
    return 20;
}

LocalZone::LocalZone()
{
    ::tzset();
}

qint64 instant(const QDateTime &dateTime)
{
    if (dateTime.timeSpec() != Qt::LocalTime || !dateTime.isValid())
        return dateTime.toMSecsSinceEpoch();
    // The offset from UTC at an instant; localtime_r, unlike mktime, does not read the zone again.
    const auto offsetAt = [](qint64 msecs) -> std::optional<qint64> {
        const auto seconds = std::time_t(msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0));
        std::tm parts {};
        if (!::localtime_r(&seconds, &parts))
            return std::nullopt;
        return qint64(parts.tm_gmtoff) * 1000;
    };
    constexpr qint64 threeHours = qint64(3) * 60 * 60 * 1000;
    const qint64 local = QDateTime(dateTime.date(), dateTime.time(), Qt::UTC).toMSecsSinceEpoch();
    const std::optional<qint64> offset = offsetAt(local);
    if (!offset)
        return dateTime.toMSecsSinceEpoch();
    const qint64 candidate = local - *offset;
    // Away from a change of offset, the one instant that shows as that local time; near one, a
    // local time can name two instants or none, which the toolkit tells apart.
    for (const qint64 near : { candidate, candidate - threeHours, candidate + threeHours }) {
        if (offsetAt(near) != offset)
            return dateTime.toMSecsSinceEpoch();
    }
    return candidate;
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
