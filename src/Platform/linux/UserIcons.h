#pragma once

#include <QByteArray>
#include <QString>

// Icons of the application's own in the user's icon folder (the hicolor theme under
// $XDG_DATA_HOME/icons), where whatever looks icons up by name finds them: a StatusNotifierItem
// tray, and Qt's own theme lookup.
namespace UserIcons {

// Puts the scalable icon `name` there unless the same one is there already, and makes the folder
// known to Qt's theme lookup. False when it could not be written.
bool installScalable(const QString &name, const QByteArray &svg);

} // namespace UserIcons
