#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPalette>

// The mark as the tray icon: 18 × 18 pixels at scale 1 and 2, drawn in one flat colour that
// stands out on the desktop's panel (the stand-in for a template image).
namespace TrayIconImage {

inline constexpr int side = 18;
inline constexpr qreal markWeight = 0.12;

// Black for a light panel, white for a dark one, judged by the palette's window colour.
QColor markColour(const QPalette &palette);
// One rendition at the given device pixel ratio (its pixel size is side × ratio).
QImage image(const QColor &colour, qreal devicePixelRatio);
// Both renditions in one icon.
QIcon icon(const QPalette &palette);

} // namespace TrayIconImage
