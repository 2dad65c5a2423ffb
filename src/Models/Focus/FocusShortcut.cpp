#include "Models/Focus/FocusShortcut.h"

namespace FocusShortcuts {

QString storedValue(FocusShortcut shortcut)
{
    return table.storedValue(shortcut);
}

std::optional<FocusShortcut> fromStoredValue(const QString &raw)
{
    return table.fromStoredValue(raw);
}

QString action(FocusShortcut shortcut)
{
    return table.title(shortcut);
}

} // namespace FocusShortcuts
