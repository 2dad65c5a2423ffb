#include "Components/Theme/Theme.h"

#include "Components/Theme/SystemColors.h"

#include <QPainter>

namespace Theme {

QColor color(Ink ink, const QPalette &palette)
{
    switch (ink) {
    case Ink::Primary:
        return SystemColors::primary(palette);
    case Ink::Secondary:
        return SystemColors::secondary(palette);
    case Ink::Tertiary:
        return SystemColors::tertiary(palette);
    case Ink::Accent:
        return SystemColors::tint(palette);
    case Ink::Red:
        return SystemColors::red(palette);
    case Ink::TextBackground:
        return SystemColors::textBackground(palette);
    case Ink::Window:
        return palette.color(QPalette::Window);
    case Ink::White:
        return Qt::white;
    case Ink::Black:
        return Qt::black;
    }
    return {};
}

QColor color(Tone tone, const QPalette &palette)
{
    return SystemColors::withOpacity(color(tone.ink, palette), tone.opacity);
}

Ink tint(bool destructive)
{
    return destructive ? Ink::Red : Ink::Accent;
}

Tone tintedFill(bool destructive, const QPalette &palette)
{
    return { tint(destructive), SystemColors::isDark(palette) ? 0.18 : 0.13 };
}

Tone groupFill(const QPalette &palette)
{
    return SystemColors::isDark(palette) ? Tone { Ink::Primary, 0.05 } : Tone { Ink::White, 0.7 };
}

Tone selectedSegment(const QPalette &palette)
{
    return { Ink::White, SystemColors::isDark(palette) ? 0.16 : 1.0 };
}

QPainterPath rounded(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath capsule(const QRectF &rect)
{
    return rounded(rect, qMin(rect.width(), rect.height()) / 2);
}

void paintPlate(QPainter &painter, const QRectF &rect, qreal radius, const QColor &fill, const QColor &edge)
{
    const auto shape = [radius](const QRectF &r) { return radius < 0 ? capsule(r) : rounded(r, radius); };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (fill.alpha() > 0)
        painter.fillPath(shape(rect), fill);
    if (edge.isValid() && edge.alpha() > 0) {
        // Inside the shape, so that an edge never grows what it outlines.
        const qreal inset = lineWidth / 2;
        painter.setPen(QPen(edge, lineWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(radius < 0
                ? capsule(rect.adjusted(inset, inset, -inset, -inset))
                : rounded(rect.adjusted(inset, inset, -inset, -inset), qMax<qreal>(0, radius - inset)));
    }
    painter.restore();
}

} // namespace Theme
