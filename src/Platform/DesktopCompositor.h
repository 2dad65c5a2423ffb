#pragma once

// Whether a compositing manager runs, so a window's transparent pixels and its opacity really
// show. Without one (or outside X11) translucent windows would show black corners.
namespace DesktopCompositor {

bool isActive();

} // namespace DesktopCompositor
