#pragma once

#include "Components/Controls/CapsuleButton.h"

// A borderless button holding a symbol (Symbols table), optionally followed by a text, for the
// header and footer icons. Under an enabled pointer a faint capsule wash appears (eased over
// 0.12 s); it dims to 0.55 while pressed (0.10 s) and shows the pointing hand while enabled.
// A disabled icon button is not dimmed: its caller decides how it looks then. It starts 22 by
// 22 pixels with a 14-pixel symbol in the secondary label colour; callers size it with
// setFixedSize() and setSymbolSize(). A click takes no keyboard focus (see CapsuleButton).
//
//     auto *gear = new IconButton(QStringLiteral("gearshape"));
//     gear->setToolTip(QStringLiteral("Settings"));
class IconButton final : public CapsuleButton
{
    Q_OBJECT

public:
    // The colour of the symbol and text, from the palette.
    enum class Tone { Primary, Secondary, Tertiary, Tint };

    explicit IconButton(const QString &symbol = {}, QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString &symbol);
    int symbolSize() const { return m_symbolSize; }
    void setSymbolSize(int pixels);
    Tone tone() const { return m_tone; }
    void setTone(Tone tone);
    // The room left and right of a symbol with a text (8 pixels unless set).
    void setTextPadding(qreal pixels);

    // A small accent dot on the symbol's top-right corner, telling that something waits behind the
    // button (an update behind the gear).
    bool showsDot() const { return m_showsDot; }
    void setShowsDot(bool shows);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    int m_symbolSize = 14;
    qreal m_textPadding = 8;
    Tone m_tone = Tone::Secondary;
    bool m_showsDot = false;
};
