#pragma once

#include <QString>

// Wordings of a remaining time given in seconds. The seconds are rounded up, so that any time
// left above 0 shows at least one second; a time that is not a finite positive number counts
// as 0.
namespace FocusClock {

// "24:59" below an hour, "1:00:00" from an hour on.
QString text(double seconds);
// "24 minutes 59 seconds remaining", "1 hour remaining", "0 seconds remaining".
QString spoken(double seconds);

} // namespace FocusClock
