#include "Models/Focus/FocusShortcut.h"

namespace FocusShortcuts {

QString storedValue(FocusShortcut shortcut)
{
    switch (shortcut) {
    case FocusShortcut::Status:
        return QStringLiteral("Vemra Focus Status");
    case FocusShortcut::On:
        return QStringLiteral("Vemra Focus On");
    case FocusShortcut::Off:
        return QStringLiteral("Vemra Focus Off");
    }
    return {};
}

std::optional<FocusShortcut> fromStoredValue(const QString &raw)
{
    for (FocusShortcut shortcut : all) {
        if (storedValue(shortcut) == raw)
            return shortcut;
    }
    return std::nullopt;
}

QString action(FocusShortcut shortcut)
{
    switch (shortcut) {
    case FocusShortcut::Status:
        return QStringLiteral("Print the name of the Do Not Disturb mode that is on, or nothing");
    case FocusShortcut::On:
        return QStringLiteral("Turn Do Not Disturb on");
    case FocusShortcut::Off:
        return QStringLiteral("Turn Do Not Disturb off");
    }
    return {};
}

} // namespace FocusShortcuts
