#include "App/Tray/TrayTimerImage.h"

#include "App/Tray/TrayIconImage.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace TrayTimerImage {

std::pair<QString, QString> rows(const QString &clock)
{
    const qsizetype colon = clock.lastIndexOf(u':');
    if (colon < 0)
        return { clock, QString() };
    return { clock.left(colon), clock.mid(colon + 1) };
}

QImage image(const QString &clock, const QColor &colour, qreal devicePixelRatio)
{
    const int pixels = static_cast<int>(std::lround(side * devicePixelRatio));
    QImage result(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);

    const auto [top, bottom] = rows(clock);
    QFont font;
    font.setBold(true);
    font.setPixelSize(side / 2);
    // The wider row decides the size: shrink until it fits the icon's width.
    while (font.pixelSize() > 6
        && QFontMetricsF(font).horizontalAdvance(top.size() >= bottom.size() ? top : bottom) > side) {
        font.setPixelSize(font.pixelSize() - 1);
    }
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
