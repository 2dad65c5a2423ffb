#pragma once

#include <QString>

// Where Vemra keeps its files: the per-user data folder plus "Vemra"
// (~/.local/share/Vemra), the stand-in for the application support folder.
namespace DataPaths {

// The "Vemra" folder itself; not created.
QString appFolder();

// Creates `path` and any missing parents with mode 0700. True when it exists afterwards
// as a directory.
bool ensureFolder(const QString &path);

} // namespace DataPaths
