#include "Views/Focus/FocusLabel.h"

#include "Components/Theme/Symbols.h"
#include "Components/Theme/SystemColors.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

FocusLabel::FocusLabel(int pixelSize, QFont::Weight weight, QWidget *parent)
    : QWidget(parent)
    , m_pixelSize(pixelSize)
    , m_symbol(new QLabel(this))
    , m_text(new QLabel(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(qMax(3, pixelSize / 3));
    row->addWidget(m_symbol, 0, Qt::AlignVCenter);
    row->addWidget(m_text, 1);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont font = m_text->font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    m_text->setFont(font);
    m_text->setTextFormat(Qt::PlainText);
    m_symbol->hide();
}

void FocusLabel::setLine(const FocusWording::Line &line)
{
    if (line == m_line && !m_text->text().isEmpty())
        return;
    m_line = line;
    updateGeometry();
    refresh();
}

QString FocusLabel::text() const
{
    return m_line.text;
}

void FocusLabel::setElides(bool elides)
{
    m_elides = elides;
    m_text->setSizePolicy(elides ? QSizePolicy::Ignored : QSizePolicy::Preferred, QSizePolicy::Preferred);
    updateGeometry();
    refresh();
}

QSize FocusLabel::sizeHint() const
{
    if (!m_elides)
        return QWidget::sizeHint();
    // The whole text when there is room for it, whatever is shown now.
    const int symbol = m_symbol->isVisible() ? m_symbol->sizeHint().width() + layout()->spacing() : 0;
    return { symbol + m_text->fontMetrics().horizontalAdvance(m_line.text) + 1, QWidget::sizeHint().height() };
}

QSize FocusLabel::minimumSizeHint() const
{
    if (!m_elides)
        return QWidget::minimumSizeHint();
    return { m_symbol->sizeHint().width(), QWidget::minimumSizeHint().height() };
}

QColor FocusLabel::colour(FocusWording::Tone tone, const QPalette &palette)
{
    switch (tone) {
    case FocusWording::Tone::Secondary:
        return SystemColors::secondary(palette);
    case FocusWording::Tone::Accent:
        return SystemColors::tint(palette);
    case FocusWording::Tone::Warning:
        return SystemColors::isDark(palette) ? QColor(255, 159, 10) : QColor(255, 149, 0);
    }
    return SystemColors::secondary(palette);
}

void FocusLabel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        refresh();
}

void FocusLabel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_elides)
        refresh();
}

void FocusLabel::refresh()
{
    const QColor ink = colour(m_line.tone, palette());
    QPalette textPalette = m_text->palette();
    textPalette.setColor(QPalette::WindowText, ink);
    m_text->setPalette(textPalette);
    const QString shown = m_elides
        ? m_text->fontMetrics().elidedText(m_line.text, Qt::ElideRight, qMax(0, m_text->width()))
        : m_line.text;
    m_text->setText(shown);
    m_text->setAccessibleName(m_line.text);
    const int symbolSize = m_pixelSize + 1;
    const QPixmap pixmap
        = m_line.symbol.isEmpty() ? QPixmap() : Symbols::pixmap(m_line.symbol, symbolSize, ink, devicePixelRatioF());
    m_symbol->setPixmap(pixmap);
    m_symbol->setVisible(!pixmap.isNull());
}
