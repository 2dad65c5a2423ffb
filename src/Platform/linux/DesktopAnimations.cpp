#include "Platform/DesktopAnimations.h"

#include "Platform/linux/GtkAnimationSetting.h"

namespace DesktopAnimations {

std::optional<bool> enabled()
{
    return GtkAnimationSetting::animationsEnabled();
}

} // namespace DesktopAnimations
