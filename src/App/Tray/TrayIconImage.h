#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPalette>

#include <optional>

// The mark as the tray icon: 18 × 18 pixels at scale 1 and 2, drawn in one flat colour that
// stands out on the desktop's panel (the stand-in for a template image).
namespace TrayIconImage {

inline constexpr int side = 18;
inline constexpr qreal markWeight = 0.12;

// Black for a light panel, white for a dark one, judged by the palette's window colour.
QColor markColour(const QPalette &palette);
// The colour the tray asks for; else black on a light tray, white on a dark one, judged by the
// colour behind the icon; else as the palette says.
QColor markColour(
    const std::optional<QColor> &trayForeground, const std::optional<QColor> &trayBackground, const QPalette &palette);
// One rendition at the given device pixel ratio (its pixel size is side × ratio).
QImage image(const QColor &colour, qreal devicePixelRatio);
// Both renditions in one icon.
QIcon icon(const QColor &colour);

} // namespace TrayIconImage
