#pragma once

#include <QByteArray>
#include <QString>

#include <mutex>

class QFile;

// What an export is read from: a file, which the pieces read on other threads share, or bytes
// in memory.
class BackupSource final
{
public:
    explicit BackupSource(QFile &file);
    explicit BackupSource(const QByteArray &bytes);

    // The size when reading began.
    qint64 size() const { return m_size; }

    // Up to `length` bytes from `offset` on; fewer at the end, -1 after an error.
    qint64 read(qint64 offset, char *to, qint64 length) const;

    QString errorString() const;

private:
    QFile *m_file = nullptr;
    QByteArray m_bytes;
    qint64 m_size = 0;
    mutable std::mutex m_mutex;
};
