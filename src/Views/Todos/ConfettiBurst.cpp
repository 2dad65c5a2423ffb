#include "Views/Todos/ConfettiBurst.h"

#include <QPainter>

ConfettiBurst ConfettiBurst::make(const QUuid &sourceID, qint64 start, QRandomGenerator &random, const QColor &accent)
{
    ConfettiBurst burst;
    burst.id = QUuid::createUuid();
    burst.sourceID = sourceID;
    burst.start = start;
    const QList<QColor> colors = ConfettiParticle::colors(accent);
    burst.pieces.reserve(pieceCount);
    for (int i = 0; i < pieceCount; ++i)
        burst.pieces.append(ConfettiParticle::random(random, colors));
    return burst;
}

qreal ConfettiBurst::opacity(qreal age)
{
    const qreal life = lifetimeMs / 1000.0;
    return qBound(0.0, (life - age) / (life / 3), 1.0);
}

void ConfettiBurst::draw(QPainter &painter, const QPointF &origin, qint64 now) const
{
    const qint64 elapsed = now - start;
    if (elapsed < 0 || elapsed >= lifetimeMs)
        return;
    const qreal age = elapsed / 1000.0;
    const qreal alpha = opacity(age);
    for (const ConfettiParticle &piece : pieces)
        piece.draw(painter, origin, age, alpha);
}
