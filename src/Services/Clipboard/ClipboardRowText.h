#pragma once

#include "Models/Clipboard/ClipboardCalendar.h"
#include "Models/Clipboard/ClipboardItem.h"

#include <QDateTime>
#include <QList>
#include <QString>

// The words of one history row and of its menu, worked out without widgets.
namespace ClipboardRowText {

// What the row's menu and context menu offer, in order; a separator precedes Delete.
enum class Action { Copy, Preview, OpenLink, Delete };

// The most characters of a name (the source application's) that a row or the preview shows;
// a view can show far fewer, but laying out megabytes of an imported name would freeze it.
inline constexpr qsizetype shownNameLimit = 200;

// `text` cut to its first `limit` characters and "…" when longer; a surrogate pair stays whole.
QString capped(const QString &text, qsizetype limit = shownNameLimit);

// The copy time (long in the window), the source application when known and "Copied N times"
// from the second copy on, joined by " · ".
QString details(const ClipboardItem &item, const QDateTime &now, bool longForm, const ClipboardCalendar &calendar);
// "Link: example.com/a", "Image: 1200 × 800", "Image: " for a picture of unknown size.
QString accessibleLabel(const ClipboardItem &item);
// "Open Link" only for a link the store accepts (web and mail links).
QList<Action> actions(const ClipboardItem &item);
QString actionTitle(Action action);

// The theme icon name of a file's type, from its extension alone (the file is never opened);
// the generic binary type for no extension or one no type claims.
QString fileIconName(const QString &path);
// The generic icon of that type's family ("text-x-generic", …), the fallback of fileIconName().
QString fileGenericIconName(const QString &path);

} // namespace ClipboardRowText
