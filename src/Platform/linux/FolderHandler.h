#pragma once

#include <QString>

// The desktop's program for folders (the type inode/directory), found as xdg-open finds it: the
// defaults, then the added associations, of mimeapps.list in the user's and then the system's
// folders, then any installed desktop entry that declares the type. Only an entry that is
// installed counts. Without one, xdg-open hands a folder to the web browser.
namespace FolderHandler {

// The handler's desktop file id ("org.gnome.Nautilus.desktop"); empty when there is none.
QString find();

} // namespace FolderHandler
