#include "FullDisk.h"

#include <QDir>

#include <sqlite3.h>

#include <cstring>

namespace {

FullDisk *current = nullptr;

// A file of the layer below, behind one of ours that can refuse to write.
struct File
{
    sqlite3_file base;
    bool refusable;
    sqlite3_file *real() { return reinterpret_cast<sqlite3_file *>(this + 1); }
};

File *own(sqlite3_file *file)
{
    return reinterpret_cast<File *>(file);
}

int fileClose(sqlite3_file *file)
{
    sqlite3_file *real = own(file)->real();
    const int code = real->pMethods ? real->pMethods->xClose(real) : SQLITE_OK;
    return code;
}

int fileRead(sqlite3_file *file, void *buffer, int amount, sqlite3_int64 offset)
{
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xRead(real, buffer, amount, offset);
}

int fileWrite(sqlite3_file *file, const void *buffer, int amount, sqlite3_int64 offset)
{
    if (own(file)->refusable && current && current->isFull())
        return SQLITE_FULL;
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xWrite(real, buffer, amount, offset);
}

int fileTruncate(sqlite3_file *file, sqlite3_int64 size)
{
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xTruncate(real, size);
}

int fileSync(sqlite3_file *file, int flags)
{
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xSync(real, flags);
}

int fileSizeOf(sqlite3_file *file, sqlite3_int64 *size)
{
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xFileSize(real, size);
}

int fileLock(sqlite3_file *file, int level)
{
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xLock(real, level);
}

int fileUnlock(sqlite3_file *file, int level)
{
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xUnlock(real, level);
}

int fileCheckReservedLock(sqlite3_file *file, int *reserved)
{
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xCheckReservedLock(real, reserved);
}

int fileFileControl(sqlite3_file *file, int operation, void *argument)
{
    // Growing the file ahead of time needs room too.
    if (operation == SQLITE_FCNTL_SIZE_HINT && own(file)->refusable && current && current->isFull())
        return SQLITE_FULL;
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xFileControl(real, operation, argument);
}

int fileSectorSize(sqlite3_file *file)
{
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xSectorSize(real);
}

int fileDeviceCharacteristics(sqlite3_file *file)
{
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xDeviceCharacteristics(real);
}

int fileShmMap(sqlite3_file *file, int region, int size, int extend, void volatile **address)
{
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xShmMap(real, region, size, extend, address);
}

int fileShmLock(sqlite3_file *file, int offset, int count, int flags)
{
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xShmLock(real, offset, count, flags);
}

void fileShmBarrier(sqlite3_file *file)
{
    sqlite3_file *real = own(file)->real();
    real->pMethods->xShmBarrier(real);
}

int fileShmUnmap(sqlite3_file *file, int deleteFlag)
{
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xShmUnmap(real, deleteFlag);
}

int fileFetch(sqlite3_file *file, sqlite3_int64 offset, int amount, void **page)
{
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xFetch(real, offset, amount, page);
}

int fileUnfetch(sqlite3_file *file, sqlite3_int64 offset, void *page)
{
    sqlite3_file *real = own(file)->real();
    return real->pMethods->xUnfetch(real, offset, page);
}

const sqlite3_io_methods methods = { 3, fileClose, fileRead, fileWrite, fileTruncate, fileSync, fileSizeOf, fileLock,
    fileUnlock, fileCheckReservedLock, fileFileControl, fileSectorSize, fileDeviceCharacteristics, fileShmMap,
    fileShmLock, fileShmBarrier, fileShmUnmap, fileFetch, fileUnfetch };

sqlite3_vfs *lower = nullptr;

int fileOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags)
{
    File *wrapped = own(file);
    std::memset(wrapped, 0, sizeof(File));
    const int code = lower->xOpen(lower, name, wrapped->real(), flags, outFlags);
    if (code != SQLITE_OK)
        return code;
    wrapped->refusable = current && current->refuses(name);
    wrapped->base.pMethods = &methods;
    return SQLITE_OK;
}

} // namespace

FullDisk::FullDisk(QString folder)
    : m_folder(QDir(folder).absolutePath() + QLatin1Char('/'))
{
    Q_ASSERT(!current);
    current = this;
    // Made once and kept: a connection opened through it may outlive this object.
    static sqlite3_vfs layer = [] {
        lower = sqlite3_vfs_find(nullptr);
        sqlite3_vfs made = *lower;
        made.zName = "vemra-full-disk";
        made.szOsFile = int(sizeof(File)) + lower->szOsFile;
        made.xOpen = fileOpen;
        return made;
    }();
    m_vfs = &layer;
    sqlite3_vfs_register(m_vfs, 1);
}

FullDisk::~FullDisk()
{
    sqlite3_vfs_register(lower, 1);
    current = nullptr;
}

bool FullDisk::refuses(const char *path) const
{
    return path && QString::fromUtf8(path).startsWith(m_folder);
}
