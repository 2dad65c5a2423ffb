#include "Components/Theme/Curves.h"

#include <QPointF>

namespace Curves {

QEasingCurve cubic(qreal x1, qreal y1, qreal x2, qreal y2)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(x1, y1), QPointF(x2, y2), QPointF(1, 1));
    return curve;
}

QEasingCurve standard()
{
    return cubic(0.25, 0.1, 0.25, 1.0);
}

QEasingCurve easeOut()
{
    return cubic(0, 0, 0.58, 1);
}

QEasingCurve panelResize()
{
    return cubic(0.2, 0.9, 0.25, 1.0);
}

} // namespace Curves
