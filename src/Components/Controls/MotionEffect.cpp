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
    if (qFuzzyCompare(m_opacity, 1.0) && qFuzzyIsNull(m_offsetY) && qFuzzyCompare(m_scale, 1.0)) {
        drawSource(painter);
        return;
    }
    QPoint origin;
    const QPixmap picture = sourcePixmap(Qt::LogicalCoordinates, &origin, QGraphicsEffect::NoPad);
    if (picture.isNull())
        return;
    const QRectF bounds = sourceBoundingRect(Qt::LogicalCoordinates);
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
