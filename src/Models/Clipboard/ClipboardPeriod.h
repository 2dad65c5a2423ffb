#pragma once

#include "Models/Clipboard/ClipboardCalendar.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <optional>

// The spans by which the history can be cleared, in the order the menus list them.
enum class ClipboardPeriod { Today, LastWeek, LastMonth };

// A span of time, start inclusive, end exclusive.
struct DateInterval
{
    QDateTime start;
    QDateTime end;

    bool contains(const QDateTime &moment) const { return moment >= start && moment < end; }
    bool operator==(const DateInterval &) const = default;
};

namespace ClipboardPeriods {

inline constexpr std::array<ClipboardPeriod, 3> all { ClipboardPeriod::Today, ClipboardPeriod::LastWeek,
    ClipboardPeriod::LastMonth };

// "today", "lastWeek", "lastMonth".
QString id(ClipboardPeriod period);
std::optional<ClipboardPeriod> fromId(const QString &id);
// The word used in sentences: "today", "last week", "last month".
QString word(ClipboardPeriod period);

// Today: the calendar day of `date`. Last week / last month: the whole calendar week or month
// before the one holding `date`; the week starts on the calendar's first day of the week.
DateInterval interval(ClipboardPeriod period, const QDateTime &date, const ClipboardCalendar &calendar);
// The date text of that span, as the clear confirmation shows it ("Sunday, Dec 6",
// "Nov 29 – Dec 5", "November" or "December 2025").
QString dates(ClipboardPeriod period, const QDateTime &date, const ClipboardCalendar &calendar);

} // namespace ClipboardPeriods
