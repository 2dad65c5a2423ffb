#pragma once

#include "Components/Theme/Theme.h"

#include <QLabel>

// A plain-text label in one of the theme's tones: the secondary and tertiary labels of headers,
// footers, notes and questions. The tone is derived from the label's own palette whenever that
// changes, so a label follows the light and dark palettes without its parent doing anything.
//
//     auto *tagline = new ToneLabel(QStringLiteral("Offline todo for myself."), Theme::secondary, header);
class ToneLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ToneLabel(const QString &text = {}, Theme::Tone tone = Theme::secondary, QWidget *parent = nullptr);
    explicit ToneLabel(Theme::Tone tone, QWidget *parent = nullptr);

    Theme::Tone tone() const { return m_tone; }
    void setTone(Theme::Tone tone);
    // The colour the text is drawn in now.
    QColor textColor() const;
    // A pixel size and weight of the application's font.
    void setPixelFont(int pixelSize, QFont::Weight weight = QFont::Normal);

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyTone();

    Theme::Tone m_tone;
};
