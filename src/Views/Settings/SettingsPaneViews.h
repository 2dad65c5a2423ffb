#pragma once

#include "Models/Shell/SettingsPane.h"

class QWidget;
struct Environment;

namespace SettingsPaneViews {

// The view of one settings pane over the application's services, for the settings window's
// pane builder.
QWidget *make(SettingsPane pane, const Environment &environment);

} // namespace SettingsPaneViews
