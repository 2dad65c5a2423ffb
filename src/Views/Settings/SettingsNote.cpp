#include "Views/Settings/SettingsNote.h"

#include "Components/Theme/Symbols.h"
#include "Components/Theme/SystemColors.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

namespace {

constexpr int calloutPixelSize = 12;

} // namespace

SettingsNote::SettingsNote(QWidget *parent)
    : QWidget(parent)
    , m_symbol(new QLabel(this))
    , m_text(new QLabel(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(m_symbol, 0, Qt::AlignTop);
    row->addWidget(m_text, 1);
    QFont callout = m_text->font();
    callout.setPixelSize(calloutPixelSize);
    m_text->setFont(callout);
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_symbol->setFixedSize(calloutPixelSize + 2, QFontMetrics(callout).height());
    m_symbol->setAlignment(Qt::AlignCenter);
    hide();
}

void SettingsNote::setNote(Tone tone, const QString &text)
{
    m_tone = tone;
    m_text->setText(text);
    restyle();
    setVisible(!text.isEmpty());
}

QString SettingsNote::text() const
{
    return m_text->text();
}

QColor SettingsNote::orange(const QPalette &palette)
{
    return SystemColors::isDark(palette) ? QColor(255, 159, 10) : QColor(255, 149, 0);
}

void SettingsNote::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        restyle();
    QWidget::changeEvent(event);
}

void SettingsNote::restyle()
{
    const QColor ink = m_tone == Tone::Problem ? orange(palette()) : SystemColors::secondary(palette());
    const QString symbol
        = m_tone == Tone::Problem ? QStringLiteral("exclamationmark.triangle.fill") : QStringLiteral("info.circle");
    m_symbol->setPixmap(Symbols::pixmap(symbol, calloutPixelSize, ink, devicePixelRatioF()));
    QPalette textColors = m_text->palette();
    textColors.setColor(QPalette::WindowText, ink);
    m_text->setPalette(textColors);
}
