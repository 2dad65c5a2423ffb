#pragma once

#include <QEasingCurve>

// The timing curves and times that motions share, so that what moves together eases alike.
namespace Curves {

// A cubic Bézier curve from (0, 0) to (1, 1) with the control points (x1, y1) and (x2, y2).
QEasingCurve cubic(qreal x1, qreal y1, qreal x2, qreal y2);

// The default timing: a gentle start, a quick middle and a long settle.
QEasingCurve standard();
// Starts at full speed and slows to a stop.
QEasingCurve easeOut();

// The panel's height follows its content with this curve over this time; what moves the
// panel's height from inside (the calendar card) moves with it.
QEasingCurve panelResize();
inline constexpr int panelResizeMs = 280;

} // namespace Curves
