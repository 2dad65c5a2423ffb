#pragma once

#include <QPainterPath>
#include <QRectF>

// The application's mark: a stem whose foot curves into a tick rising to the right, crossed
// near its top by a bar. Drawn in the largest square centred in the given rectangle.
namespace MarkPath {

// The stroke width as a fraction of the square's side.
inline constexpr qreal defaultWeight = 0.135;

// The centre line before stroking (y grows downwards).
QPainterPath centreLine(const QRectF &rect);
// The mark as a filled outline: fill it (non-zero winding), never stroke it.
QPainterPath path(const QRectF &rect, qreal weight = defaultWeight);

} // namespace MarkPath
