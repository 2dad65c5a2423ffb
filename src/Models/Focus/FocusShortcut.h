#pragma once

#include "Models/Common/EnumTable.h"

#include <QString>

#include <array>
#include <optional>

// The three scripts of the user's through which Vemra silences notifications, in the order
// they are listed everywhere.
enum class FocusShortcut { Status, On, Off };

namespace FocusShortcuts {

// The title column holds what the script must do, as the setup guide tells it.
inline constexpr EnumTable<FocusShortcut, 3> table { { {
    { FocusShortcut::Status, u"Vemra Focus Status",
        u"Print the name of the Do Not Disturb mode that is on, or nothing" },
    { FocusShortcut::On, u"Vemra Focus On", u"Turn Do Not Disturb on" },
    { FocusShortcut::Off, u"Vemra Focus Off", u"Turn Do Not Disturb off" },
} } };
inline constexpr std::array<FocusShortcut, 3> all = table.cases();

// The script's exact file name: "Vemra Focus Status", "Vemra Focus On", "Vemra Focus Off".
QString storedValue(FocusShortcut shortcut);
// Only an exact file name of the three.
std::optional<FocusShortcut> fromStoredValue(const QString &raw);
// What the script must do, as the setup guide tells it.
QString action(FocusShortcut shortcut);

} // namespace FocusShortcuts
