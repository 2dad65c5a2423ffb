#pragma once

#include <QFont>

// Which of the two surfaces a view is drawn for: Compact in the tray panel, Regular in the
// expanded window. A view keeps the value it was created with and derives every size and the
// few density-dependent behaviours from it; it never looks at which window it sits in.
enum class Density { Compact, Regular };

namespace Densities {

// All sizes are device-independent pixels. Views derive neighbouring sizes by fixed
// differences from these (fontSize() - 2, cornerRadius() + 2, ...), never from a table of
// their own, so that one change here moves every derived size with it.
constexpr qreal fontSize(Density d)
{
    return d == Density::Compact ? 13 : 15;
}
constexpr qreal checkboxSize(Density d)
{
    return d == Density::Compact ? 16 : 18;
}
constexpr qreal cornerRadius(Density d)
{
    return d == Density::Compact ? 7 : 9;
}
constexpr qreal actionSize(Density d)
{
    return d == Density::Compact ? 24 : 28;
}
constexpr qreal actionFontSize(Density d)
{
    return d == Density::Compact ? 12 : 13;
}
constexpr int titleLineLimit(Density d)
{
    return d == Density::Compact ? 2 : 4;
}
constexpr qreal rowVerticalPadding(Density d)
{
    return d == Density::Compact ? 6 : 9;
}
constexpr qreal inputVerticalPadding(Density d)
{
    return d == Density::Compact ? 7 : 10;
}
constexpr qreal thumbnailSize(Density d)
{
    return d == Density::Compact ? 36 : 48;
}
constexpr qreal iconSize(Density d)
{
    return d == Density::Compact ? 18 : 20;
}
constexpr int clipboardLineLimit(Density d)
{
    return d == Density::Compact ? 2 : 3;
}
constexpr int clipboardPageSize(Density d)
{
    return d == Density::Compact ? 100 : 500;
}

// The line height of the UI font at fontSize(), measured once per density for the life of
// the process (needs a QGuiApplication). Rows line their checkbox and actions up with it.
qreal lineHeight(Density d);

// The UI font at fontSize() + sizeDelta pixels with the given weight.
QFont font(Density d, qreal sizeDelta = 0, QFont::Weight weight = QFont::Normal);

// The clipboard list's item limit after one more "show more": one page more than now,
// saturating instead of overflowing.
int nextClipboardLimit(Density d, int currentLimit);

// Whether the density's surface closes after a closing copy of a clipboard item, after Escape
// on an empty clipboard search and after starting a focus session. Only the panel closes.
constexpr bool closesSurface(Density d)
{
    return d == Density::Compact;
}

} // namespace Densities
