#include "Models/Shell/VemraTab.h"

namespace VemraTabs {

QString storedValue(VemraTab tab)
{
    switch (tab) {
    case VemraTab::Todos:
        return QStringLiteral("todos");
    case VemraTab::Clipboard:
        return QStringLiteral("clipboard");
    case VemraTab::Focus:
        return QStringLiteral("focus");
    }
    return {};
}

std::optional<VemraTab> fromStoredValue(const QString &raw)
{
    for (VemraTab tab : all) {
        if (storedValue(tab) == raw)
            return tab;
    }
    return std::nullopt;
}

QString title(VemraTab tab)
{
    switch (tab) {
    case VemraTab::Todos:
        return QStringLiteral("Todos");
    case VemraTab::Clipboard:
        return QStringLiteral("Clipboard");
    case VemraTab::Focus:
        return QStringLiteral("Focus");
    }
    return {};
}

QString systemImage(VemraTab tab)
{
    switch (tab) {
    case VemraTab::Todos:
        return QStringLiteral("checkmark.circle");
    case VemraTab::Clipboard:
        return QStringLiteral("doc.on.clipboard");
    case VemraTab::Focus:
        return QStringLiteral("timer");
    }
    return {};
}

int shortcutNumber(VemraTab tab)
{
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i] == tab)
            return int(i) + 1;
    }
    return 0;
}

} // namespace VemraTabs
