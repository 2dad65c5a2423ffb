#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where the panel goes: under the tray icon, centred on it, or above the icon when the tray
// sits in the lower half of the screen; always inside the screen's available area (what the
// desktop's panels leave), 8 pixels from every edge, and never over the icon: shorter than its
// content when the room on its side of the icon is less.
// Global coordinates, y growing downwards.
namespace PanelPlacement {

// Space between the icon and the panel's near edge.
inline constexpr int gap = 6;
// Least distance between the panel and every edge of the screen's available area.
inline constexpr int edgeInset = 8;

// The panel's frame for a content size under (or above) the anchor within the given available
// area. The right-hand bound wins when the area is narrower than the content plus both insets;
// a content taller than the room between the anchor (plus the gap) and the area's far edge
// (less the inset) gets that room's height. Without an area the frame sits at the origin.
QRect frame(const QSize &content, const QRect &anchor, const QRect &area);

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
    // The available area of each screen, in the same order (the screen itself when missing).
    QList<QRect> availableAreas;
};

struct Anchor
{
    QRect rect; // may be empty (a point)
    QRect screen; // the available area of its screen; empty when there is no screen at all
    bool placed = false; // taken from where the icon really is (or the click, for StatusNotifierItem)
};

// The icon's rectangle when placed (the pointer at once under a StatusNotifierItem host), else
// the pointer, else the primary screen's top-right corner.
Anchor resolve(const AnchorSources &sources);

// The live pointer position and screens, with the given tray facts.
AnchorSources currentSources(const QRect &trayGeometry, bool statusNotifier);

} // namespace PanelPlacement
