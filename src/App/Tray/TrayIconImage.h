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

// White on a dark colour, black on a light one.
QColor contrasting(const QColor &background);
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

// The name of the mark as a themed symbolic icon.
inline constexpr char16_t themedName[] = u"vemra-symbolic";
// The mark as a symbolic icon (16 × 16, the grey that hosts replace with their own colour).
QByteArray symbolicSvg();
// For a tray that draws icons itself (StatusNotifierItem): the themed symbolic icon by name,
// installed in the user's icon folder, so the host draws it in its panel's colour; the picture
// in `colour` when it cannot be had.
QIcon themedIcon(const QColor &colour);

} // namespace TrayIconImage
