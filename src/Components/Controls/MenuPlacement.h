#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QMenu;
class QWidget;

// Where a menu that a control opens goes, and how it opens from the keyboard. It drops down
// from the control's bottom-left corner, or rises from its top edge when the screen has no room
// below, so that it never covers the control; either way it stays on the screen. Qt's own
// correction of a menu that does not fit moves it to the pointer, which a keyboard user's
// pointer may be anywhere but near.
namespace MenuPlacement {

// The menu's top-left corner for a control at `anchor` on a screen whose free area is `screen`
// (global coordinates).
QPoint beside(const QRect &anchor, const QSize &menu, const QRect &screen);

// Opens `menu` beside `anchor`; opened from the keyboard, its first entry is highlighted, as
// in Qt's menus opened from a menu bar by key, so that the arrows and Return work at once.
void popUp(QMenu *menu, const QWidget *anchor, bool fromKeyboard);

} // namespace MenuPlacement
