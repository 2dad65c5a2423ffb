#include "Platform/NewFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const QByteArray &data)
{
    const char *at = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, at, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        at += written;
        left -= written;
    }
    return true;
}

} // namespace

namespace NewFile {

std::optional<int> write(const QString &path, const QByteArray &data)
{
    const QByteArray target = QFile::encodeName(path);
    int fd = openUnnamed(QFileInfo(path).absolutePath(), 0666);
    // A file system without files of no name: the file is made under its name at once.
    const bool unnamed = fd >= 0;
    if (!unnamed)
        fd = ::open(target.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    bool named = !unnamed;
    int error = writeAll(fd, data) ? 0 : errno;
    if (error == 0 && unnamed) {
        error = name(fd, target);
        named = error == 0;
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0)
        return std::nullopt;
    if (named)
        ::unlink(target.constData());
    return error;
}

std::optional<QString> secondName(const QString &existing, const QString &path)
{
    if (::link(QFile::encodeName(existing).constData(), QFile::encodeName(path).constData()) == 0)
        return std::nullopt;
    return QString::fromLocal8Bit(std::strerror(errno));
}

int openUnnamed(const QString &folder, mode_t mode)
{
    return ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
}

int name(int fd, const QByteArray &path)
{
    // Through the process's own link to the file, which needs no privilege, unlike naming the
    // descriptor itself.
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

} // namespace NewFile
