#pragma once

#include "Components/Controls/CapsuleButton.h"
#include "Components/Theme/TintedButtonStyle.h"

// A push button drawn as a capsule in a TintedButtonStyle, with a text label, a symbol
// (Symbols table) or both. Under an enabled pointer it takes its highlighted colours (eased over
// 0.12 s), dims to 0.55 while pressed (0.10 s) and to 0.45 when disabled, and shows the pointing
// hand while enabled. Only the capsule is clickable. A click takes no keyboard focus, so it
// leaves the focus in the text field the user is typing in (see CapsuleButton).
//
//     auto *clear = new TintedButton(QStringLiteral("Clear"), {TintedButtonStyle::Filled});
//     clear->setDestructive(true);
//     auto *add = new TintedButton(QString(), {TintedButtonStyle::Tinted, 22, 12, true});
//     add->setSymbol(QStringLiteral("plus"));
class TintedButton final : public CapsuleButton
{
    Q_OBJECT

public:
    explicit TintedButton(const QString &text = {}, TintedButtonStyle style = {}, QWidget *parent = nullptr);

    TintedButtonStyle buttonStyle() const { return m_style; }
    void setButtonStyle(TintedButtonStyle style);

    // A symbol name of the Symbols table, drawn in the label's colour before the text.
    QString symbol() const { return m_symbol; }
    void setSymbol(const QString &symbol);
    // The symbol's side in pixels; by default the style's font size.
    void setSymbolSize(int pixels);

    // The destructive role: red instead of the accent in the Tinted and Filled variants.
    bool isDestructive() const { return m_destructive; }
    void setDestructive(bool destructive);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont labelFont() const;
    qreal symbolSide() const;

    TintedButtonStyle m_style;
    QString m_symbol;
    int m_symbolSize = 0;
    bool m_destructive = false;
};
