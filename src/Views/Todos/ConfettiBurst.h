#pragma once

#include "Views/Todos/ConfettiParticle.h"

#include <QList>
#include <QUuid>

// One throw of confetti from the source of one todo, living `lifetime` seconds from `start`.
struct ConfettiBurst
{
    static constexpr int pieceCount = 44;
    static constexpr qint64 lifetimeMs = 1400;

    QUuid id;
    QUuid sourceID;
    // Milliseconds on the layer's monotonic clock.
    qint64 start = 0;
    QList<ConfettiParticle> pieces;

    static ConfettiBurst make(const QUuid &sourceID, qint64 start, QRandomGenerator &random, const QColor &accent);

    bool isFinished(qint64 now) const { return now - start >= lifetimeMs; }
    // Full for the first two thirds of the life, then fading linearly to nothing.
    static qreal opacity(qreal age);
    // Draws every piece from `origin` as they are at `now`; nothing outside the burst's life.
    void draw(QPainter &painter, const QPointF &origin, qint64 now) const;
};
