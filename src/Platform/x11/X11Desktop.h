#pragma once

#include <QString>

// Small reads of the X server's desktop state, on the application's own connection. Each
// gives nothing without an X11 display.
namespace X11Desktop {

// The running window manager's name (_NET_WM_NAME of its check window), such as "Openbox".
QString windowManagerName();

} // namespace X11Desktop
