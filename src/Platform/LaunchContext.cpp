#include "Platform/LaunchContext.h"

namespace LaunchContext {

bool wasLaunchedAtLogin(const QStringList &arguments)
{
    // The first argument is the program itself.
    return arguments.indexOf(loginItemArgument, 1) > 0;
}

bool wasAskedToQuit(const QStringList &arguments)
{
    return arguments.indexOf(quitArgument, 1) > 0;
}

} // namespace LaunchContext
