#include "Components/Controls/PaletteTone.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

PaletteTone *PaletteTone::apply(QWidget *widget, QPalette::ColorRole role, Theme::Tone tone)
{
    for (PaletteTone *existing : widget->findChildren<PaletteTone *>(Qt::FindDirectChildrenOnly)) {
        if (existing->m_role == role) {
            existing->m_tone = tone;
            existing->reapply();
            return existing;
        }
    }
    return new PaletteTone(widget, role, tone);
}

PaletteTone::PaletteTone(QWidget *widget, QPalette::ColorRole role, Theme::Tone tone)
    : QObject(widget)
    , m_widget(*widget)
    , m_role(role)
    , m_tone(tone)
{
    widget->installEventFilter(this);
    reapply();
}

bool PaletteTone::eventFilter(QObject *watched, QEvent *event)
{
    // Reparenting brings a palette change too.
    if (watched == &m_widget && event->type() == QEvent::PaletteChange)
        reapply();
    return QObject::eventFilter(watched, event);
}

void PaletteTone::reapply()
{
    const QWidget *parent = m_widget.parentWidget();
    const QPalette inks = parent != nullptr ? parent->palette() : QApplication::palette(&m_widget);
    const QColor color = Theme::color(m_tone, inks);
    if (m_widget.palette().color(m_role) == color)
        return;
    QPalette palette = m_widget.palette();
    palette.setColor(m_role, color);
    m_widget.setPalette(palette);
}
