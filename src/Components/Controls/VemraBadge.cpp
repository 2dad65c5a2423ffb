#include "Components/Controls/VemraBadge.h"

#include "Components/Theme/MarkPath.h"
#include "Components/Theme/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

VemraBadge::VemraBadge(qreal size, QWidget *parent)
    : QWidget(parent)
    , m_size(size)
{
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

QSize VemraBadge::sizeHint() const
{
    return QSize(qCeil(m_size), qCeil(m_size));
}

void VemraBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square = QRectF(QRectF(rect()).center() - QPointF(m_size / 2, m_size / 2), QSizeF(m_size, m_size));
    const qreal radius = m_size * 0.28;
    QPainterPath tile;
    tile.addRoundedRect(square, radius, radius);
    painter.fillPath(tile, Theme::color(Theme::primary, palette()));

    const qreal inset = m_size * 0.2;
    QPainterPath mark = MarkPath::path(square.adjusted(inset, inset, -inset, -inset));
    mark.setFillRule(Qt::WindingFill);
    painter.fillPath(mark, Theme::color(Theme::Ink::TextBackground, palette()));
}
