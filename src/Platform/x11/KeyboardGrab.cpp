#include "Platform/KeyboardGrab.h"

#include <QGuiApplication>

namespace KeyboardGrab {

bool takesDesktopKeys()
{
    return QGuiApplication::platformName() == QStringLiteral("xcb");
}

} // namespace KeyboardGrab
