#include "Services/Shell/MotionPreference.h"

#include "Platform/DesktopAnimations.h"

namespace MotionPreference {

bool reducesMotion()
{
    return DesktopAnimations::enabled() == false;
}

} // namespace MotionPreference
