#pragma once

#include "Components/Theme/Theme.h"

// Retiring: the older spelling of Theme's inks, kept only until the last views have moved to
// tones (`Theme::color`, `ToneLabel`, `PaletteTone`). Write no new use; `scripts/lint` lists
// the ones left.
namespace SystemColors {

inline bool isDark(const QPalette &palette)
{
    return Theme::isDark(palette);
}
inline QColor primary(const QPalette &palette)
{
    return Theme::color(Theme::primary, palette);
}
inline QColor secondary(const QPalette &palette)
{
    return Theme::color(Theme::secondary, palette);
}
inline QColor tertiary(const QPalette &palette)
{
    return Theme::color(Theme::tertiary, palette);
}
inline QColor tint(const QPalette &palette, bool destructive = false)
{
    return Theme::color(Theme::tint(destructive), palette);
}
inline QColor red(const QPalette &palette)
{
    return Theme::color(Theme::Ink::Red, palette);
}
inline QColor textBackground(const QPalette &palette)
{
    return Theme::color(Theme::Ink::TextBackground, palette);
}
inline QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}
inline QColor mix(const QColor &from, const QColor &to, qreal t)
{
    return Theme::mix(from, to, t);
}

} // namespace SystemColors
