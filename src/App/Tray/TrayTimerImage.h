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
// the mark's colour. From ten hours on "10:00" does not fit the square at a readable size, so
// the rows are the hours and the minutes, "12:34:56" as 12h over 34m (the tooltip keeps the
// seconds).
//
// The digits carry a thin halo of the opposite colour. The colour of the tray behind the icon
// cannot always be learned (a host's plugin may draw it from a process with no window), and the
// guess made then may be wrong; with the halo, dark digits still read on a dark tray and light
// ones on a light tray, while on the tray they were meant for the halo melts into it. A plate
// behind the digits would read as well, but would stand out as a badge among the flat icons.
namespace TrayTimerImage {

inline constexpr int side = 22;
// The smallest text that stays readable in the tray.
inline constexpr int minimumPixelSize = 8;
// How far the halo reaches beyond the digits' edges.
inline constexpr qreal haloWidth = 1.0;

// The two rows of a clock text.
std::pair<QString, QString> rows(const QString &clock);
// The pixel size the rows are drawn at: the largest up to half the side at which both fit.
int pixelSize(const std::pair<QString, QString> &rows);
// One rendition at the given device pixel ratio: the digits in `colour`, their halo in the opposite.
QImage image(const QString &clock, const QColor &colour, qreal devicePixelRatio);
// Renditions at scale 1 and 2.
QIcon icon(const QString &clock, const QColor &colour);

} // namespace TrayTimerImage
