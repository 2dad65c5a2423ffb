#pragma once

#include <QList>

class QWidget;

// Qt puts a widget made after its window was built at the end of the window's Tab order, after
// the footer and the header; a control made on demand (a row's buttons, a notice's) is put here
// where it shows instead.
namespace TabChain {

// Puts `widgets`, in this order, after the last control before `place` that Tab can reach:
// `place` is a widget made with the window that holds the widgets (a list, a notice).
void insertAt(const QWidget *place, const QList<QWidget *> &widgets);

// Gives the keyboard's focus to the control Shift+Tab would reach from `place`, for a control
// that goes away while it has the focus: Qt would send the focus on to the next control, where
// Return or Space would press whatever that is.
void focusBefore(const QWidget *place);

} // namespace TabChain
