#include "Views/Focus/FocusSpinner.h"

#include "Components/Theme/Theme.h"

#include <QPainter>

FocusSpinner::FocusSpinner(int side, QWidget *parent)
    : QWidget(parent)
    , m_side(side)
{
    setFixedSize(side, side);
    m_turn.setStartValue(0);
    m_turn.setEndValue(360);
    m_turn.setDuration(1000);
    m_turn.setLoopCount(-1);
    connect(&m_turn, &QVariantAnimation::valueChanged, this, [this] { update(); });
}

void FocusSpinner::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_turn.start();
}

void FocusSpinner::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_turn.stop();
}

void FocusSpinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(Theme::color(Theme::secondary, palette()), 1.5);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    painter.drawArc(box, -m_turn.currentValue().toInt() * 16, 270 * 16);
}
