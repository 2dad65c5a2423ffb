#include "Services/HotKeys/KeyPresses.h"

#include "Platform/KeyCodes.h"

#include <QKeyEvent>

#include <algorithm>
#include <array>

namespace KeyPresses {

qint64 modifierMask(Qt::KeyboardModifiers modifiers)
{
    qint64 mask = 0;
    if (modifiers & Qt::MetaModifier)
        mask |= KeyCombo::Command;
    if (modifiers & Qt::ShiftModifier)
        mask |= KeyCombo::Shift;
    if (modifiers & Qt::AltModifier)
        mask |= KeyCombo::Option;
    if (modifiers & Qt::ControlModifier)
        mask |= KeyCombo::Control;
    return mask;
}

std::optional<qint64> keyCode(const QKeyEvent &event)
{
    if (event.nativeScanCode() != 0)
        return KeyCodes::fromX11KeyCode(event.nativeScanCode());
    return KeyCodes::fromQtKey(event.key());
}

std::optional<KeyCombo> combo(const QKeyEvent &event)
{
    const auto code = keyCode(event);
    if (!code)
        return std::nullopt;
    return KeyCombo::fromKeyPress(*code, modifierMask(event.modifiers()), KeyCodes::unmodifiedText(*code));
}

std::optional<int> digitRowNumber(const QKeyEvent &event)
{
    if (event.modifiers() & Qt::KeypadModifier)
        return std::nullopt;
    // The virtual key codes of 1 … 9 and 0, in that order.
    static constexpr std::array<qint64, 10> digitRow { 18, 19, 20, 21, 23, 22, 26, 28, 25, 29 };
    const auto code = keyCode(event);
    const auto *found = code ? std::find(digitRow.begin(), digitRow.end(), *code) : digitRow.end();
    if (found == digitRow.end())
        return std::nullopt;
    return int(found - digitRow.begin() + 1) % 10;
}

} // namespace KeyPresses
