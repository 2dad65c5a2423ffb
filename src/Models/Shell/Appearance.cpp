#include "Models/Shell/Appearance.h"

namespace Appearances {

QString storedValue(Appearance appearance)
{
    return table.storedValue(appearance);
}

std::optional<Appearance> fromStoredValue(const QString &raw)
{
    return table.fromStoredValue(raw);
}

QString title(Appearance appearance)
{
    return table.title(appearance);
}

} // namespace Appearances
