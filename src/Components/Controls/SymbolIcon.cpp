#include "Components/Controls/SymbolIcon.h"

#include "Components/Theme/Symbols.h"

#include <QPainter>

SymbolIcon::SymbolIcon(const QString &symbol, int size, Theme::Tone tone, QWidget *parent)
    : QWidget(parent)
    , m_symbol(symbol)
    , m_size(size)
    , m_tone(tone)
{
    setFixedSize(size, size);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SymbolIcon::setSymbol(const QString &symbol)
{
    if (symbol == m_symbol)
        return;
    m_symbol = symbol;
    update();
}

void SymbolIcon::setTone(Theme::Tone tone)
{
    if (tone == m_tone)
        return;
    m_tone = tone;
    update();
}

void SymbolIcon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, Symbols::pixmap(m_symbol, m_size, Theme::color(m_tone, palette()), devicePixelRatioF()));
}
