#include "Views/Todos/ConfettiParticle.h"

#include "Components/Theme/Theme.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtMath>

namespace {

qreal uniform(QRandomGenerator &random, qreal low, qreal high)
{
    return low + random.generateDouble() * (high - low);
}

} // namespace

ConfettiParticle ConfettiParticle::random(QRandomGenerator &random, const QList<QColor> &colors)
{
    ConfettiParticle piece;
    // The spread leans right: from 0.85 rad left of straight up to 1.35 rad right of it.
    const qreal direction = -M_PI / 2 + uniform(random, -0.85, 1.35);
    const qreal speed = uniform(random, 220, 560);
    piece.isRound = random.generateDouble() < 0.25;
    if (piece.isRound)
        piece.size = QSizeF(5, 5);
    else
        piece.size = QSizeF(uniform(random, 5, 9), uniform(random, 3, 4.5));
    if (!colors.isEmpty())
        piece.color = colors.at(int(random.bounded(colors.size())));
    piece.velocity = QPointF(speed * qCos(direction), speed * qSin(direction));
    piece.angle = uniform(random, 0, 2 * M_PI);
    piece.spin = uniform(random, -8, 8);
    piece.flutter = uniform(random, 6, 14);
    return piece;
}

QList<QColor> ConfettiParticle::colors(const QColor &accent)
{
    return Theme::confetti(accent);
}

QPointF ConfettiParticle::offset(qreal age) const
{
    const qreal drift = (1 - qExp(-drag * age)) / drag;
    const qreal fall = gravity / drag;
    return { drift * velocity.x(), fall * age + drift * (velocity.y() - fall) };
}

void ConfettiParticle::draw(QPainter &painter, const QPointF &origin, qreal age, qreal opacity) const
{
    painter.save();
    painter.setOpacity(opacity);
    painter.translate(origin + offset(age));
    painter.rotate(qRadiansToDegrees(angle + age * spin));
    // Flipping about the vertical axis makes the piece seem to tumble.
    painter.scale(qCos(age * flutter), 1);
    const QRectF shape(-size.width() / 2, -size.height() / 2, size.width(), size.height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    if (isRound)
        painter.drawEllipse(shape);
    else
        painter.drawRect(shape);
    painter.restore();
}
