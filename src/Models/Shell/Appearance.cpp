#include "Models/Shell/Appearance.h"

namespace Appearances {

QString storedValue(Appearance appearance)
{
    switch (appearance) {
    case Appearance::System:
        return QStringLiteral("system");
    case Appearance::Light:
        return QStringLiteral("light");
    case Appearance::Dark:
        return QStringLiteral("dark");
    }
    return {};
}

std::optional<Appearance> fromStoredValue(const QString &raw)
{
    for (Appearance appearance : all) {
        if (storedValue(appearance) == raw)
            return appearance;
    }
    return std::nullopt;
}

QString title(Appearance appearance)
{
    switch (appearance) {
    case Appearance::System:
        return QStringLiteral("Automatic");
    case Appearance::Light:
        return QStringLiteral("Light");
    case Appearance::Dark:
        return QStringLiteral("Dark");
    }
    return {};
}

} // namespace Appearances
