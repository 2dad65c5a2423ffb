#include "Platform/WindowSystem.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

namespace WindowSystem {

void flush()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 && x11->connection())
        xcb_flush(x11->connection());
}

} // namespace WindowSystem
