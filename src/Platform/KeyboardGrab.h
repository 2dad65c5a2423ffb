#pragma once

// Whether a widget's keyboard grab brings every key press, also those the desktop would take for
// its own shortcuts (on X11; elsewhere a grab does not reach past the application).
namespace KeyboardGrab {

bool takesDesktopKeys();

} // namespace KeyboardGrab
