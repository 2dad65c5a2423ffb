#pragma once

#include <QString>

#include <atomic>

struct sqlite3_vfs;

// A full disk for the stores: while it is full, SQLite's writes to files inside `folder` fail
// as they do when the disk has no room left (SQLITE_FULL), and reads go on. It stands between
// SQLite and its own file layer as the default layer for the connections opened while it
// lives, so a store must be opened after it is made. One at a time.
class FullDisk final
{
public:
    explicit FullDisk(QString folder);
    ~FullDisk();
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    void fill() { m_full = true; }
    void free() { m_full = false; }
    bool isFull() const { return m_full; }
    // Whether writes to `path` fail now.
    bool refuses(const char *path) const;

private:
    QString m_folder;
    std::atomic<bool> m_full = false;
    sqlite3_vfs *m_vfs = nullptr;
};
