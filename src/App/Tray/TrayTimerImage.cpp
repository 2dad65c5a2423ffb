#include "App/Tray/TrayTimerImage.h"

#include "App/Tray/TrayIconImage.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStringList>

#include <cmath>

namespace TrayTimerImage {

namespace {

QFont rowFont(int pixelSize)
{
    QFont font;
    font.setBold(true);
    font.setPixelSize(pixelSize);
    return font;
}

bool fits(const std::pair<QString, QString> &rows, int pixelSize)
{
    // The halo must fit the square as well as the digits.
    const QFontMetricsF metrics(rowFont(pixelSize));
    const qreal room = side - 2 * haloWidth;
    return metrics.horizontalAdvance(rows.first) <= room && metrics.horizontalAdvance(rows.second) <= room;
}

} // namespace

std::pair<QString, QString> rows(const QString &clock)
{
    const QStringList parts = clock.split(u':');
    if (parts.size() < 2)
        return { clock, QString() };
    std::pair<QString, QString> split { clock.left(clock.lastIndexOf(u':')), parts.last() };
    if (parts.size() == 3 && !fits(split, minimumPixelSize))
        return { parts[0] + u'h', parts[1] + u'm' };
    return split;
}

int pixelSize(const std::pair<QString, QString> &rows)
{
    int size = side / 2;
    // Never below a readable size: the rows were chosen to fit there.
    while (size > minimumPixelSize && !fits(rows, size))
        --size;
    return size;
}

QImage image(const QString &clock, const QColor &colour, qreal devicePixelRatio)
{
    const int pixels = static_cast<int>(std::lround(side * devicePixelRatio));
    QImage result(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);

    const std::pair<QString, QString> split = rows(clock);
    const auto &[top, bottom] = split;
    const QFont font = rowFont(pixelSize(split));
    const QFontMetricsF metrics(font);
    // The rows meet at the middle: the upper row's descent above it, the lower row's ascent below.
    const qreal middle = side / 2.0;
    const auto origin = [&](const QString &text, qreal baseline) {
        return QPointF((side - metrics.horizontalAdvance(text)) / 2, baseline);
    };
    const QPointF upper = origin(top, middle - metrics.descent());
    const QPointF lower = origin(bottom, middle + metrics.ascent());

    QPainter painter(&result);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    QPainterPath outline;
    outline.addText(upper, font, top);
    outline.addText(lower, font, bottom);
    painter.strokePath(
        outline, QPen(TrayIconImage::contrasting(colour), 2 * haloWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(upper, top);
    painter.drawText(lower, bottom);
    return result;
}

QIcon icon(const QString &clock, const QColor &colour)
{
    QIcon result;
    for (qreal ratio : { 1.0, 2.0 })
        result.addPixmap(QPixmap::fromImage(image(clock, colour, ratio)));
    return result;
}

} // namespace TrayTimerImage
