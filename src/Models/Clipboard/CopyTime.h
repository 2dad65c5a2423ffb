#pragma once

#include "Models/Clipboard/ClipboardCalendar.h"

#include <QDateTime>
#include <QString>

// How long ago an entry was last copied, as the history rows word it.
namespace CopyTime {

// "Just now", "5 min ago" / "5 minutes ago", "2 hr ago" / "2 hours ago" (same day only),
// "Yesterday", a weekday, or the date ("Dec 6", with ", 2025" in another year). `long`
// picks the long form; only minutes and hours differ between the forms.
QString describe(const QDateTime &date, const QDateTime &now, bool longForm, const ClipboardCalendar &calendar);

} // namespace CopyTime
