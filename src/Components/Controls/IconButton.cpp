#include "Components/Controls/IconButton.h"

#include "Components/Theme/Symbols.h"
#include "Components/Theme/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

Theme::Tone themeTone(IconButton::Tone tone)
{
    switch (tone) {
    case IconButton::Tone::Primary:
        return Theme::primary;
    case IconButton::Tone::Secondary:
        return Theme::secondary;
    case IconButton::Tone::Tertiary:
        return Theme::tertiary;
    case IconButton::Tone::Tint:
        return Theme::accent;
    }
    return Theme::secondary;
}

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

void IconButton::setTextPadding(qreal pixels)
{
    if (qFuzzyCompare(pixels, m_textPadding))
        return;
    m_textPadding = pixels;
    updateGeometry();
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
    const qreal width
        = m_symbolSize + Theme::symbolSpacing + QFontMetricsF(font()).horizontalAdvance(text()) + 2 * m_textPadding;
    return QSize(qCeil(width), 22);
}

void IconButton::paintEvent(QPaintEvent *)
{
    const QPalette &pal = palette();
    const QColor foreground = Theme::color(themeTone(m_tone), pal);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity());
    const QRectF bounds = QRectF(rect());
    painter.fillPath(Theme::capsule(bounds), Theme::color(Theme::iconWash.times(highlight()), pal));

    const qreal textWidth = text().isEmpty() ? 0 : QFontMetricsF(font()).horizontalAdvance(text());
    const qreal gap = text().isEmpty() ? 0 : Theme::symbolSpacing;
    qreal x = bounds.center().x() - (m_symbolSize + gap + textWidth) / 2;
    const QPointF symbolAt(qRound(x), qRound(bounds.center().y() - m_symbolSize / 2.0));
    const QPixmap symbol = Symbols::pixmap(m_symbol, m_symbolSize, foreground, devicePixelRatioF());
    if (!symbol.isNull())
        painter.drawPixmap(symbolAt, symbol);
    x += m_symbolSize + gap;
    if (!text().isEmpty()) {
        painter.setPen(foreground);
        painter.drawText(QRectF(x, 0, textWidth + 1, bounds.height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    }
    if (m_showsDot) {
        constexpr qreal dot = 7;
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::color(Theme::accent, pal));
        // On the symbol's top-right corner, a point further out.
        const QPointF corner(symbolAt.x() + m_symbolSize + 1, symbolAt.y() - 1);
        painter.drawEllipse(QRectF(corner.x() - dot, corner.y(), dot, dot));
    }
    // Where a window lets Tab reach the button, the ring shows focus that the keyboard moved.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange))
        Theme::paintFocusRing(painter, bounds, -1, false, pal);
}
