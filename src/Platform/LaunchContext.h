#pragma once

#include <QStringList>

// How this process was started. The autostart entry passes --login-item, so a launch at login
// can be told from one by the user.
namespace LaunchContext {

inline const QString loginItemArgument = QStringLiteral("--login-item");

bool wasLaunchedAtLogin(const QStringList &arguments);

} // namespace LaunchContext
