#pragma once

#include <QString>

// Whether the user asked the desktop for less motion. Read from the GTK settings files
// (gtk-enable-animations = false in the [Settings] group of gtk-4.0 or gtk-3.0 settings.ini
// under the XDG config folder), which GTK desktops and their settings tools write; without
// such a setting motion stays on. Read afresh at each call, so a change applies at the next
// animation.
namespace MotionPreference {

bool reducesMotion();
// The same answer for one settings file's text (for tests).
bool reducesMotion(const QString &settingsIni);

} // namespace MotionPreference
