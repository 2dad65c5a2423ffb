#pragma once

#include <QColor>
#include <QPalette>

// The semantic colours the controls are drawn with, read from a widget's palette so that
// they follow the light and dark palettes by themselves. Label colours follow the desktop
// convention of one text colour at falling opacities.
namespace SystemColors {

bool isDark(const QPalette &palette);

QColor primary(const QPalette &palette);
QColor secondary(const QPalette &palette);
QColor tertiary(const QPalette &palette);
// The accent colour, or red for a destructive control.
QColor tint(const QPalette &palette, bool destructive = false);
QColor red(const QPalette &palette);
// The background of text fields, against which the mark is cut out of the badge.
QColor textBackground(const QPalette &palette);

// `color` at `opacity` times its own alpha.
QColor withOpacity(QColor color, qreal opacity);
// Linear blend from `from` (t = 0) to `to` (t = 1), alpha included.
QColor mix(const QColor &from, const QColor &to, qreal t);

} // namespace SystemColors
