#include "Platform/FileSystemSync.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace FileSystemSync {

bool sync(QFileDevice &file)
{
    const int fd = file.handle();
    return fd >= 0 && ::fdatasync(fd) == 0;
}

bool syncFileSystem(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::syncfs(fd) == 0;
    ::close(fd);
    return synced;
}

} // namespace FileSystemSync
