#include "Platform/PrivateFileWriter.h"

#include "Platform/Logging.h"
#include "Platform/NewFile.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype bufferSize = qsizetype(1) << 20;
// Written bytes the disk is asked to take at a time while the file is written, so that the
// sync at the end waits for little more than the last of them.
constexpr off_t writebackSize = off_t(8) << 20;

// Where the file is named while it replaces the destination: hidden, beside it, unique.
QByteArray partPath(const QFileInfo &target)
{
    return QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName() + u'.'
        + QUuid::createUuid().toString(QUuid::Id128).left(12) + QStringLiteral(".part"));
}

// A part of our naming stays behind only when a crash cut its writer short (or, where files
// without a name can't be made, the whole file was written under it), and may hold all the
// history: the next writer to the folder removes those its user owns.
void removeStaleParts(const QString &folder)
{
    static const QRegularExpression ours(QStringLiteral("^\\..+\\.[0-9a-f]{12}\\.part$"));
    QDirIterator parts(folder, { QStringLiteral(".*.part") }, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    while (parts.hasNext()) {
        const QFileInfo part = parts.nextFileInfo();
        const QByteArray path = QFile::encodeName(part.filePath());
        struct stat status
        {
        };
        if (!ours.match(part.fileName()).hasMatch() || ::lstat(path.constData(), &status) != 0
            || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid())
            continue;
        if (::unlink(path.constData()) == 0)
            qCInfo(lcTransfer) << "removed the unfinished file of an earlier write" << part.filePath();
        else
            qCWarning(lcTransfer) << "cannot remove the unfinished file of an earlier write" << part.filePath()
                                  << std::strerror(errno);
    }
}

} // namespace

PrivateFileWriter::PrivateFileWriter(QString destination)
    : m_destination(std::move(destination))
{
}

PrivateFileWriter::~PrivateFileWriter()
{
    discard();
}

bool PrivateFileWriter::open()
{
    discard();
    m_written = m_writtenBack = 0;
    const QFileInfo target(m_destination);
    removeStaleParts(target.absolutePath());
    // The file has no name until it is whole, so that a crash leaves nothing of it; where the
    // file system can't, it is written under its part's name.
    m_fd = NewFile::openUnnamed(target.absolutePath(), S_IRUSR | S_IWUSR);
    if (m_fd < 0) {
        m_temporaryPath = partPath(target);
        m_fd = ::open(
            m_temporaryPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR);
    }
    if (m_fd < 0) {
        m_temporaryPath.clear();
        return fail(errno);
    }
    // The mode given to open() passes through the umask; this one does not.
    if (::fchmod(m_fd, S_IRUSR | S_IWUSR) != 0)
        return fail(errno);
    m_buffer.reserve(bufferSize);
    return true;
}

bool PrivateFileWriter::write(const char *data, qsizetype size)
{
    if (m_fd < 0)
        return false;
    if (m_buffer.size() + size > bufferSize && !flush())
        return false;
    if (size >= bufferSize) {
        while (size > 0) {
            const ssize_t written = ::write(m_fd, data, size_t(size));
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return fail(errno);
            }
            data += written;
            size -= written;
            wrote(written);
        }
        return true;
    }
    m_buffer.append(data, size);
    return true;
}

bool PrivateFileWriter::flush()
{
    const char *data = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        data += written;
        left -= written;
        wrote(written);
    }
    m_buffer.clear();
    return true;
}

void PrivateFileWriter::wrote(ssize_t count)
{
    m_written += count;
    if (m_written - m_writtenBack < writebackSize)
        return;
    // Only starts the writing; a failure shows at the sync.
    ::sync_file_range(m_fd, m_writtenBack, m_written - m_writtenBack, SYNC_FILE_RANGE_WRITE);
    m_writtenBack = m_written;
}

bool PrivateFileWriter::commit()
{
    if (m_fd < 0 || !flush())
        return false;
    if (::fsync(m_fd) != 0)
        return fail(errno);
    // A link cannot replace the destination: the file is named beside it, then renamed over it.
    if (m_temporaryPath.isEmpty()) {
        const QByteArray part = partPath(QFileInfo(m_destination));
        if (const int error = NewFile::name(m_fd, part))
            return fail(error);
        m_temporaryPath = part;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(m_temporaryPath.constData());
        m_temporaryPath.clear();
        return fail(error);
    }
    if (::rename(m_temporaryPath.constData(), QFile::encodeName(m_destination).constData()) != 0) {
        const int error = errno;
        ::unlink(m_temporaryPath.constData());
        m_temporaryPath.clear();
        return fail(error);
    }
    m_temporaryPath.clear();
    return true;
}

void PrivateFileWriter::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporaryPath.isEmpty()) {
        if (::unlink(m_temporaryPath.constData()) != 0)
            qCWarning(lcTransfer) << "cannot remove the unfinished file" << m_temporaryPath;
        m_temporaryPath.clear();
    }
    m_buffer.clear();
}

bool PrivateFileWriter::fail(int error)
{
    m_diskFull = error == ENOSPC || error == EDQUOT;
    m_error = QString::fromLocal8Bit(std::strerror(error));
    discard();
    return false;
}
