#pragma once

#include <QString>

// Who this application is to the desktop.
namespace AppIdentity {

// The application's id ("org.vemra.Vemra"): the name under which the build installs its menu
// entry, icon and metainfo, and by which windows and notifications are matched to them.
QString appId();

} // namespace AppIdentity
