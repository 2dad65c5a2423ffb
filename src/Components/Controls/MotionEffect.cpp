#include "Components/Controls/MotionEffect.h"

#include <QPainter>

MotionEffect::MotionEffect(QObject *parent)
    : QGraphicsEffect(parent)
{
}

void MotionEffect::setLook(qreal opacity, qreal offsetY, qreal scale)
{
    if (qFuzzyCompare(opacity, m_opacity) && qFuzzyCompare(offsetY, m_offsetY) && qFuzzyCompare(scale, m_scale))
        return;
    m_opacity = opacity;
    m_offsetY = offsetY;
    m_scale = scale;
    update();
}

void MotionEffect::draw(QPainter *painter)
{
    if (m_opacity <= 0)
        return;
    if (m_still.isNull() && qFuzzyCompare(m_opacity, 1.0) && qFuzzyIsNull(m_offsetY) && qFuzzyCompare(m_scale, 1.0)) {
        drawSource(painter);
        return;
    }
    const QRectF bounds = sourceBoundingRect(Qt::LogicalCoordinates);
    QPoint origin = bounds.topLeft().toPoint();
    const QPixmap picture
        = m_still.isNull() ? sourcePixmap(Qt::LogicalCoordinates, &origin, QGraphicsEffect::NoPad) : m_still;
    if (picture.isNull())
        return;
    painter->save();
    painter->setClipRect(bounds, Qt::IntersectClip);
    painter->setOpacity(painter->opacity() * m_opacity);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    const QPointF centre = bounds.center();
    painter->translate(centre.x(), centre.y() + m_offsetY);
    painter->scale(m_scale, m_scale);
    painter->translate(-centre);
    painter->drawPixmap(origin, picture);
    painter->restore();
}

void MotionEffect::setStill(const QPixmap &still)
{
    m_still = still;
    update();
}
