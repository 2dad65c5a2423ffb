#include "Views/Settings/SettingsPaneViews.h"

#include "Services/Shell/Environment.h"
#include "Views/Settings/AboutSettings.h"
#include "Views/Settings/ClipboardSettings.h"
#include "Views/Settings/DataSettings.h"
#include "Views/Settings/FocusSettings.h"
#include "Views/Settings/GeneralSettings.h"

namespace SettingsPaneViews {

QWidget *make(SettingsPane pane, const Environment &environment)
{
    switch (pane) {
    case SettingsPane::General:
        return new GeneralSettings(
            environment.launchAtLogin, environment.hotKeys, environment.updater, environment.preferences);
    case SettingsPane::Focus:
        return new FocusSettings(environment.preferences, environment.hotKeys, environment.focus, environment.revealer);
    case SettingsPane::Clipboard:
        return new ClipboardSettings(environment.preferences, environment.monitor, environment.clipboard,
            environment.transfer, environment.alerts, environment.clock, environment.sounds);
    case SettingsPane::Data:
        return new DataSettings(environment.transfer, environment.revealer);
    case SettingsPane::About:
        return new AboutSettings;
    }
    return nullptr;
}

} // namespace SettingsPaneViews
