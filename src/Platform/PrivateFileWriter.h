#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// Writes a file that only its owner can read (0600 whatever the umask) through a large buffer,
// into a new file beside the destination that replaces it only on commit: until then, and
// after a failure or a crash, whatever was at the destination stays as it was and nothing of
// ours is left behind. A full disk is told apart from other failures.
//
// Used by one thread at a time.
class PrivateFileWriter final
{
public:
    explicit PrivateFileWriter(QString destination);
    ~PrivateFileWriter();
    PrivateFileWriter(const PrivateFileWriter &) = delete;
    PrivateFileWriter &operator=(const PrivateFileWriter &) = delete;

    bool open();
    bool write(const char *data, qsizetype size);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }
    // Writes what is buffered, syncs, and puts the file in place.
    bool commit();
    // Drops the new file.
    void discard();

    // After a failure: whether it was for lack of space, and the system's text.
    bool diskFull() const { return m_diskFull; }
    QString errorString() const { return m_error; }

private:
    bool flush();
    // Notes bytes written, and starts taking them to the disk every so often.
    void wrote(ssize_t count);
    bool fail(int error);

    QString m_destination;
    // The new file's name; empty while it has none.
    QByteArray m_temporaryPath;
    QByteArray m_buffer;
    int m_fd = -1;
    off_t m_written = 0;
    off_t m_writtenBack = 0;
    bool m_diskFull = false;
    QString m_error;
};
