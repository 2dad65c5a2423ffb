#pragma once

#include "Models/Clipboard/ClipboardCalendar.h"

#include "Models/Common/EnumTable.h"
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

// The stored id and the word used in sentences.
inline constexpr EnumTable<ClipboardPeriod, 3> table { { {
    { ClipboardPeriod::Today, u"today", u"today" },
    { ClipboardPeriod::LastWeek, u"lastWeek", u"last week" },
    { ClipboardPeriod::LastMonth, u"lastMonth", u"last month" },
} } };
inline constexpr std::array<ClipboardPeriod, 3> all = table.cases();

QString id(ClipboardPeriod period);
std::optional<ClipboardPeriod> fromId(const QString &id);
QString word(ClipboardPeriod period);

// Today: the calendar day of `date`. Last week / last month: the whole calendar week or month
// before the one holding `date`; the week starts on the calendar's first day of the week.
DateInterval interval(ClipboardPeriod period, const QDateTime &date, const ClipboardCalendar &calendar);
// The date text of that span, as the clear confirmation shows it ("Sunday, Dec 6",
// "Nov 29 – Dec 5", "November" or "December 2025").
QString dates(ClipboardPeriod period, const QDateTime &date, const ClipboardCalendar &calendar);

} // namespace ClipboardPeriods
