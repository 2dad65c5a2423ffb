#include "Components/Theme/MarkPath.h"

#include <QPainterPathStroker>

#include <algorithm>

namespace {

qreal side(const QRectF &rect)
{
    return std::min(rect.width(), rect.height());
}

} // namespace

namespace MarkPath {

QPainterPath centreLine(const QRectF &rect)
{
    const qreal s = side(rect);
    const QPointF origin(rect.center().x() - s / 2, rect.center().y() - s / 2);
    const auto point = [&](qreal u, qreal v) { return origin + QPointF(u * s, v * s); };

    QPainterPath line;
    line.moveTo(point(0.40, 0.10));
    line.lineTo(point(0.40, 0.60));
    line.quadTo(point(0.40, 0.98), point(0.58, 0.80));
    line.lineTo(point(0.88, 0.50));
    line.moveTo(point(0.16, 0.33));
    line.lineTo(point(0.66, 0.33));
    return line;
}

QPainterPath path(const QRectF &rect, qreal weight)
{
    const qreal s = side(rect);
    if (s <= 0 || weight <= 0)
        return {};
    QPainterPathStroker stroker;
    stroker.setWidth(weight * s);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    stroker.setMiterLimit(10);
    QPainterPath outline = stroker.createStroke(centreLine(rect));
    outline.setFillRule(Qt::WindingFill);
    return outline;
}

QPainterPath badgeTile(const QRectF &rect)
{
    const qreal s = side(rect);
    const QRectF square(rect.center() - QPointF(s / 2, s / 2), QSizeF(s, s));
    QPainterPath tile;
    tile.addRoundedRect(square, s * 0.28, s * 0.28);
    return tile;
}

QPainterPath badgeMark(const QRectF &rect)
{
    const qreal inset = side(rect) * 0.2;
    QPainterPath mark = path(rect.adjusted(inset, inset, -inset, -inset));
    mark.setFillRule(Qt::WindingFill);
    return mark;
}

QByteArray svgPathData(const QPainterPath &path)
{
    QByteArray data;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        if (element.isMoveTo())
            data += 'M';
        else if (element.isLineTo())
            data += 'L';
        else if (element.isCurveTo())
            data += 'C';
        data += QByteArray::number(element.x, 'f', 3) + ' ' + QByteArray::number(element.y, 'f', 3) + ' ';
    }
    return data.trimmed();
}

} // namespace MarkPath
