#pragma once

#include <QString>

#include <array>
#include <optional>

// The look the user chose for the application: follow the desktop, or force light or dark.
enum class Appearance { System, Light, Dark };

namespace Appearances {

inline constexpr std::array<Appearance, 3> all { Appearance::System, Appearance::Light, Appearance::Dark };

// The stored raw value: "system", "light" or "dark".
QString storedValue(Appearance appearance);
// Exactly the three raw values; anything else (even "Dark") gives nothing.
std::optional<Appearance> fromStoredValue(const QString &raw);
// "Automatic", "Light" or "Dark".
QString title(Appearance appearance);

} // namespace Appearances
