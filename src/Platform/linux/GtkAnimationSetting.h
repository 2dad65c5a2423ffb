#pragma once

#include <QString>

#include <optional>

// The desktop's animation switch as GTK desktops and their settings tools write it:
// gtk-enable-animations in the [Settings] group of gtk-4.0 or gtk-3.0 settings.ini under the XDG
// config folder, the newer file first. Read afresh at each call.
namespace GtkAnimationSetting {

// Nothing when no file sets it.
std::optional<bool> animationsEnabled();
// The value one settings file's text sets, if any.
std::optional<bool> animationsEnabled(const QString &settingsIni);

} // namespace GtkAnimationSetting
