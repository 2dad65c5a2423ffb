#pragma once

#include <QString>

// Whether the user asked the desktop for less motion: its animation switch turned off (read by
// Platform's GtkAnimationSetting); without such a setting motion stays on. Asked afresh at each
// call, so a change applies at the next animation.
namespace MotionPreference {

bool reducesMotion();
// The same answer for one settings file's text (for tests).
bool reducesMotion(const QString &settingsIni);

} // namespace MotionPreference
