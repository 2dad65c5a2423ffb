#pragma once

#include "Models/Common/EnumTable.h"

#include <QString>

#include <array>
#include <optional>

// The panes of the settings window, in toolbar order.
enum class SettingsPane { General, Clipboard, Focus, Data, About };

namespace SettingsPanes {

inline constexpr EnumTable<SettingsPane, 5> table { { {
    { SettingsPane::General, u"general", u"General", u"gearshape" },
    { SettingsPane::Clipboard, u"clipboard", u"Clipboard", u"doc.on.clipboard" },
    { SettingsPane::Focus, u"focus", u"Focus", u"timer" },
    { SettingsPane::Data, u"data", u"Data", u"externaldrive" },
    { SettingsPane::About, u"about", u"About", u"info.circle" },
} } };
inline constexpr std::array<SettingsPane, 5> all = table.cases();

// The table's columns: the stored value (the case name), the title, and the symbol of the
// pane's toolbar item (drawn through the Symbols table).
QString storedValue(SettingsPane pane);
std::optional<SettingsPane> fromStoredValue(const QString &raw);
QString title(SettingsPane pane);
QString systemImage(SettingsPane pane);

} // namespace SettingsPanes
