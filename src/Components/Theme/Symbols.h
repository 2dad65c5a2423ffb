#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

// The one table from the symbol names the views are written with ("doc.on.clipboard",
// "gearshape", ...) to freedesktop icon names of the Adwaita symbolic set. Views ask for a
// symbol by its name and never name a theme icon themselves.
namespace Symbols {

// The freedesktop icon name for a symbol, or an empty string for a symbol not in the table.
QString iconName(const QString &symbol);
// Every symbol of the table, for checks against the installed theme.
QStringList knownSymbols();

// The themed icon of a symbol (null for an unknown symbol or a missing theme icon).
QIcon icon(const QString &symbol);
// The symbol drawn `pixelSize` square in one colour, as symbolic icons are meant to be
// tinted; sharp at the given device pixel ratio. Null when the icon is missing.
QPixmap pixmap(const QString &symbol, int pixelSize, const QColor &color, qreal devicePixelRatio = 1.0);

// Points Qt at the system icon folders and the Adwaita theme. The platform plugin does not
// always do this by itself (offscreen, or a desktop without a theme setting); the application
// and the tests call it once after creating the QGuiApplication.
void useIconTheme();

} // namespace Symbols
