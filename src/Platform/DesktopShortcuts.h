#pragma once

#include <QtGlobal>

// The combinations the desktop's own keyboard settings assign to its shortcuts. Key codes and
// modifiers as for HotKeyBackend (17 = T; Command 0x100 = Super, Shift 0x200, Option 0x800 =
// Alt, Control 0x1000).
class DesktopShortcuts
{
public:
    virtual ~DesktopShortcuts() = default;

    // True when the settings of the desktop that runs list the combination; read afresh at
    // every call.
    virtual bool lists(quint32 keyCode, quint32 modifiers) const = 0;
};
