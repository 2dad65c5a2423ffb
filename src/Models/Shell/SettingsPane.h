#pragma once

#include <QString>

#include <array>
#include <optional>

// The panes of the settings window, in toolbar order.
enum class SettingsPane { General, Clipboard, Focus, Data, About };

namespace SettingsPanes {

inline constexpr std::array<SettingsPane, 5> all { SettingsPane::General, SettingsPane::Clipboard, SettingsPane::Focus,
    SettingsPane::Data, SettingsPane::About };

// The raw value equals the case name: "general", "clipboard", "focus", "data", "about".
QString storedValue(SettingsPane pane);
std::optional<SettingsPane> fromStoredValue(const QString &raw);
// "General", "Clipboard", "Focus", "Data", "About".
QString title(SettingsPane pane);
// The symbol of the pane's toolbar item: "gearshape", "doc.on.clipboard", "timer",
// "externaldrive", "info.circle" (drawn through the Symbols table).
QString systemImage(SettingsPane pane);

} // namespace SettingsPanes
