#pragma once

#include <QObject>

// The combinations the desktop's own keyboard settings assign to its shortcuts. Key codes and
// modifiers as for HotKeyBackend (17 = T; Command 0x100 = Super, Shift 0x200, Option 0x800 =
// Alt, Control 0x1000). Reading them may take a while (another program answers for some
// desktops), so a read is asked for and its answer told by `answered`.
class DesktopShortcuts : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Reads the settings of the desktop that runs afresh, unless a read is under way, whose
    // answer then serves. `answered` follows, possibly before this returns.
    virtual void read() = 0;
    // Whether the last answer lists the combination; false before the first.
    virtual bool lists(quint32 keyCode, quint32 modifiers) const = 0;

Q_SIGNALS:
    void answered();
};
