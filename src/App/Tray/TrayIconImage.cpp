#include "App/Tray/TrayIconImage.h"

#include "Components/Theme/MarkPath.h"
#include "Components/Theme/Theme.h"
#include "Platform/linux/UserIcons.h"

#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace TrayIconImage {

QColor contrasting(const QColor &background)
{
    return Theme::color(background.lightnessF() < 0.5 ? Theme::Ink::White : Theme::Ink::Black, QPalette());
}

QColor markColour(const QPalette &palette)
{
    return contrasting(palette.color(QPalette::Window));
}

QImage image(const QColor &colour, qreal devicePixelRatio)
{
    const int pixels = static_cast<int>(std::lround(side * devicePixelRatio));
    QImage result(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);

    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    // Half a pixel in from every edge keeps the round caps from being clipped.
    painter.drawPath(MarkPath::path(QRectF(0, 0, side, side).adjusted(0.5, 0.5, -0.5, -0.5), markWeight));
    return result;
}

QColor markColour(
    const std::optional<QColor> &trayForeground, const std::optional<QColor> &trayBackground, const QPalette &palette)
{
    if (trayForeground)
        return *trayForeground;
    if (trayBackground)
        return contrasting(*trayBackground);
    return markColour(palette);
}

QIcon icon(const QColor &colour)
{
    QIcon result;
    for (qreal ratio : { 1.0, 2.0 })
        result.addPixmap(QPixmap::fromImage(image(colour, ratio)));
    return result;
}

QByteArray symbolicSvg()
{
    constexpr int symbolicSide = 16;
    const QPainterPath mark
        = MarkPath::path(QRectF(0, 0, symbolicSide, symbolicSide).adjusted(0.5, 0.5, -0.5, -0.5), markWeight);
    return QByteArrayLiteral(R"(<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">)")
        + QByteArrayLiteral(R"(<path fill=")") + Theme::symbolicIconFill().name().toLatin1()
        + QByteArrayLiteral(R"(" d=")") + MarkPath::svgPathData(mark) + QByteArrayLiteral("\"/></svg>\n");
}

QIcon themedIcon(const QColor &colour)
{
    const QString name = QString::fromUtf16(themedName);
    if (!UserIcons::installScalable(name, symbolicSvg()))
        return icon(colour);
    return QIcon::fromTheme(name, icon(colour));
}

} // namespace TrayIconImage
