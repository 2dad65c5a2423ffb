#pragma once

#include "Components/Theme/Theme.h"

#include <QWidget>

// A symbol of the Symbols table drawn in a theme tone, square, at a fixed size: the small
// pictures beside status texts. It paints from its palette, so it follows the palette itself.
class SymbolIcon final : public QWidget
{
    Q_OBJECT

public:
    SymbolIcon(const QString &symbol, int size, Theme::Tone tone = Theme::secondary, QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString &symbol);
    Theme::Tone tone() const { return m_tone; }
    void setTone(Theme::Tone tone);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    int m_size;
    Theme::Tone m_tone;
};
