#pragma once

#include <QGraphicsEffect>
#include <QPixmap>

// Draws a widget faded, shifted down and scaled about its centre, clipped to its own rectangle:
// the picture that the show/hide transitions animate. At rest (opaque, in place, full size) it
// draws the widget as it is.
class MotionEffect final : public QGraphicsEffect
{
    Q_OBJECT

public:
    explicit MotionEffect(QObject *parent = nullptr);

    qreal opacity() const { return m_opacity; }
    qreal offsetY() const { return m_offsetY; }
    qreal scale() const { return m_scale; }
    void setLook(qreal opacity, qreal offsetY, qreal scale);
    // Draws this picture of the widget instead of the widget, from its top left corner, while
    // the widget's room is smaller than its content.
    void setStill(const QPixmap &still);

protected:
    void draw(QPainter *painter) override;

private:
    qreal m_opacity = 1;
    qreal m_offsetY = 0;
    qreal m_scale = 1;
    QPixmap m_still;
};
