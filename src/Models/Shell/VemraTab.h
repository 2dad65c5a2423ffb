#pragma once

#include <QString>

#include <array>
#include <optional>

// The three tabs of a surface, in display order.
enum class VemraTab { Todos, Clipboard, Focus };

namespace VemraTabs {

inline constexpr std::array<VemraTab, 3> all { VemraTab::Todos, VemraTab::Clipboard, VemraTab::Focus };

// The stored raw value: "todos", "clipboard" or "focus".
QString storedValue(VemraTab tab);
std::optional<VemraTab> fromStoredValue(const QString &raw);
// The title shown in the section picker.
QString title(VemraTab tab);
// The name of the tab's symbol ("checkmark.circle", "doc.on.clipboard", "timer").
QString systemImage(VemraTab tab);
// The digit of the Ctrl+1 to Ctrl+3 keys that select the tab: its place in `all`, from 1.
int shortcutNumber(VemraTab tab);

} // namespace VemraTabs
