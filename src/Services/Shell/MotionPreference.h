#pragma once

// Whether the user asked the desktop for less motion: its animation switch turned off (read
// through Platform's DesktopAnimations); without such a setting motion stays on. Asked afresh at
// each call, so a change applies at the next animation.
namespace MotionPreference {

bool reducesMotion();

} // namespace MotionPreference
