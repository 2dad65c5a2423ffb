#include "Models/Shell/SettingsPane.h"

namespace SettingsPanes {

QString storedValue(SettingsPane pane)
{
    switch (pane) {
    case SettingsPane::General:
        return QStringLiteral("general");
    case SettingsPane::Clipboard:
        return QStringLiteral("clipboard");
    case SettingsPane::Focus:
        return QStringLiteral("focus");
    case SettingsPane::Data:
        return QStringLiteral("data");
    case SettingsPane::About:
        return QStringLiteral("about");
    }
    return {};
}

std::optional<SettingsPane> fromStoredValue(const QString &raw)
{
    for (SettingsPane pane : all) {
        if (storedValue(pane) == raw)
            return pane;
    }
    return std::nullopt;
}

QString title(SettingsPane pane)
{
    switch (pane) {
    case SettingsPane::General:
        return QStringLiteral("General");
    case SettingsPane::Clipboard:
        return QStringLiteral("Clipboard");
    case SettingsPane::Focus:
        return QStringLiteral("Focus");
    case SettingsPane::Data:
        return QStringLiteral("Data");
    case SettingsPane::About:
        return QStringLiteral("About");
    }
    return {};
}

QString systemImage(SettingsPane pane)
{
    switch (pane) {
    case SettingsPane::General:
        return QStringLiteral("gearshape");
    case SettingsPane::Clipboard:
        return QStringLiteral("doc.on.clipboard");
    case SettingsPane::Focus:
        return QStringLiteral("timer");
    case SettingsPane::Data:
        return QStringLiteral("externaldrive");
    case SettingsPane::About:
        return QStringLiteral("info.circle");
    }
    return {};
}

} // namespace SettingsPanes
