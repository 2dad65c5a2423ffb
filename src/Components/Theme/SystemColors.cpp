#include "Components/Theme/SystemColors.h"

namespace SystemColors {

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

QColor primary(const QPalette &palette)
{
    return palette.color(QPalette::WindowText);
}

QColor secondary(const QPalette &palette)
{
    return withOpacity(primary(palette), isDark(palette) ? 0.55 : 0.5);
}

QColor tertiary(const QPalette &palette)
{
    return withOpacity(primary(palette), isDark(palette) ? 0.25 : 0.26);
}

QColor tint(const QPalette &palette, bool destructive)
{
    return destructive ? red(palette) : palette.color(QPalette::Highlight);
}

QColor red(const QPalette &palette)
{
    return isDark(palette) ? QColor(255, 69, 58) : QColor(255, 59, 48);
}

QColor textBackground(const QPalette &palette)
{
    return palette.color(QPalette::Base);
}

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

QColor mix(const QColor &from, const QColor &to, qreal t)
{
    if (t <= 0)
        return from;
    if (t >= 1)
        return to;
    const auto blend = [t](float a, float b) { return a + (b - a) * float(t); };
    QColor result;
    result.setRgbF(blend(from.redF(), to.redF()), blend(from.greenF(), to.greenF()), blend(from.blueF(), to.blueF()),
        blend(from.alphaF(), to.alphaF()));
    return result;
}

} // namespace SystemColors
