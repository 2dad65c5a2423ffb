#include "Components/Controls/TintedButton.h"

#include "Components/Theme/Symbols.h"
#include "Components/Theme/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

TintedButton::TintedButton(const QString &text, TintedButtonStyle style, QWidget *parent)
    : CapsuleButton(parent)
    , m_style(style)
{
    setText(text);
}

void TintedButton::setButtonStyle(TintedButtonStyle style)
{
    m_style = style;
    updateGeometry();
    update();
}

void TintedButton::setSymbol(const QString &symbol)
{
    if (symbol == m_symbol)
        return;
    m_symbol = symbol;
    updateGeometry();
    update();
}

void TintedButton::setSymbolSize(int pixels)
{
    if (pixels == m_symbolSize)
        return;
    m_symbolSize = pixels;
    updateGeometry();
    update();
}

void TintedButton::setDestructive(bool destructive)
{
    if (destructive == m_destructive)
        return;
    m_destructive = destructive;
    update();
}

QFont TintedButton::labelFont() const
{
    QFont f = font();
    f.setPixelSize(qRound(m_style.fontSize));
    f.setWeight(QFont::Medium);
    return f;
}

qreal TintedButton::symbolSide() const
{
    return m_symbolSize > 0 ? m_symbolSize : m_style.fontSize;
}

QSize TintedButton::sizeHint() const
{
    const qreal height = m_style.height;
    if (m_style.isIconOnly)
        return QSizeF(height, height).toSize();
    const QFontMetricsF metrics(labelFont());
    qreal width = metrics.horizontalAdvance(text());
    if (!m_symbol.isEmpty())
        width += symbolSide() + (text().isEmpty() ? 0 : Theme::symbolSpacing);
    width += 2 * height * 0.42;
    return QSize(qCeil(width), qCeil(height));
}

QSize TintedButton::minimumSizeHint() const
{
    return sizeHint();
}

void TintedButton::paintEvent(QPaintEvent *)
{
    const QPalette &pal = palette();
    const auto color = [&pal](Theme::Tone tone) { return Theme::color(tone, pal); };
    const QColor tint = Theme::color(Theme::tint(m_destructive), pal);
    const QColor white = color({ Theme::Ink::White });
    const qreal hover = highlight();

    QColor foreground;
    QColor fill;
    switch (m_style.variant) {
    case TintedButtonStyle::Tinted:
        foreground = Theme::mix(tint, white, hover);
        fill = Theme::mix(color(Theme::tintedFill(m_destructive, pal)), tint, hover);
        break;
    case TintedButtonStyle::Gray:
        foreground = color(Theme::primary);
        fill = Theme::blend(Theme::grayFill, Theme::grayFillHighlighted, hover, pal);
        break;
    case TintedButtonStyle::Filled:
        foreground = white;
        fill = tint;
        break;
    case TintedButtonStyle::Plain:
        foreground = Theme::blend(Theme::secondary, Theme::primary, hover, pal);
        fill = color(Theme::plainFillHighlighted.times(hover));
        break;
    }

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity(isEnabled() ? 1.0 : Theme::disabledOpacity));
    const QRectF bounds = QRectF(rect());
    const QPainterPath shape = Theme::capsule(bounds);
    painter.fillPath(shape, fill);
    if (m_style.variant == TintedButtonStyle::Filled && hover > 0)
        painter.fillPath(shape, color(Theme::filledShade.times(hover)));

    const QFont font = labelFont();
    const QFontMetricsF metrics(font);
    const qreal symbolSize = m_symbol.isEmpty() ? 0 : symbolSide();
    const qreal textWidth = metrics.horizontalAdvance(text());
    const qreal gap = (symbolSize > 0 && !text().isEmpty()) ? Theme::symbolSpacing : 0;
    qreal x = bounds.center().x() - (symbolSize + gap + textWidth) / 2;
    if (symbolSize > 0) {
        const QPixmap symbol = Symbols::pixmap(m_symbol, qRound(symbolSize), foreground, devicePixelRatioF());
        painter.drawPixmap(QPointF(qRound(x), qRound(bounds.center().y() - symbolSize / 2)), symbol);
        x += symbolSize + gap;
    }
    if (!text().isEmpty()) {
        painter.setFont(font);
        painter.setPen(foreground);
        painter.drawText(QRectF(x, 0, textWidth + 1, bounds.height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    }
    // Where a window lets Tab reach the button, the ring shows focus that the keyboard moved.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange))
        Theme::paintFocusRing(painter, bounds, -1, m_style.variant == TintedButtonStyle::Filled, pal);
}
