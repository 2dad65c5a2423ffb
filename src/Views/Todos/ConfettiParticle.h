#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QSizeF>

class QPainter;
class QRandomGenerator;

// One piece of confetti: how it leaves its source and how it tumbles. Immutable once made;
// where it is at a given age follows from these values alone.
struct ConfettiParticle
{
    // Pixels per second; negative y is upward.
    QPointF velocity;
    QSizeF size;
    QColor color;
    bool isRound = false;
    // Radians, radians per second, radians per second.
    qreal angle = 0;
    qreal spin = 0;
    qreal flutter = 0;

    // Gravity and linear air drag of the fall.
    static constexpr qreal gravity = 560;
    static constexpr qreal drag = 3.4;

    // A piece thrown up and to the right of straight up, drawn from `random`.
    static ConfettiParticle random(QRandomGenerator &random, const QList<QColor> &colors);
    // The seven colours pieces are drawn in, the accent first.
    static QList<QColor> colors(const QColor &accent);

    // Offset from the source after `age` seconds (motion under gravity against drag).
    QPointF offset(qreal age) const;
    // Draws the piece at `origin` + offset(age).
    void draw(QPainter &painter, const QPointF &origin, qreal age, qreal opacity) const;
};
