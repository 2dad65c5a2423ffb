#pragma once

#include "Components/Theme/Theme.h"

#include <QObject>
#include <QPalette>

class QWidget;

// Keeps colour roles of a widget that is not a ToneLabel in theme tones: set now and again
// whenever the palette the widget inherits changes, so nothing stays in the old appearance's
// colour. The inks come from the parent's palette, so a tone never compounds with itself.
//
//     PaletteTone::apply(m_status, QPalette::WindowText, Theme::warning);
//     PaletteTone::apply(m_status, QPalette::WindowText, Theme::secondary); // retones
class PaletteTone final : public QObject
{
    Q_OBJECT

public:
    // Gives `widget` the tone in `role` (replacing any tone applied to that role before).
    static PaletteTone *apply(QWidget *widget, QPalette::ColorRole role, Theme::Tone tone);

    Theme::Tone tone() const { return m_tone; }
    QPalette::ColorRole role() const { return m_role; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PaletteTone(QWidget *widget, QPalette::ColorRole role, Theme::Tone tone);
    void reapply();

    QWidget &m_widget;
    QPalette::ColorRole m_role;
    Theme::Tone m_tone;
};
