#include "Services/Shell/MotionPreference.h"

#include "Platform/linux/GtkAnimationSetting.h"

namespace MotionPreference {

bool reducesMotion(const QString &settingsIni)
{
    return GtkAnimationSetting::animationsEnabled(settingsIni) == false;
}

bool reducesMotion()
{
    return GtkAnimationSetting::animationsEnabled() == false;
}

} // namespace MotionPreference
