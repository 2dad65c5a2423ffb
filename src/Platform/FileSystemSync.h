#pragma once

#include <QFileDevice>
#include <QString>

// Waits until what was written to a file is on disk.
namespace FileSystemSync {

// The file must be open and its buffer flushed; false when the system refuses.
bool sync(QFileDevice &file);
// Everything written to the file system that holds `path`: one wait for many files written
// without waiting for each. False when the system refuses.
bool syncFileSystem(const QString &path);

} // namespace FileSystemSync
