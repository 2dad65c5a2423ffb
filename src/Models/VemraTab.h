#pragma once

#include <QString>

#include <array>
#include <optional>

// The three tabs of a surface, in display order.
enum class VemraTab { Todos, Clipboard, Focus };

namespace VemraTabs {

inline constexpr std::array<VemraTab, 3> all{VemraTab::Todos, VemraTab::Clipboard, VemraTab::Focus};

// The stored raw value: "todos", "clipboard" or "focus".
QString rawValue(VemraTab tab);
std::optional<VemraTab> fromRawValue(const QString &raw);
// The title shown in the section picker.
QString title(VemraTab tab);

} // namespace VemraTabs
