#include "Components/Controls/ToneLabel.h"

#include <QEvent>

namespace {

// The tone lives in a role of its own, so the ink it comes from (WindowText) stays inherited
// from the parent and every change of it reaches the label as a palette change.
constexpr QPalette::ColorRole toneRole = QPalette::PlaceholderText;

} // namespace

ToneLabel::ToneLabel(const QString &text, Theme::Tone tone, QWidget *parent)
    : QLabel(text, parent)
    , m_tone(tone)
{
    setTextFormat(Qt::PlainText);
    setForegroundRole(toneRole);
    applyTone();
}

ToneLabel::ToneLabel(Theme::Tone tone, QWidget *parent)
    : ToneLabel(QString(), tone, parent)
{
}

void ToneLabel::setTone(Theme::Tone tone)
{
    if (tone == m_tone)
        return;
    m_tone = tone;
    applyTone();
}

QColor ToneLabel::textColor() const
{
    return palette().color(toneRole);
}

void ToneLabel::setPixelFont(int pixelSize, QFont::Weight weight)
{
    QFont f = font();
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    setFont(f);
}

void ToneLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyTone();
}

void ToneLabel::applyTone()
{
    const QColor color = Theme::color(m_tone, palette());
    if (palette().color(toneRole) == color)
        return;
    QPalette pal = palette();
    pal.setColor(toneRole, color);
    setPalette(pal);
}
