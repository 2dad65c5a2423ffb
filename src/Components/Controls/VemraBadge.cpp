#include "Components/Controls/VemraBadge.h"

#include "Components/Theme/MarkPath.h"
#include "Components/Theme/Theme.h"

#include <QPainter>
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
    painter.fillPath(MarkPath::badgeTile(square), Theme::color(Theme::primary, palette()));
    painter.fillPath(MarkPath::badgeMark(square), Theme::color(Theme::Ink::TextBackground, palette()));
}
