#pragma once

#include <QString>

#include <array>
#include <optional>

// The three scripts of the user's through which Vemra silences notifications, in the order
// they are listed everywhere.
enum class FocusShortcut { Status, On, Off };

namespace FocusShortcuts {

inline constexpr std::array<FocusShortcut, 3> all { FocusShortcut::Status, FocusShortcut::On, FocusShortcut::Off };

// The script's exact file name: "Vemra Focus Status", "Vemra Focus On", "Vemra Focus Off".
QString storedValue(FocusShortcut shortcut);
// Only an exact file name of the three.
std::optional<FocusShortcut> fromStoredValue(const QString &raw);
// What the script must do, as the setup guide tells it.
QString action(FocusShortcut shortcut);

} // namespace FocusShortcuts
