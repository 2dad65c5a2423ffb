#pragma once

#include "Models/Common/Result.h"
#include "Services/Storage/StoreFileCheck.h"
#include "Services/Storage/StoreSchema.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QUuid>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

class QSqlError;
struct sqlite3;

// One store's SQLite connection, shared by both stores: opening a file only after it has been
// checked without writing to it, a database in memory when it cannot be, write-ahead logging,
// transactions, and the stored forms of ids and times. Every statement's result is checked;
// failures come back as errors headed by the schema's sentences and are logged.
class StoreDatabase final
{
public:
    // Opens the file at `path`, making its folder (private) first and, in a new file, the
    // schema's tables. A file that is refused is left exactly as it was.
    static Result<std::unique_ptr<StoreDatabase>> open(const QString &path, const StoreSchema &schema);
    // Opens a file that StoreFileCheck has inspected (finding `contents`) and verified, making or
    // upgrading its tables.
    static Result<std::unique_ptr<StoreDatabase>> open(
        const QString &path, const StoreSchema &schema, StoreFileCheck::Contents contents);
    // A database in memory with the schema's tables. Taken to open: should it fail anyway,
    // every write reports its error and every read is empty.
    static std::unique_ptr<StoreDatabase> inMemory(const StoreSchema &schema);
    // Makes the folder of `path`, then looks at the file there, reading all of it unless it is
    // empty: what `open` makes of it, or why it is refused.
    static Result<StoreFileCheck::Contents> check(const QString &path, const StoreSchema &schema);
    // A reading connection to a file that its writer has opened, which writes nothing to it:
    // the store's own, or one for work on another thread, made, used and dropped there.
    static Result<std::unique_ptr<StoreDatabase>> attach(const QString &path, const StoreSchema &schema);
    // A reading connection to a file of the schema's version whose check is under way, which
    // changes nothing beside it either (StoreFileCheck::readingUri): valid only until anything
    // writes to the file.
    static Result<std::unique_ptr<StoreDatabase>> peek(const QString &path, const StoreSchema &schema);

    ~StoreDatabase();
    StoreDatabase(const StoreDatabase &) = delete;
    StoreDatabase &operator=(const StoreDatabase &) = delete;

    // The file; empty for a database in memory.
    const QString &filePath() const { return m_filePath; }
    const StoreSchema &schema() const { return m_schema; }
    // The connection's own handle, for functions of the store's own.
    sqlite3 *handle() const;

    // A forward-only query prepared from `sql`, or the error.
    Result<QSqlQuery> prepare(const QString &sql) const;
    // Runs a prepared query with `bindings` (appended to any already bound).
    Status run(QSqlQuery &query, const QVariantList &bindings = {}) const;
    // Prepares and runs `sql`.
    Result<QSqlQuery> select(const QString &sql, const QVariantList &bindings = {}) const;
    Status exec(const QString &sql, const QVariantList &bindings = {}) const;

    // Runs `work` in one write transaction: all of it is kept, or, when any of it or the
    // commit fails, none of it.
    Status write(const std::function<Status()> &work) const;

    // Folds the write-ahead log into the file and empties it, so that nothing deleted stays
    // readable in the log. False when another connection kept it from being emptied.
    bool foldLog() const;
    // The same without waiting for readers to let go of the log: false at once while one holds it.
    bool tryFoldLog() const;

    // An error headed by the schema's save sentence, with SQLite's own text; logged.
    Error saveError(const QString &detail) const;
    // The same for a failed statement, of the kind SQLite's code says (a full disk).
    Error failure(const QSqlError &error) const;

    // The stored forms: ids as 36 upper-case characters, times as milliseconds since the epoch.
    static QString idText(const QUuid &id);
    static QVariant timeValue(const std::optional<QDateTime> &time);

private:
    StoreDatabase(const QString &databaseName, QString filePath, StoreSchema schema);
    Status configure() const;
    Status create() const;
    Status upgrade() const;
    bool emptyLog() const;

    QString m_connectionName;
    QString m_filePath;
    StoreSchema m_schema;
    QSqlDatabase m_connection;
};
