#include "Components/Theme/Theme.h"

#include <QPainter>

namespace Theme {

namespace {

// `color` at `opacity` times its own alpha.
QColor faded(QColor color, qreal opacity)
{
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

// A signal colour in its light and dark shades.
QColor signal(const QPalette &palette, QColor light, QColor dark)
{
    return isDark(palette) ? dark : light;
}

} // namespace

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

QColor color(Ink ink, const QPalette &palette)
{
    const QColor primary = palette.color(QPalette::WindowText);
    switch (ink) {
    case Ink::Primary:
        return primary;
    case Ink::Secondary:
        return faded(primary, isDark(palette) ? 0.55 : 0.5);
    case Ink::Tertiary:
        return faded(primary, isDark(palette) ? 0.25 : 0.26);
    case Ink::Accent:
        return palette.color(QPalette::Highlight);
    case Ink::Red:
        return signal(palette, QColor(255, 59, 48), QColor(255, 69, 58));
    case Ink::Orange:
        return signal(palette, QColor(255, 149, 0), QColor(255, 159, 10));
    case Ink::Green:
        return signal(palette, QColor(40, 167, 69), QColor(48, 209, 88));
    case Ink::TextBackground:
        return palette.color(QPalette::Base);
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
    return faded(color(tone.ink, palette), tone.opacity);
}

QColor blend(Tone from, Tone to, qreal t, const QPalette &palette)
{
    return mix(color(from, palette), color(to, palette), t);
}

QColor mix(const QColor &from, const QColor &to, qreal t)
{
    if (t <= 0)
        return from;
    if (t >= 1)
        return to;
    const auto step = [t](float a, float b) { return a + (b - a) * float(t); };
    QColor result;
    result.setRgbF(step(from.redF(), to.redF()), step(from.greenF(), to.greenF()), step(from.blueF(), to.blueF()),
        step(from.alphaF(), to.alphaF()));
    return result;
}

Ink tint(bool destructive)
{
    return destructive ? Ink::Red : Ink::Accent;
}

Tone tintedFill(bool destructive, const QPalette &palette)
{
    return { tint(destructive), isDark(palette) ? 0.18 : 0.13 };
}

Tone groupFill(const QPalette &palette)
{
    return isDark(palette) ? Tone { Ink::Primary, 0.05 } : Tone { Ink::White, 0.7 };
}

Tone toolbarPlateChosen(const QPalette &palette)
{
    return { Ink::Primary, isDark(palette) ? 0.12 : 0.07 };
}

Tone selectedSegment(const QPalette &palette)
{
    return { Ink::White, isDark(palette) ? 0.16 : 1.0 };
}

Miniature miniature(bool dark)
{
    if (dark)
        return { QColor::fromRgbF(0.17f, 0.17f, 0.17f), faded(Qt::white, 0.2), {}, faded(Qt::white, 0.25),
            faded(Qt::white, 0.15) };
    return { QColor::fromRgbF(0.95f, 0.95f, 0.95f), Qt::white, faded(Qt::black, 0.1), faded(Qt::black, 0.25),
        faded(Qt::black, 0.15) };
}

QColor symbolicIconFill()
{
    return { 0xbe, 0xbe, 0xbe };
}

QList<QColor> confetti(const QColor &accent)
{
    return { accent, QColor(255, 45, 85), QColor(255, 149, 0), QColor(255, 204, 0), QColor(52, 199, 89),
        QColor(48, 176, 199), QColor(175, 82, 222) };
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

void paintFocusRing(QPainter &painter, const QRectF &rect, qreal radius, bool onFill, const QPalette &palette)
{
    const auto shape = [radius](const QRectF &r, qreal inset) {
        const QRectF in = r.adjusted(inset, inset, -inset, -inset);
        return radius < 0 ? capsule(in) : rounded(in, qMax<qreal>(0, radius - inset));
    };
    constexpr qreal ringWidth = 2;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(1);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(color(focusRing, palette), ringWidth));
    painter.drawPath(shape(rect, ringWidth / 2));
    if (onFill) {
        painter.setPen(QPen(color(focusRingOnFill, palette), lineWidth * 1.5));
        painter.drawPath(shape(rect, ringWidth + lineWidth * 0.75));
    }
    painter.restore();
}

} // namespace Theme
