#include "Models/HotKeys/KeyCombo.h"

#include <QHash>
#include <QMetaType>

#include <limits>

namespace {

const QString keyCodeKey = QStringLiteral("keyCode");
const QString modifiersKey = QStringLiteral("modifiers");
const QString keyKey = QStringLiteral("key");

const QHash<qint64, QString> &functionKeys()
{
    static const QHash<qint64, QString> table {
        { 122, QStringLiteral("F1") },
        { 120, QStringLiteral("F2") },
        { 99, QStringLiteral("F3") },
        { 118, QStringLiteral("F4") },
        { 96, QStringLiteral("F5") },
        { 97, QStringLiteral("F6") },
        { 98, QStringLiteral("F7") },
        { 100, QStringLiteral("F8") },
        { 101, QStringLiteral("F9") },
        { 109, QStringLiteral("F10") },
        { 103, QStringLiteral("F11") },
        { 111, QStringLiteral("F12") },
        { 105, QStringLiteral("F13") },
        { 107, QStringLiteral("F14") },
        { 113, QStringLiteral("F15") },
        { 106, QStringLiteral("F16") },
        { 64, QStringLiteral("F17") },
        { 79, QStringLiteral("F18") },
        { 80, QStringLiteral("F19") },
    };
    return table;
}

const QHash<qint64, QString> &specialKeys()
{
    static const QHash<qint64, QString> table {
        { 49, QStringLiteral("Space") },
        { 36, QStringLiteral("Return") },
        { 48, QStringLiteral("Tab") },
        { 51, QStringLiteral("Backspace") },
        { 117, QStringLiteral("Delete") },
        { 123, QStringLiteral("Left") },
        { 124, QStringLiteral("Right") },
        { 126, QStringLiteral("Up") },
        { 125, QStringLiteral("Down") },
        { 115, QStringLiteral("Home") },
        { 119, QStringLiteral("End") },
        { 116, QStringLiteral("Page Up") },
        { 121, QStringLiteral("Page Down") },
    };
    return table;
}

// An integer entry as a signed 64-bit value; nothing for other types or unsigned values
// beyond the signed range.
std::optional<qint64> integerEntry(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return value.toLongLong();
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong unsignedValue = value.toULongLong();
        if (unsignedValue > qulonglong(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return qint64(unsignedValue);
    }
    default:
        return std::nullopt;
    }
}

bool fitsUnsigned32(qint64 value)
{
    return value >= 0 && value <= qint64(std::numeric_limits<quint32>::max());
}

} // namespace

KeyCombo KeyCombo::standard()
{
    return { 17, Shift | Command, QStringLiteral("T") };
}

KeyCombo KeyCombo::focus()
{
    return { 3, Shift | Command, QStringLiteral("F") };
}

KeyCombo KeyCombo::focusFallback()
{
    return { 3, Control | Option | Command, QStringLiteral("F") };
}

QString KeyCombo::modifierNames(qint64 modifiers)
{
    QString names;
    if (modifiers & Control)
        names += QStringLiteral("Ctrl+");
    if (modifiers & Option)
        names += QStringLiteral("Alt+");
    if (modifiers & Shift)
        names += QStringLiteral("Shift+");
    if (modifiers & Command)
        names += QStringLiteral("Super+");
    return names;
}

QString KeyCombo::keyName() const
{
    // Combinations stored before keys had these names carry arrows and other glyphs.
    const QString special = specialKeyName(keyCode);
    return special.isEmpty() ? key : special;
}

QString KeyCombo::displayName() const
{
    return modifierNames(modifiers) + keyName();
}

QString KeyCombo::spokenName() const
{
    QStringList words;
    if (modifiers & Control)
        words << QStringLiteral("Control");
    if (modifiers & Option)
        words << QStringLiteral("Alt");
    if (modifiers & Shift)
        words << QStringLiteral("Shift");
    if (modifiers & Command)
        words << QStringLiteral("Super");
    words << keyName();
    return words.join(QLatin1Char(' '));
}

QVariantMap KeyCombo::dictionary() const
{
    return { { keyCodeKey, keyCode }, { modifiersKey, modifiers }, { keyKey, key } };
}

std::optional<KeyCombo> KeyCombo::fromDictionary(const QVariantMap &dictionary)
{
    const auto code = integerEntry(dictionary.value(keyCodeKey));
    const auto mask = integerEntry(dictionary.value(modifiersKey));
    const QVariant name = dictionary.value(keyKey);
    if (!code || !mask || name.metaType().id() != QMetaType::QString)
        return std::nullopt;
    return KeyCombo { *code, *mask, name.toString() };
}

bool KeyCombo::fitsRegistration() const
{
    return fitsUnsigned32(keyCode) && fitsUnsigned32(modifiers);
}

bool KeyCombo::isValidShortcut() const
{
    // What fromKeyPress() could have made: only known modifier bits, Super, Alt or Ctrl unless the key
    // is a function key, and a visible name.
    if ((modifiers & ~allModifiers) != 0 || key.trimmed().isEmpty())
        return false;
    return (modifiers & commandOptionControl) != 0 || !functionKeyName(keyCode).isEmpty();
}

std::optional<KeyCombo> KeyCombo::fromKeyPress(qint64 keyCode, qint64 modifiers, const QString &unmodifiedText)
{
    const qint64 mask = modifiers & allModifiers;
    const QString functionName = functionKeyName(keyCode);
    QString name;
    if (!(mask & commandOptionControl)) {
        if (functionName.isEmpty())
            return std::nullopt;
        name = functionName;
    } else if (!functionName.isEmpty()) {
        name = functionName;
    } else if (const QString special = specialKeyName(keyCode); !special.isEmpty()) {
        name = special;
    } else {
        name = unmodifiedText.toUpper();
    }
    if (name.trimmed().isEmpty())
        return std::nullopt;
    return KeyCombo { keyCode, mask, name };
}

QString KeyCombo::functionKeyName(qint64 keyCode)
{
    return functionKeys().value(keyCode);
}

QString KeyCombo::specialKeyName(qint64 keyCode)
{
    return specialKeys().value(keyCode);
}
