#pragma once

#include "Components/Theme/Theme.h"

#include <QWidget>

// A widget drawn as a plate behind whatever it holds: a rounded rectangle (or a capsule) in a
// fill tone with an edge tone inside its border. The tones are resolved when it paints, so it
// follows the palette by itself. Cards, fields, chosen-value capsules and divider lines are
// plates; a subclass that paints more calls Plate::paintEvent() first.
//
//     auto *card = new Plate({Theme::cardFill, Theme::hairline, Theme::fieldRadius(density)});
//     auto *line = Plate::divider();
class Plate : public QWidget
{
    Q_OBJECT

public:
    struct Look
    {
        Theme::Tone fill = Theme::clear;
        Theme::Tone edge = Theme::clear;
        // Below 0: a capsule.
        qreal radius = 0;

        friend bool operator==(const Look &, const Look &) = default;
    };
    static constexpr qreal capsuleRadius = -1;

    explicit Plate(Look look, QWidget *parent = nullptr);

    // A one-pixel line across its parent's width, in the divider tone.
    static Plate *divider(QWidget *parent = nullptr);

    const Look &look() const { return m_look; }
    void setLook(const Look &look);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Look m_look;
};
