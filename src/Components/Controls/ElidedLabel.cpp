#include "Components/Controls/ElidedLabel.h"

#include <QEvent>
#include <QResizeEvent>

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, Theme::Tone tone, QWidget *parent)
    : ToneLabel(tone, parent)
    , m_mode(mode)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ElidedLabel::setFullText(const QString &text)
{
    if (text == m_full)
        return;
    m_full = text;
    elide();
    updateGeometry();
}

QSize ElidedLabel::sizeHint() const
{
    return { fontMetrics().horizontalAdvance(m_full), QLabel::sizeHint().height() };
}

QSize ElidedLabel::minimumSizeHint() const
{
    return { 0, QLabel::minimumSizeHint().height() };
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    ToneLabel::resizeEvent(event);
    if (event->size().width() != event->oldSize().width())
        elide();
}

void ElidedLabel::changeEvent(QEvent *event)
{
    ToneLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        elide();
}

void ElidedLabel::elide()
{
    setText(fontMetrics().elidedText(m_full, m_mode, qMax(0, width())));
}
