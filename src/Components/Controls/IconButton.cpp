#include "Components/Controls/IconButton.h"

#include "Components/Theme/Symbols.h"
#include "Components/Theme/SystemColors.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

constexpr qreal textSpacing = 4;
constexpr qreal textPadding = 8;

} // namespace

IconButton::IconButton(const QString &symbol, QWidget *parent)
    : CapsuleButton(parent)
    , m_symbol(symbol)
{
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

QSize IconButton::sizeHint() const
{
    if (text().isEmpty())
        return QSize(22, 22);
    const qreal width = m_symbolSize + textSpacing + QFontMetricsF(font()).horizontalAdvance(text()) + 2 * textPadding;
    return QSize(qCeil(width), 22);
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
    painter.setOpacity(opacity());
    const QRectF bounds = QRectF(rect());
    painter.fillPath(capsule(bounds), SystemColors::withOpacity(SystemColors::primary(pal), 0.1 * highlight()));

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
