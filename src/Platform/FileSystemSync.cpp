#include "Platform/FileSystemSync.h"

#include <unistd.h>

namespace FileSystemSync {

bool sync(QFileDevice &file)
{
    const int fd = file.handle();
    return fd >= 0 && ::fdatasync(fd) == 0;
}

} // namespace FileSystemSync
