#pragma once

#include <QByteArray>
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

// The application's badge, the mark on a rounded square: the square, then the mark inside it,
// both for the largest square centred in `rect`.
QPainterPath badgeTile(const QRectF &rect);
QPainterPath badgeMark(const QRectF &rect);

// A path as the data of an SVG <path> ("M x y L x y C …"), to three decimals.
QByteArray svgPathData(const QPainterPath &path);

} // namespace MarkPath
