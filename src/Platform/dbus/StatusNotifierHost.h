#pragma once

// Whether the session's tray is a StatusNotifierItem host (a StatusNotifierWatcher owns its
// name on the session bus). Such a tray draws our icon itself and never reports its position.
namespace StatusNotifierHost {

bool isPresent();

} // namespace StatusNotifierHost
