#pragma once

#include <QLocale>
#include <QString>
#include <QTime>

// A time of day as the locale writes it shortened: hours and minutes, never seconds (the C
// locale's short time carries them, "13:05:07").
namespace ShortTime {

// The locale's short time format without its seconds.
QString format(const QLocale &locale);
QString text(const QTime &time, const QLocale &locale);

} // namespace ShortTime
