#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QString>

#include <utility>

// The tray icon while a focus session runs: the countdown itself, since a tray icon is square
// and has no title beside it. The clock is split in two rows, the minutes (or hours and
// minutes) above the seconds, "24:59" as 24 over 59 and "1:00:00" as 1:00 over 00, drawn in
// the mark's colour.
namespace TrayTimerImage {

inline constexpr int side = 22;

// The two rows of a clock text.
std::pair<QString, QString> rows(const QString &clock);
// One rendition at the given device pixel ratio.
QImage image(const QString &clock, const QColor &colour, qreal devicePixelRatio);
// Renditions at scale 1 and 2.
QIcon icon(const QString &clock, const QColor &colour);

} // namespace TrayTimerImage
