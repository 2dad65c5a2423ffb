#pragma once

#include <QtGlobal>

#include <optional>

// Whether the session's tray is a StatusNotifierItem host (a StatusNotifierWatcher owns its
// name on the session bus). Such a tray draws our icon itself and never reports its position.
namespace StatusNotifierHost {

bool isPresent();

// The process of the host that shows the items (the panel that holds the tray), when one has
// registered on the session bus.
std::optional<qint64> hostProcess();

} // namespace StatusNotifierHost
