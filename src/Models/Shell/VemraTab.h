#pragma once

#include "Models/Common/EnumTable.h"

#include <QString>

#include <array>
#include <optional>

// The three tabs of a surface, in display order.
enum class VemraTab { Todos, Clipboard, Focus };

namespace VemraTabs {

inline constexpr EnumTable<VemraTab, 3> table { { {
    { VemraTab::Todos, u"todos", u"Todos", u"checkmark.circle" },
    { VemraTab::Clipboard, u"clipboard", u"Clipboard", u"doc.on.clipboard" },
    { VemraTab::Focus, u"focus", u"Focus", u"timer" },
} } };
inline constexpr std::array<VemraTab, 3> all = table.cases();

// The table's columns: the stored value, the title in the section picker, the symbol's name.
QString storedValue(VemraTab tab);
std::optional<VemraTab> fromStoredValue(const QString &raw);
QString title(VemraTab tab);
QString systemImage(VemraTab tab);
// The digit of the Ctrl+1 to Ctrl+3 keys that select the tab: its place in `all`, from 1.
int shortcutNumber(VemraTab tab);

} // namespace VemraTabs
