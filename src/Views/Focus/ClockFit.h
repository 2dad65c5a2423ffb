#pragma once

#include <QFont>
#include <QString>

// A clock face may shrink its text down to this share of its size to fit its ring.
namespace ClockFit {

inline constexpr qreal minimumScale = 0.6;

// The width of `text` with every digit as wide as the widest one, as clock faces draw it.
qreal width(const QFont &font, const QString &text);
// The largest pixel size from `nominal` down to the minimum scale at which `text` in `font`
// is at most `room` wide; the smallest allowed size when even that is too wide.
int pixelSize(QFont font, int nominal, const QString &text, int room);

} // namespace ClockFit
