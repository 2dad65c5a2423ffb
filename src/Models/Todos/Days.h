#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

// Day arithmetic and day wording for the todo side.
//
// A day is carried as a QDate: the local calendar day, compared by plain equality, so two
// values never differ only by a time of day. Instants (QDateTime) are turned into days in
// the local time zone at each call, and the locale (names, first weekday) is read afresh at
// each call too, so a change of either takes effect at the next use. Only the day string and
// its parser are fixed to the Gregorian calendar.
namespace Days {

// The local day of an instant.
QDate dayOf(const QDateTime &instant);

// The first instant of a day in local time (a day whose midnight is skipped by a
// daylight-saving change starts at the first valid time).
QDateTime start(const QDate &day);

// The day n days after `day` (n may be negative or 0).
QDate adding(int days, const QDate &day);

// 12:00:00 local time of `day`, the instant at which a todo's day is stored; when noon does
// not exist on that day, the next valid time.
QDateTime midday(const QDate &day);

// Whole days from `from` to `to`, negative when `to` is earlier.
int distance(const QDate &from, const QDate &to);

// The locale's first day of the week.
Qt::DayOfWeek firstWeekday();

// Abbreviated weekday, abbreviated month and day number, with the year when `day` is not in
// today's year ("Fri, Mar 6", "Sat, Jan 9, 2027").
QString date(const QDate &day, const QDate &today);

// "Today", "Tomorrow", "Yesterday", the weekday for two to six days ahead, else date().
QString name(const QDate &day, const QDate &today);

// "Today", "Tomorrow", the abbreviated weekday for two to six days ahead, else the
// abbreviated month and day number.
QString shortName(const QDate &day, const QDate &today);

// The suffix prompts append to their own words: "" for no day or today, " tomorrow", else
// " on " followed by name().
QString phrase(const std::optional<QDate> &day, const QDate &today);

// The day string "%04d-%02d-%02d" of `day` on the Gregorian calendar.
QString isoString(const QDate &day);

// The day named by a canonical day string; nothing for any other text (wrong padding,
// impossible dates, extra or missing parts, other separators, signs, surrounding text).
std::optional<QDate> dayFromIso(const QString &text);

} // namespace Days
