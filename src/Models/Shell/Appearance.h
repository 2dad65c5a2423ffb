#pragma once

#include "Models/Common/EnumTable.h"

#include <QString>

#include <array>
#include <optional>

// The look the user chose for the application: follow the desktop, or force light or dark.
enum class Appearance { System, Light, Dark };

namespace Appearances {

inline constexpr EnumTable<Appearance, 3> table { { {
    { Appearance::System, u"system", u"Automatic" },
    { Appearance::Light, u"light", u"Light" },
    { Appearance::Dark, u"dark", u"Dark" },
} } };
inline constexpr std::array<Appearance, 3> all = table.cases();

QString storedValue(Appearance appearance);
// Exactly the three stored values; anything else (even "Dark") gives nothing.
std::optional<Appearance> fromStoredValue(const QString &raw);
// "Automatic", "Light" or "Dark".
QString title(Appearance appearance);

} // namespace Appearances
