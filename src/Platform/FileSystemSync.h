#pragma once

#include <QFileDevice>

// Waits until what was written to a file is on disk.
namespace FileSystemSync {

// The file must be open and its buffer flushed; false when the system refuses.
bool sync(QFileDevice &file);

} // namespace FileSystemSync
