#include "Views/Focus/FocusLabel.h"

#include "Components/Controls/SymbolIcon.h"
#include "Components/Controls/ToneLabel.h"

#include <QHBoxLayout>

FocusLabel::FocusLabel(int pixelSize, QFont::Weight weight, QWidget *parent)
    : QWidget(parent)
    , m_pixelSize(pixelSize)
    , m_text(new ToneLabel(Theme::secondary, this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(qMax(3, pixelSize / 3));
    row->addWidget(m_text, 1);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_text->setPixelFont(pixelSize, weight);
}

void FocusLabel::setLine(const FocusWording::Line &line)
{
    if (line == m_line && !m_text->text().isEmpty())
        return;
    m_line = line;
    const Theme::Tone ink = tone(line.tone);
    m_text->setTone(ink);
    if (m_symbol && m_symbol->symbol() != line.symbol) {
        delete m_symbol;
        m_symbol = nullptr;
    }
    if (!m_symbol && !line.symbol.isEmpty()) {
        m_symbol = new SymbolIcon(line.symbol, m_pixelSize + 1, ink, this);
        static_cast<QHBoxLayout *>(layout())->insertWidget(0, m_symbol, 0, Qt::AlignVCenter);
    }
    if (m_symbol)
        m_symbol->setTone(ink);
    updateGeometry();
    refresh();
}

QString FocusLabel::text() const
{
    return m_line.text;
}

QColor FocusLabel::textColor() const
{
    return m_text->textColor();
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
    const int symbol = m_symbol ? m_symbol->width() + layout()->spacing() : 0;
    return { symbol + m_text->fontMetrics().horizontalAdvance(m_line.text) + 1, QWidget::sizeHint().height() };
}

QSize FocusLabel::minimumSizeHint() const
{
    if (!m_elides)
        return QWidget::minimumSizeHint();
    return { m_symbol ? m_symbol->width() : 0, QWidget::minimumSizeHint().height() };
}

Theme::Tone FocusLabel::tone(FocusWording::Tone tone)
{
    switch (tone) {
    case FocusWording::Tone::Secondary:
        return Theme::secondary;
    case FocusWording::Tone::Accent:
        return Theme::accent;
    case FocusWording::Tone::Warning:
        return Theme::warning;
    }
    return Theme::secondary;
}

void FocusLabel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_elides)
        refresh();
}

void FocusLabel::refresh()
{
    const QString shown = m_elides
        ? m_text->fontMetrics().elidedText(m_line.text, Qt::ElideRight, qMax(0, m_text->width()))
        : m_line.text;
    m_text->setText(shown);
    m_text->setAccessibleName(m_line.text);
}
