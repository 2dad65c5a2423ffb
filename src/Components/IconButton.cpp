#include "Components/IconButton.h"

#include "Components/PointingHandCursor.h"
#include "Components/Symbols.h"
#include "Components/SystemColors.h"
#include "Components/Transition.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

constexpr qreal textSpacing = 4;
constexpr qreal textPadding = 8;

QPainterPath capsule(const QRectF &rect)
{
    QPainterPath path;
    const qreal radius = qMin(rect.width(), rect.height()) / 2;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

} // namespace

IconButton::IconButton(const QString &symbol, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_highlight(new Transition(this, 120))
    , m_press(new Transition(this, 100))
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    PointingHandCursor::apply(this);
    connect(this, &QAbstractButton::pressed, this, [this] { m_press->setOn(true); });
    connect(this, &QAbstractButton::released, this, [this] { m_press->setOn(false); });
}

void IconButton::setSymbol(const QString &symbol)
{
    if (symbol == m_symbol)
        return;
    m_symbol = symbol;
    update();
}

void IconButton::setSymbolSize(int pixels)
{
    if (pixels == m_symbolSize)
        return;
    m_symbolSize = pixels;
    updateGeometry();
    update();
}

void IconButton::setTone(Tone tone)
{
    if (tone == m_tone)
        return;
    m_tone = tone;
    update();
}

void IconButton::setShowsDot(bool shows)
{
    if (shows == m_showsDot)
        return;
    m_showsDot = shows;
    update();
}

bool IconButton::isHighlighted() const
{
    return m_hovered && isEnabled();
}

QSize IconButton::sizeHint() const
{
    if (text().isEmpty())
        return QSize(22, 22);
    const qreal width = m_symbolSize + textSpacing + QFontMetricsF(font()).horizontalAdvance(text()) + 2 * textPadding;
    return QSize(qCeil(width), 22);
}

bool IconButton::hitButton(const QPoint &pos) const
{
    return capsule(QRectF(rect())).contains(QPointF(pos) + QPointF(0.5, 0.5));
}

bool IconButton::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
        m_hovered = true;
        m_highlight->setOn(isHighlighted());
        break;
    case QEvent::HoverLeave:
        m_hovered = false;
        m_highlight->setOn(isHighlighted());
        break;
    case QEvent::EnabledChange:
        m_highlight->setOn(isHighlighted());
        break;
    default:
        break;
    }
    return QAbstractButton::event(event);
}

void IconButton::paintEvent(QPaintEvent *)
{
    const QPalette &pal = palette();
    QColor foreground;
    switch (m_tone) {
    case Tone::Primary:
        foreground = SystemColors::primary(pal);
        break;
    case Tone::Secondary:
        foreground = SystemColors::secondary(pal);
        break;
    case Tone::Tertiary:
        foreground = SystemColors::tertiary(pal);
        break;
    case Tone::Tint:
        foreground = SystemColors::tint(pal);
        break;
    }

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(1.0 - 0.45 * m_press->value());
    const QRectF bounds = QRectF(rect());
    painter.fillPath(capsule(bounds), SystemColors::withOpacity(SystemColors::primary(pal), 0.1 * m_highlight->value()));

    const qreal textWidth = text().isEmpty() ? 0 : QFontMetricsF(font()).horizontalAdvance(text());
    const qreal gap = text().isEmpty() ? 0 : textSpacing;
    qreal x = bounds.center().x() - (m_symbolSize + gap + textWidth) / 2;
    const QPixmap symbol = Symbols::pixmap(m_symbol, m_symbolSize, foreground, devicePixelRatioF());
    if (!symbol.isNull())
        painter.drawPixmap(QPointF(qRound(x), qRound(bounds.center().y() - m_symbolSize / 2.0)), symbol);
    x += m_symbolSize + gap;
    if (!text().isEmpty()) {
        painter.setPen(foreground);
        painter.drawText(QRectF(x, 0, textWidth + 1, bounds.height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    }
    if (m_showsDot) {
        constexpr qreal dot = 7;
        painter.setPen(Qt::NoPen);
        painter.setBrush(SystemColors::tint(pal));
        painter.drawEllipse(QRectF(bounds.right() - dot, bounds.top(), dot, dot));
    }
}
