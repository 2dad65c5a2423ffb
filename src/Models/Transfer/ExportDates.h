#pragma once

#include <QByteArray>
#include <QDateTime>

#include <optional>
#include <string_view>

// The instants of the export file: written as whole seconds in UTC ("2026-03-04T05:06:07Z"),
// read strictly. Years 0001 to 9999 only, so whatever is read can be written back.
namespace ExportDates {

// Whole seconds in UTC with "Z"; the fraction of a second is dropped (towards the past).
QByteArray format(const QDateTime &instant);
// The same for an instant in milliseconds since the epoch, appended to `out`, or written at
// `to`, which has room for `longest` bytes; returns the count written.
void append(QByteArray &out, qint64 msecs);
constexpr qsizetype longest = 48;
qsizetype write(char *to, qint64 msecs);

// The instant of `dateTime`, as its toMSecsSinceEpoch() gives it. A local time is worked out
// from the zone's offsets, unless one changes within three hours of it, rather than by the
// toolkit, whose every call takes a lock of its own and looks at the zone's file again: for the
// times of thousands of todos. The zone is the one `LocalZone`, made beforehand, found.
qint64 instant(const QDateTime &dateTime);
// Looks at the system's time zone once, for the instants worked out after it.
class LocalZone final
{
public:
    LocalZone();
};

// YYYY-MM-DDTHH:MM:SS, then an optional fraction of 1 to 9 digits (kept to the millisecond),
// then "Z" or an offset ±HH:MM or ±HHMM. Nothing for any other text or an impossible date.
std::optional<QDateTime> parse(std::string_view text);

} // namespace ExportDates
