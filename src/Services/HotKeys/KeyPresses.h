#pragma once

#include "Models/HotKeys/KeyCombo.h"

#include <Qt>

#include <optional>

class QKeyEvent;

// Key presses seen by the application, read as global shortcuts: Super is Command, Alt is
// Option, Control and Shift are themselves; lock keys are ignored.
namespace KeyPresses {

// The KeyCombo modifier mask of Qt's modifiers.
qint64 modifierMask(Qt::KeyboardModifiers modifiers);

// The virtual key code of the press: from its native X key code when it has one, else from
// its Qt key on a US layout; none for keys that cannot form a shortcut.
std::optional<qint64> keyCode(const QKeyEvent &event);

// The combination the press makes, or none when it is not a valid shortcut.
std::optional<KeyCombo> combo(const QKeyEvent &event);

// The digit of the main block's digit-row key pressed, found by the key's place as toolkits do,
// so that layouts whose digits need Shift (AZERTY types & é " on 1 2 3) reach it unshifted; none
// for any other key, the keypad's included.
std::optional<int> digitRowNumber(const QKeyEvent &event);

} // namespace KeyPresses
