#pragma once

#include <QString>

class QWindow;

// Names a top-level window's role and state in X11 string properties ("_VEMRA_SURFACE",
// "_VEMRA_TAB"), so desktop scripts and the end-to-end suite can tell the panel and its tab
// apart with xprop. Does nothing outside X11.
namespace WindowTags {

void setSurface(QWindow *window, const QString &surface);
void setTab(QWindow *window, const QString &tab);

} // namespace WindowTags
