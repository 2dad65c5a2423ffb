#include "Services/Transfer/BackupSource.h"

#include <QFile>

#include <algorithm>
#include <cstring>

BackupSource::BackupSource(QFile &file)
    : m_file(&file)
    , m_size(file.size())
{
}

BackupSource::BackupSource(const QByteArray &bytes)
    : m_bytes(bytes)
    , m_size(bytes.size())
{
}

qint64 BackupSource::read(qint64 offset, char *to, qint64 length) const
{
    if (!m_file) {
        const qint64 count = std::clamp<qint64>(m_size - offset, 0, length);
        std::memcpy(to, m_bytes.constData() + offset, size_t(count));
        return count;
    }
    const std::lock_guard lock(m_mutex);
    if (!m_file->seek(offset))
        return -1;
    return m_file->read(to, length);
}

QString BackupSource::errorString() const
{
    const std::lock_guard lock(m_mutex);
    return m_file ? m_file->errorString() : QString();
}
