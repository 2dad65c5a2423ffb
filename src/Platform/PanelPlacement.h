#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where the panel goes: under the tray icon, centred on it and kept inside the screen's edges,
// or above the icon when the tray sits in the lower half of the screen. Global coordinates,
// y growing downwards.
namespace PanelPlacement {

// Space between the icon and the panel's near edge.
inline constexpr int gap = 6;
// Least distance between the panel and the screen's left and right edges.
inline constexpr int edgeInset = 8;

// The panel's frame for a content size under (or above) the anchor on the given screen. The
// right-hand bound wins when the screen is narrower than the content plus both insets. Without
// a screen the frame sits at the origin.
QRect frame(const QSize &content, const QRect &anchor, const QRect &screen);

// Whether the tray has put the icon somewhere: a non-empty rectangle on one of the screens.
bool isAnchorPlaced(const QRect &trayGeometry, const QList<QRect> &screens);

// What the anchor can be taken from at one moment.
struct AnchorSources
{
    QRect trayGeometry;
    // A StatusNotifierItem host never reports the icon's rectangle.
    bool statusNotifier = false;
    std::optional<QPoint> pointer;
    // Screen rectangles, the primary screen first.
    QList<QRect> screens;
};

struct Anchor
{
    QRect rect; // may be empty (a point)
    QRect screen; // empty when there is no screen at all
    bool placed = false; // taken from where the icon really is (or the click, for StatusNotifierItem)
};

// The icon's rectangle when placed (the pointer at once under a StatusNotifierItem host), else
// the pointer, else the primary screen's top-right corner.
Anchor resolve(const AnchorSources &sources);

// The live pointer position and screens, with the given tray facts.
AnchorSources currentSources(const QRect &trayGeometry, bool statusNotifier);

} // namespace PanelPlacement
