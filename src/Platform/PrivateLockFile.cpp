#include "Platform/PrivateLockFile.h"

#include "Platform/Logging.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

PrivateLockFile::PrivateLockFile(QString path)
    : m_path(std::move(path))
{
}

PrivateLockFile::~PrivateLockFile()
{
    unlock();
}

bool PrivateLockFile::tryLock()
{
    if (isLocked())
        return true;
    const QByteArray native = QFile::encodeName(m_path);
    // Never through a link another user put in its place.
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        qCWarning(lcPlatform) << "cannot open the lock file" << m_path << ":" << std::strerror(errno);
        return false;
    }
    struct stat status
    {
    };
    const bool ours = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid();
    if (!ours || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void PrivateLockFile::unlock()
{
    if (!isLocked())
        return;
    // Removed before it is let go of: what it marks is gone by now.
    if (::unlink(QFile::encodeName(m_path).constData()) != 0 && errno != ENOENT)
        qCWarning(lcPlatform) << "cannot remove the lock file" << m_path << ":" << std::strerror(errno);
    ::close(m_fd);
    m_fd = -1;
}
