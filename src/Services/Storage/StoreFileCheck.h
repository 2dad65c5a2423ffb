#pragma once

#include "Models/Common/Result.h"
#include "Services/Storage/StoreSchema.h"

#include <QByteArray>
#include <QString>

// Looks at a store file before anything may write to it. It reads through a connection that
// changes neither the file nor its -wal and -shm, so a file that is refused stays exactly as
// it was: one written by a newer version, one that holds something else, or a damaged one.
class StoreFileCheck final
{
public:
    enum class Contents {
        // No file yet, or a database with nothing in it: the schema is to be made.
        Empty,
        // The store's own tables at the schema's version, whole.
        Current,
        // The store's own tables at a version the schema's upgrade brings up to date, whole.
        Older,
    };

    // The header, the version and the tables: quick at any size.
    static Result<Contents> inspect(const QString &path, const StoreSchema &schema);
    // Every page, so that a file damaged inside is refused before anything is written to it.
    // Reads the whole file through a small cache, so memory stays flat at any size: made for a
    // worker thread.
    static Status verify(const QString &path, const StoreSchema &schema);
    // How a file is opened for reading without changing it, as an SQLite URI. Without a log
    // everything is in the file itself, which is read as if it were on read-only media, so that
    // no -wal or -shm is made: nothing may write to it meanwhile. With a log and its index, the
    // index is read but never rebuilt; a log whose index is gone needs a new index, which is
    // all that reading it may add.
    static QByteArray readingUri(const QString &path);
};

// When a store reads its whole file for damage: before it opens (tests, tools), or on a worker
// after it has opened in memory, so that start-up does not wait for it.
enum class IntegrityCheck { Before, InBackground };
