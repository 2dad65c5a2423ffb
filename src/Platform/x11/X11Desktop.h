#pragma once

#include <QColor>
#include <QRect>
#include <QString>

#include <optional>

// Small reads of the X server's desktop state, on the application's own connection. Each
// gives nothing without an X11 display.
namespace X11Desktop {

// The running window manager's name (_NET_WM_NAME of its check window), such as "Openbox".
QString windowManagerName();

// The colour the tray manager asks icons to draw in (the first of its _NET_SYSTEM_TRAY_COLORS),
// when it sets one.
std::optional<QColor> trayForeground();

// The average colour of the screen in a ring two pixels wide around `icon` (the X server's
// pixels, not Qt's scaled coordinates): the tray behind the icon, without the icon's own drawing.
std::optional<QColor> colourAround(const QRect &icon);

// Where the X server shows a window: its rectangle in the root window's pixels.
std::optional<QRect> windowRect(quint32 window);

// The colour most of the largest window the process shows is painted in (what the panel of a
// tray that draws its icons itself is painted in, around its icons and text).
std::optional<QColor> windowColourOf(qint64 pid);

} // namespace X11Desktop
