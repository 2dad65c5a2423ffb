#pragma once

#include "Components/Theme/Density.h"

#include <QColor>
#include <QList>
#include <QPainterPath>
#include <QPalette>
#include <QRectF>

class QPainter;

// The look of every control in one place: named colours, the opacities of whole controls,
// radii and spacings, and the shapes controls are drawn from. A colour is an ink of the palette
// at an opacity (a Tone); it is resolved against the palette of the widget that paints, at paint
// time, so whatever is drawn through the theme follows a change of palette without a handler of
// its own. Widgets never write an opacity literal: they name a tone here.
//
//     painter.fillPath(Theme::rounded(rect, radius), Theme::color(Theme::hoverFill, palette()));
//     Theme::paintPlate(painter, rect, Theme::fieldRadius(density), fill, edge);
namespace Theme {

// The palette's inks. Secondary and tertiary are the primary ink at falling opacities, the
// desktop convention for labels; Accent is the palette's highlight. Red, orange and green are
// the system's signal colours, a shade brighter on a dark palette.
enum class Ink { Primary, Secondary, Tertiary, Accent, Red, Orange, Green, TextBackground, Window, White, Black };

// An ink at an opacity (times the ink's own alpha).
struct Tone
{
    Ink ink = Ink::Primary;
    qreal opacity = 1;

