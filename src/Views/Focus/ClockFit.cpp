#include "Views/Focus/ClockFit.h"

#include <QFontMetricsF>

#include <cmath>

namespace ClockFit {

qreal width(const QFont &font, const QString &text)
{
    const QFontMetricsF metrics(font);
    qreal digit = 0;
    for (char d = '0'; d <= '9'; ++d)
        digit = qMax(digit, metrics.horizontalAdvance(QLatin1Char(d)));
    qreal total = 0;
    for (const QChar c : text)
        total += c.isDigit() ? digit : metrics.horizontalAdvance(c);
    return total;
}

int pixelSize(QFont font, int nominal, const QString &text, int room)
{
    const int smallest = int(std::ceil(nominal * minimumScale));
    for (int size = nominal; size > smallest; --size) {
        font.setPixelSize(size);
        if (width(font, text) <= room)
            return size;
    }
    return smallest;
}

} // namespace ClockFit
