#pragma once

#include <QString>

// Marks something as in use for as long as one process holds the mark: a lock file that only
// its owner can read or write (0600 whatever the umask), even in a folder that every user
// shares, locked by the system, so that a crash lets go of it with the process.
class PrivateLockFile final
{
public:
    explicit PrivateLockFile(QString path);
    // Lets go of the mark if held.
    ~PrivateLockFile();
    PrivateLockFile(const PrivateLockFile &) = delete;
    PrivateLockFile &operator=(const PrivateLockFile &) = delete;

    // Takes the mark without waiting: false while another holds it, and for a path that is not
    // a regular file of this user's.
    bool tryLock();
    // Removes the lock file and lets go of it.
    void unlock();
    bool isLocked() const { return m_fd >= 0; }

private:
    QString m_path;
    int m_fd = -1;
};
