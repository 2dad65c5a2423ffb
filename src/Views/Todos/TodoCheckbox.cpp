#include "Views/Todos/TodoCheckbox.h"

#include "Components/Controls/PointingHandCursor.h"
#include "Components/Theme/Theme.h"
#include "Components/Theme/Transition.h"

#include <QEvent>
#include <QHoverEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

QPainterPath roundedBox(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// The check mark inside `r`, drawn from its left end down to the bottom vertex and up to the
// right end, cut off after `fraction` of its length.
QPainterPath checkmark(const QRectF &r, qreal fraction)
{
    const QPointF start(r.left(), r.center().y() + 0.05 * r.height());
    const QPointF bottom(r.left() + 0.36 * r.width(), r.bottom() - 0.08 * r.height());
    const QPointF end(r.right(), r.top() + 0.08 * r.height());
    const qreal first = QLineF(start, bottom).length();
    const qreal second = QLineF(bottom, end).length();
    qreal remaining = qBound(0.0, fraction, 1.0) * (first + second);
    QPainterPath path(start);
    if (remaining <= 0)
        return path;
    if (remaining <= first) {
        path.lineTo(start + (bottom - start) * (remaining / first));
        return path;
    }
    path.lineTo(bottom);
    remaining -= first;
    path.lineTo(bottom + (end - bottom) * qMin(1.0, remaining / second));
    return path;
}

} // namespace

TodoCheckbox::TodoCheckbox(qreal boxSize, QWidget *parent)
    : QAbstractButton(parent)
    , m_boxSize(boxSize)
    , m_hover(new Transition(this, 120, QEasingCurve::OutQuad))
    , m_check(new Transition(this, 300, QEasingCurve::OutCubic))
    , m_press(new Transition(this, 200, QEasingCurve::OutBack))
{
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    PointingHandCursor::apply(this);
    connect(this, &QAbstractButton::toggled, this, [this](bool checked) {
        // A box that is not on screen yet (a new row) shows its state at once.
        if (isVisible())
            m_check->setOn(checked);
        else
            m_check->jumpTo(checked);
    });
    connect(this, &QAbstractButton::pressed, this, [this] { m_press->setOn(true); });
    connect(this, &QAbstractButton::released, this, [this] { m_press->setOn(false); });
}

void TodoCheckbox::setBoxSize(qreal size)
{
    if (qFuzzyCompare(size, m_boxSize))
        return;
    m_boxSize = size;
    updateGeometry();
    update();
}

QSize TodoCheckbox::sizeHint() const
{
    const int side = qCeil(m_boxSize) + 2 * shadowMargin();
    return QSize(side, side);
}

QRectF TodoCheckbox::boxRect() const
{
    const QPointF centre = QRectF(rect()).center();
    return QRectF(centre.x() - m_boxSize / 2, centre.y() - m_boxSize / 2, m_boxSize, m_boxSize);
}

bool TodoCheckbox::hitButton(const QPoint &pos) const
{
    // The whole square counts, corners included.
    return boxRect().contains(QPointF(pos) + QPointF(0.5, 0.5));
}

bool TodoCheckbox::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::HoverLeave: {
        const bool inside
            = event->type() != QEvent::HoverLeave && hitButton(static_cast<QHoverEvent *>(event)->position().toPoint());
        if (inside != m_hovered) {
            m_hovered = inside;
            m_hover->setOn(inside);
        }
        break;
    }
    default:
        break;
    }
    return QAbstractButton::event(event);
}

void TodoCheckbox::paintEvent(QPaintEvent *)
{
    const QPalette &pal = palette();
    const auto color = [&pal](Theme::Tone tone) { return Theme::color(tone, pal); };
    const qreal s = m_boxSize;
    const qreal checked = qBound(0.0, m_check->value(), 1.0);
    const qreal hover = m_hover->value();
    const qreal scale = 1.0 - 0.12 * m_press->value();

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = boxRect();
    painter.translate(box.center());
    painter.scale(scale, scale);
    painter.translate(-box.center());

    const qreal radius = s * 0.3;
    const QPainterPath shape = roundedBox(box, radius);

    // Shadow of the checked box: a soft accent halo one pixel down.
    if (checked > 0) {
        painter.setPen(Qt::NoPen);
        for (int ring = 3; ring >= 1; --ring) {
            const QRectF halo = box.translated(0, 1).adjusted(-ring, -ring, ring, ring);
            painter.setBrush(color(Theme::tickedGlow.times(checked / 4)));
            painter.drawPath(roundedBox(halo, radius + ring));
        }
    }

    // Fill: the grey wash while open, the accent gradient when done.
    painter.fillPath(shape,
        Theme::blend(Theme::boxFill.times(1 - checked), Theme::boxFillHighlighted.times(1 - checked), hover, pal));
    if (checked > 0) {
        QLinearGradient gradient(box.topLeft(), box.bottomLeft());
        const QColor fading = color(Theme::accent.times(checked));
        gradient.setColorAt(0, fading.lighter(115));
        gradient.setColorAt(1, fading);
        painter.fillPath(shape, gradient);
    }

    // Border, inside the box so it never grows it.
    if (checked < 1) {
        const QColor edge
            = Theme::blend(Theme::boxEdge.times(1 - checked), Theme::boxEdgeHighlighted.times(1 - checked), hover, pal);
        QPen border(edge, 1.5, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        painter.setPen(border);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(roundedBox(box.adjusted(0.75, 0.75, -0.75, -0.75), radius - 0.75));
    }

    if (checked > 0) {
        const qreal inset = s * 0.26;
        QPen mark(color({ Theme::Ink::White }), s * 0.12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(mark);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(checkmark(box.adjusted(inset, inset, -inset, -inset), checked));
    }
}
