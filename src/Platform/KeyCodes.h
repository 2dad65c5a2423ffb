#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Key codes of shortcuts are kept in the classic virtual-key numbering of the ANSI keyboard
// (0 is A, 17 is T, 49 Space, 122 F1, …). These functions map them to and from the X
// server's key codes by the key's physical position (X key code = evdev code + 8), and to
// Qt's key values for events that carry no native code.
namespace KeyCodes {

// The X key code at the position of the virtual key, or none for an unknown code.
std::optional<quint32> x11KeyCode(qint64 keyCode);
// The virtual key at the position of the X key code, or none when there is none.
std::optional<qint64> fromX11KeyCode(quint32 x11KeyCode);

// The virtual key that types the Qt key on a US layout (shifted symbols too: Qt::Key_Exclam
// is the 1 key), or none. Used when an event carries no native key code.
std::optional<qint64> fromQtKey(int qtKey);

// What the key types with no modifier on a US layout ("t", "1", "[", "" for Return or F1).
QString usText(qint64 keyCode);

// What the key types with no modifier on the current keyboard layout: read from the X
// server's key map when the application runs on X11, else the US text.
QString unmodifiedText(qint64 keyCode);

// Text of an X keysym ("" for keysyms that type nothing, such as Escape or Home).
QString keysymText(quint32 keysym);

} // namespace KeyCodes
