#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

// One keyboard shortcut as the application keeps it: a hardware key code in the classic
// virtual-key numbering (17 is T, 3 is F; Platform/KeyCodes maps it to the X server's
// codes by physical position), a modifier mask and the name shown for the key.
//
// Modifier bits: Command 0x100, Shift 0x200, Option 0x800, Control 0x1000. For a global
// shortcut Command stands for the Super key and Option for Alt.
struct KeyCombo
{
    enum Modifier : qint64 {
        Command = 0x100,
        Shift = 0x200,
        Option = 0x800,
        Control = 0x1000,
    };
    // Every modifier bit this type knows of.
    static constexpr qint64 allModifiers = Command | Shift | Option | Control;
    // The keys that may form a shortcut only when one of these is held (function keys excepted).
    static constexpr qint64 commandOptionControl = Command | Option | Control;

    qint64 keyCode = 0;
    qint64 modifiers = 0;
    QString key;

    // Field by field, key name included (see sameKeys() for the comparison that ignores it).
    bool operator==(const KeyCombo &other) const = default;

    // True when both name the same physical key and modifiers, whatever the key's name.
    bool sameKeys(const KeyCombo &other) const { return keyCode == other.keyCode && modifiers == other.modifiers; }

    // Shift+Super+T (New Todo), Shift+Super+F (Focus) and Ctrl+Alt+Super+F (Focus, when the
    // desktop holds Shift+Super+F).
    static KeyCombo standard();
    static KeyCombo focus();
    static KeyCombo focusFallback();

    // The keys as a PC keyboard names them, as the desktop's own shortcut settings write them:
    // Ctrl, Alt, Shift and Super in that order, each followed by "+", then the key name:
    // "Shift+Super+T", "F5".
    QString displayName() const;
    // Words Control, Alt, Shift, Super, then the key name, joined by blanks.
    QString spokenName() const;
    // The modifiers' part of displayName() ("" for none); also used for modifiers held live.
    static QString modifierNames(qint64 modifiers);
    // The key's own name: the PC name of a special key (whatever name was stored), else `key`.
    QString keyName() const;

    // The stored form: {"keyCode": int, "modifiers": int, "key": string}.
    QVariantMap dictionary() const;
    // A combination only when all three entries are present with integer, integer and string
    // values; further entries are ignored and the values are taken as they stand.
    static std::optional<KeyCombo> fromDictionary(const QVariantMap &dictionary);

    // Whether key code and modifiers fit the unsigned 32-bit fields of a registration.
    bool fitsRegistration() const;
    // Whether a key press could have made it (see fromKeyPress()); a stored combination that
    // could not, such as a bare Space, is no shortcut.
    bool isValidShortcut() const;

    // The combination a key press makes, or none when the press is not a valid shortcut.
    // `modifiers` is the mask above (lock keys already dropped); `unmodifiedText` is what the
    // key types with no modifier applied. Valid: any key with Super, Alt or Ctrl (Shift may be added), or
    // F1–F19 alone or with ⇧ only.
    static std::optional<KeyCombo> fromKeyPress(qint64 keyCode, qint64 modifiers, const QString &unmodifiedText);

    // "F1" … "F19" for the function keys, else empty.
    static QString functionKeyName(qint64 keyCode);
    // "Space", "Return", "Tab", "Backspace", "Delete", the arrows "Left" … "Down", "Home", "End",
    // "Page Up" and "Page Down", else empty.
    static QString specialKeyName(qint64 keyCode);
};
