#include "Views/Settings/SettingsPaneViews.h"

#include "Services/Shell/Environment.h"
#include "Views/Settings/AboutSettings.h"
#include "Views/Settings/FocusSettings.h"
#include "Views/Settings/GeneralSettings.h"
#include "Views/Settings/SettingsPanePlaceholder.h"

namespace SettingsPaneViews {

QWidget *make(SettingsPane pane, const Environment &environment)
{
    switch (pane) {
    case SettingsPane::General:
        return new GeneralSettings(
            *environment.launchAtLogin, *environment.hotKeys, *environment.updater, *environment.preferences);
    case SettingsPane::Focus:
        return new FocusSettings(
            *environment.preferences, *environment.hotKeys, *environment.focus, *environment.revealer);
    case SettingsPane::Clipboard:
    case SettingsPane::Data:
        return new SettingsPanePlaceholder(pane);
    case SettingsPane::About:
        return new AboutSettings;
    }
    return nullptr;
}

} // namespace SettingsPaneViews
