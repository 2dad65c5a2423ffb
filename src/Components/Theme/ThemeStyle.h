#pragma once

#include <QProxyStyle>

// The application's widget style: Fusion, with the theme's tones where Fusion's own are too
// faint to read. Fusion edges a check box (a menu's toggled entry) in a shade of the window
// colour, which a dark menu hides; the theme's box edge is drawn over it.
class ThemeStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    ThemeStyle();

    void drawPrimitive(
        PrimitiveElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const override;
};
