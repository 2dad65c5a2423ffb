#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include <sys/types.h>

// Puts a whole file under a name that nothing uses yet, without waiting for the disk. The file
// is written without a name and named once complete: a crash never leaves part of one under
// its name, and many are made at once in one folder, which is held only while each is named,
// not while the system finds room for it.
namespace NewFile {

// The system's error number when the file can't be made: the name is taken, the disk is full, …
std::optional<int> write(const QString &path, const QByteArray &data);
// Gives the whole file at `existing` the second name `path`, which must be free, in the same
// file system: no new file is made. The system's reason when it can't.
std::optional<QString> secondName(const QString &existing, const QString &path);

// A file of no name in `folder`, open for writing with `mode` (less the umask), or -1 with errno
// set; a crash while it is written leaves nothing. Some file systems have no such files.
int openUnnamed(const QString &folder, mode_t mode);
// Gives the unnamed file open as `fd` the name `path`, which must be free: 0, or the errno.
int name(int fd, const QByteArray &path);

} // namespace NewFile
