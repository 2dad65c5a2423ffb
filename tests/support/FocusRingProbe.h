#pragma once

#include "Components/Theme/Theme.h"

#include <QImage>
#include <QString>
#include <QWidget>

// Whether the ring that keyboard focus draws on `widget` (which has the focus) is the theme's
// ring: in the middle of its top side, the first two rows that the focus look changes are
// both the ring's tone laid whole over what was there. Empty when it is, else what differs.
inline QString themeRingFault(QWidget *widget)
{
    QWidget *window = widget->window();
    window->setAttribute(Qt::WA_KeyboardFocusChange, false);
    const QImage plain = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    window->setAttribute(Qt::WA_KeyboardFocusChange, true);
    const QImage ringed = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const int x = plain.width() / 2;
    int top = 0;
    while (top < plain.height() && plain.pixel(x, top) == ringed.pixel(x, top))
        ++top;
    if (top + 1 >= plain.height())
        return QStringLiteral("no ring at the top");
    const QColor ring = Theme::color(Theme::focusRing, widget->palette());
    for (int y = top; y < top + 2; ++y) {
        const QColor under = plain.pixelColor(x, y);
        const QColor got = ringed.pixelColor(x, y);
        const auto over = [&ring](qreal ink, qreal base) { return ink * ring.alphaF() + base * (1 - ring.alphaF()); };
        const QColor expected = QColor::fromRgbF(float(over(ring.redF(), under.redF())),
            float(over(ring.greenF(), under.greenF())), float(over(ring.blueF(), under.blueF())));
        if (qAbs(got.red() - expected.red()) > 3 || qAbs(got.green() - expected.green()) > 3
            || qAbs(got.blue() - expected.blue()) > 3)
            return QStringLiteral("row %1 of the ring is %2, not %3").arg(y - top).arg(got.name(), expected.name());
    }
    return {};
}
