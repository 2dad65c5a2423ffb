#include "Models/Shell/VemraTab.h"

namespace VemraTabs {

QString storedValue(VemraTab tab)
{
    return table.storedValue(tab);
}

std::optional<VemraTab> fromStoredValue(const QString &raw)
{
    return table.fromStoredValue(raw);
}

QString title(VemraTab tab)
{
    return table.title(tab);
}

QString systemImage(VemraTab tab)
{
    return table.symbol(tab);
}

int shortcutNumber(VemraTab tab)
{
    return int(table.indexOf(tab)) + 1;
}

} // namespace VemraTabs
