#pragma once

#include <optional>

// The desktop's animation switch, read afresh at each call: nothing when the desktop sets none.
namespace DesktopAnimations {

std::optional<bool> enabled();

} // namespace DesktopAnimations
