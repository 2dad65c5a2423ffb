#include "Services/HotKeys/KeyPresses.h"

#include "Platform/KeyCodes.h"

#include <QKeyEvent>

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

} // namespace KeyPresses
