#pragma once

#include <QString>
#include <QUrl>

// What the build says about this copy of the application.
namespace BuildInfo {

// The version shown to people, such as "1.4.0".
QString version();
// The build number; the update feed's "version" is compared with it.
QString buildNumber();
// The address of the update feed; empty when the build has none.
QUrl updateFeed();

} // namespace BuildInfo
