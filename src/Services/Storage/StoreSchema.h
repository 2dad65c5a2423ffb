#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct sqlite3;

// What a store keeps in its file: the tables it reads, with the columns it needs, the
// statements that make them in a new file, and the version that names this layout.
struct StoreSchema
{
    struct Table
    {
        QString name;
        QStringList columns;
    };

    // Kept in the file's user_version; a file of a larger one was written by a newer Vemra.
    int version = 1;
    QList<Table> tables;
    // Run in one transaction on a new file.
    QStringList creation;
    // What brings a file of an older version to this one: every step whose `to` is above the
    // file's version, in order, all in one transaction. A file older than `upgradableFrom` is
    // refused.
    struct Upgrade
    {
        int to;
        QStringList statements;
    };
    int upgradableFrom = 0;
    QList<Upgrade> upgrades;
    // The page size of a new file in bytes; 0 keeps SQLite's own.
    int pageSize = 0;
    // The sentences that head the store's errors: opening the file, and writing to it.
    QString openFailed;
    QString saveFailed;
    // Adds the store's own SQL functions to a connection, before anything else runs on it
    // (an upgrade may use them); false when it cannot. None: SQLite's own only.
    bool (*functions)(sqlite3 *handle) = nullptr;
};
