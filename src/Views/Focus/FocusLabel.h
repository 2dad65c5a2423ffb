#pragma once

#include "Components/Theme/Theme.h"
#include "Models/Focus/FocusWording.h"

#include <QWidget>

class SymbolIcon;
class ToneLabel;

// One line of the focus tab: a symbol, then a text, both in the line's tone, which they
// resolve against the palette themselves.
class FocusLabel final : public QWidget
{
    Q_OBJECT

public:
    explicit FocusLabel(int pixelSize, QFont::Weight weight = QFont::Normal, QWidget *parent = nullptr);

    void setLine(const FocusWording::Line &line);
    FocusWording::Line line() const { return m_line; }
    QString text() const;
    // The colour the text is drawn in now.
    QColor textColor() const;
    // Long texts end in "…" instead of wrapping.
    void setElides(bool elides);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The theme's tone of a line's tone.
    static Theme::Tone tone(FocusWording::Tone tone);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void refresh();

    FocusWording::Line m_line;
    int m_pixelSize;
    bool m_elides = false;
    SymbolIcon *m_symbol = nullptr;
    ToneLabel *m_text;
};
