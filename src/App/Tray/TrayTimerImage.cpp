#include "App/Tray/TrayTimerImage.h"

#include "App/Tray/TrayIconImage.h"

#include <QFontMetricsF>
#include <QPainter>
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
    const QFontMetricsF metrics(rowFont(pixelSize));
    return metrics.horizontalAdvance(rows.first) <= side && metrics.horizontalAdvance(rows.second) <= side;
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
    QPainter painter(&result);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(colour);
    const QRectF upper(0, 0, side, side / 2.0);
    const QRectF lower(0, side / 2.0, side, side / 2.0);
    painter.drawText(upper, Qt::AlignHCenter | Qt::AlignBottom, top);
    painter.drawText(lower, Qt::AlignHCenter | Qt::AlignTop, bottom);
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
