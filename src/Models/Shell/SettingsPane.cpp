#include "Models/Shell/SettingsPane.h"

namespace SettingsPanes {

QString storedValue(SettingsPane pane)
{
    return table.storedValue(pane);
}

std::optional<SettingsPane> fromStoredValue(const QString &raw)
{
    return table.fromStoredValue(raw);
}

QString title(SettingsPane pane)
{
    return table.title(pane);
}

QString systemImage(SettingsPane pane)
{
    return table.symbol(pane);
}

} // namespace SettingsPanes