    // The same ink at `factor` times the opacity: a look that eases in with an animation.
    constexpr Tone times(qreal factor) const { return { ink, opacity * factor }; }
    friend constexpr bool operator==(const Tone &, const Tone &) = default;
};

QColor color(Ink ink, const QPalette &palette);
QColor color(Tone tone, const QPalette &palette);
// The tone `t` of the way from `from` to `to` (0: from, 1: to): a look blending with an animation.
QColor blend(Tone from, Tone to, qreal t, const QPalette &palette);
// The same for two colours already resolved at paint time, alpha included.
QColor mix(const QColor &from, const QColor &to, qreal t);
// Whether the palette is a dark one (a dark window).
bool isDark(const QPalette &palette);
// The accent, or red for a control with the destructive role.
Ink tint(bool destructive);

// Nothing at all: a plate without a fill or without an edge. (A Tone written as {} is the
// primary ink in full.)
inline constexpr Tone clear { Ink::Primary, 0 };

// --- Labels -----------------------------------------------------------------------------------
inline constexpr Tone primary { Ink::Primary };
inline constexpr Tone secondary { Ink::Secondary };
inline constexpr Tone tertiary { Ink::Tertiary };
inline constexpr Tone accent { Ink::Accent };
// A caution (a focus session that could not silence, a setting that needs a step) and a ready state.
inline constexpr Tone warning { Ink::Orange };
inline constexpr Tone ready { Ink::Green };

// --- Fields, cards and lines ------------------------------------------------------------------
// A text field's plate and its resting edge; the edge takes the focus ring while it is active.
inline constexpr Tone fieldFill { Ink::Primary, 0.05 };
inline constexpr Tone fieldEdge { Ink::Primary, 0.10 };
inline constexpr Tone focusRing { Ink::Accent, 0.6 };
// The line inside the focus ring of a control filled with the accent or red, where the ring
// alone would not show.
inline constexpr Tone focusRingOnFill { Ink::White, 0.9 };
// A card (the calendar) and the hairline around cards, thumbnails and grouped settings.
inline constexpr Tone cardFill { Ink::Primary, 0.03 };
inline constexpr Tone hairline { Ink::Primary, 0.08 };
// A group of settings rows: white and translucent on a light palette, a faint wash on a dark one.
Tone groupFill(const QPalette &palette);
// The line between a list and its footer.
inline constexpr Tone divider { Ink::Primary, 0.1 };
// A banner or a box of text set into a view (the clipboard notice, a previewed text).
inline constexpr Tone insetFill { Ink::Primary, 0.04 };
// The wash behind a picture still loading.
inline constexpr Tone pictureWash { Ink::Primary, 0.06 };
// A capsule behind a chosen value (the day of the todo input, a recording shortcut).
inline constexpr Tone accentWash { Ink::Accent, 0.12 };

// --- Rows -------------------------------------------------------------------------------------
inline constexpr Tone hoverFill { Ink::Primary, 0.05 };
inline constexpr Tone selectedFill { Ink::Accent, 0.16 };
inline constexpr Tone editingFill { Ink::TextBackground, 0.6 };
inline constexpr Tone liftShadow { Ink::Black, 0.2 };
// The window's own background under a lifted (dragged) row.
inline constexpr Tone liftedPlate { Ink::Window, 1 };
// The round button on a hovered or selected row.
inline constexpr Tone rowButtonFill { Ink::Primary, 0.08 };

// --- Checkbox -----------------------------------------------------------------------------------
// An open box's wash and edge, at rest and under the pointer, and the glow under a ticked box.
inline constexpr Tone boxFill { Ink::Primary, 0.03 };
inline constexpr Tone boxFillHighlighted { Ink::Primary, 0.08 };
inline constexpr Tone boxEdge { Ink::Primary, 0.3 };
inline constexpr Tone boxEdgeHighlighted { Ink::Primary, 0.5 };
inline constexpr Tone tickedGlow { Ink::Accent, 0.35 };

// --- Calendar days ----------------------------------------------------------------------------
// A past day's number, the wash under a day, the ring around today, the dot of a day whose
// todos are all done.
inline constexpr Tone pastDay { Ink::Primary, 0.25 };
inline constexpr Tone dayWash { Ink::Primary, 0.08 };
inline constexpr Tone todayRing { Ink::Accent, 0.5 };
inline constexpr Tone doneMark { Ink::Secondary, 0.5 };

// --- Buttons ----------------------------------------------------------------------------------
// The wash under an icon button and under a segment of the tab switcher, and the switcher's track.
inline constexpr Tone iconWash { Ink::Primary, 0.1 };
inline constexpr Tone segmentWash { Ink::Primary, 0.04 };
inline constexpr Tone track { Ink::Primary, 0.06 };
// The capsules of the tinted-button variants: gray at rest and under the pointer, plain under
// the pointer, the shade over a filled button under the pointer.
inline constexpr Tone grayFill { Ink::Primary, 0.08 };
inline constexpr Tone grayFillHighlighted { Ink::Primary, 0.16 };
inline constexpr Tone plainFillHighlighted { Ink::Primary, 0.08 };
inline constexpr Tone filledShade { Ink::Black, 0.15 };
// The resting capsule of a tinted button: a touch stronger on a dark palette.
Tone tintedFill(bool destructive, const QPalette &palette);
// The selected segment of the tab switcher: white, translucent on a dark palette, where it
// casts no shadow; on a light one it casts two layers of this shade.
Tone selectedSegment(const QPalette &palette);
inline constexpr Tone segmentShadow { Ink::Black, 0.05 };

// --- Windows and toolbars ---------------------------------------------------------------------
// The panel's card and its edge; the card is a touch translucent where a compositor blends it.
inline constexpr Tone panelCard { Ink::Window };
inline constexpr Tone panelCardComposited { Ink::Window, 0.96 };
inline constexpr Tone panelEdge { Ink::Primary, 0.14 };
// A toolbar item's plate: chosen (stronger on a dark palette), pressed, under the pointer; its
// label at rest, and the line under the toolbar.
Tone toolbarPlateChosen(const QPalette &palette);
inline constexpr Tone toolbarPlatePressed { Ink::Primary, 0.08 };
inline constexpr Tone toolbarPlateHovered { Ink::Primary, 0.04 };
inline constexpr Tone toolbarLabel { Ink::Primary, 0.85 };
inline constexpr Tone toolbarDivider { Ink::Primary, 0.12 };
// The cap of a shortcut recorder: its resting plate and edge (the recording one is accentWash
// edged in the accent).
inline constexpr Tone recorderCap { Ink::Primary, 0.05 };
inline constexpr Tone recorderEdge { Ink::Primary, 0.12 };
// The wash behind a thumbnail and its edge.
inline constexpr Tone thumbnailWash { Ink::Primary, 0.06 };
inline constexpr Tone thumbnailEdge { Ink::Primary, 0.08 };

// The miniature window that pictures the light or the dark look (the appearance picker): its
// own colours, whatever the palette. A bar shadow only on the light one.
struct Miniature
{
    QColor background;
    QColor bar;
    QColor barShadow;
    QColor line;
    QColor longLine;
};
Miniature miniature(bool dark);
// The grey a desktop replaces with its own foreground in a symbolic icon.
QColor symbolicIconFill();
// The pieces of the burst over a completed day: the accent and six festive colours.
QList<QColor> confetti(const QColor &accent);

// The opacity of a whole control while pressed and while disabled.
inline constexpr qreal pressedOpacity = 0.55;
inline constexpr qreal disabledOpacity = 0.45;

// --- Metrics ----------------------------------------------------------------------------------
// The radius of fields and cards: a step rounder than rows.
constexpr qreal fieldRadius(Density d)
{
    return Densities::cornerRadius(d) + 2;
}
// The inner margin of a card.
inline constexpr int cardPadding = 10;
// The space between a symbol and the text beside it.
inline constexpr qreal symbolSpacing = 4;
// The width of every edge and line.
inline constexpr qreal lineWidth = 1;

// --- Shapes -----------------------------------------------------------------------------------
QPainterPath rounded(const QRectF &rect, qreal radius);
// A rounded rectangle whose radius is half its shorter side.
QPainterPath capsule(const QRectF &rect);
// A plate: `rect` filled with `fill` and edged inside with a line of `edge` (none when
// transparent). A radius below 0 draws a capsule.
void paintPlate(QPainter &painter, const QRectF &rect, qreal radius, const QColor &fill, const QColor &edge = {});
// The ring of a control that has the keyboard's focus, drawn inside `rect` (a radius below 0:
// a capsule); `onFill` adds the white line inside it that shows on an accent or red fill.
void paintFocusRing(QPainter &painter, const QRectF &rect, qreal radius, bool onFill, const QPalette &palette);

} // namespace Theme
