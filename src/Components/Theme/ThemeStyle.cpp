#include "Components/Theme/ThemeStyle.h"

#include "Components/Theme/Theme.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

ThemeStyle::ThemeStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
{
}

void ThemeStyle::drawPrimitive(
    PrimitiveElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const
{
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (element != PE_IndicatorCheckBox)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(Theme::color(Theme::boxEdge, option->palette), Theme::lineWidth));
    // Fusion's own edge runs through the middle of the box's outer pixels.
    painter->drawRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5));
    painter->restore();
}
