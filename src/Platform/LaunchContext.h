#pragma once

#include <QStringList>

// How this process was started. The autostart entry passes --login-item, so a launch at login
// can be told from one by the user; --quit asks the running copy to quit, and starts nothing.
namespace LaunchContext {

inline const QString loginItemArgument = QStringLiteral("--login-item");

inline const QString quitArgument = QStringLiteral("--quit");

bool wasLaunchedAtLogin(const QStringList &arguments);
bool wasAskedToQuit(const QStringList &arguments);

} // namespace LaunchContext
