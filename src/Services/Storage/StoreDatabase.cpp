#include "Services/Storage/StoreDatabase.h"

#include "Platform/DataPaths.h"
#include "Platform/Logging.h"
#include "Services/Storage/StoreFileCheck.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

namespace {

// How long a statement waits for another connection's lock before it fails.
constexpr int busyTimeout = 2000;

QString sqlText(const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.trimmed();
}

// SQLite's own result code (the driver gives it as text, extended or not).
Error::Kind kindOf(const QSqlError &error)
{
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number);
    return number && (code & 0xff) == SQLITE_FULL ? Error::Kind::DiskFull : Error::Kind::Other;
}

} // namespace

StoreDatabase::StoreDatabase(const QString &databaseName, QString filePath, StoreSchema schema)
    : m_connectionName(QStringLiteral("vemra-store-") + idText(QUuid::createUuid()))
    , m_filePath(std::move(filePath))
    , m_schema(std::move(schema))
    , m_connection(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName))
{
    m_connection.setDatabaseName(databaseName);
    m_connection.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout));
}

StoreDatabase::~StoreDatabase()
{
    m_connection.close();
    m_connection = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

Result<std::unique_ptr<StoreDatabase>> StoreDatabase::open(const QString &path, const StoreSchema &schema)
{
    const Result<StoreFileCheck::Contents> contents = check(path, schema);
    if (!contents)
        return contents.error();
    return open(path, schema, contents.value());
}

Result<StoreFileCheck::Contents> StoreDatabase::check(const QString &path, const StoreSchema &schema)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!DataPaths::ensureFolder(folder)) {
        qCWarning(lcStore) << "cannot make the folder" << folder;
        return Error { schema.openFailed, QStringLiteral("The folder %1 couldn’t be made.").arg(folder) };
    }
    Result<StoreFileCheck::Contents> contents = StoreFileCheck::inspect(path, schema);
    if (!contents)
        return contents.error();
    if (contents.value() != StoreFileCheck::Contents::Empty) {
        if (Status verified = StoreFileCheck::verify(path, schema); !verified)
            return verified.error();
    }
    return contents;
}

Result<std::unique_ptr<StoreDatabase>> StoreDatabase::open(
    const QString &path, const StoreSchema &schema, StoreFileCheck::Contents contents)
{
    std::unique_ptr<StoreDatabase> database(new StoreDatabase(path, path, schema));
    const auto refuse = [&](const QString &detail) {
        qCWarning(lcStore) << "cannot open" << path << ":" << detail;
        return Error { schema.openFailed, detail };
    };
    if (!database->m_connection.open())
        return refuse(sqlText(database->m_connection.lastError()));
    if (contents == StoreFileCheck::Contents::Empty && schema.pageSize > 0) {
        if (Status status = database->exec(QStringLiteral("PRAGMA page_size = %1").arg(schema.pageSize)); !status)
            return refuse(status.error().detail);
    }
    if (Status status = database->configure(); !status)
        return refuse(status.error().detail);
    if (contents == StoreFileCheck::Contents::Empty) {
        if (Status status = database->create(); !status)
            return refuse(status.error().detail);
    }
    if (contents == StoreFileCheck::Contents::Older) {
        if (Status status = database->upgrade(); !status)
            return refuse(status.error().detail);
    }
    return database;
}

Result<std::unique_ptr<StoreDatabase>> StoreDatabase::attach(const QString &path, const StoreSchema &schema)
{
    std::unique_ptr<StoreDatabase> database(new StoreDatabase(path, path, schema));
    // Only the file's writer writes to it.
    database->m_connection.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout));
    if (!database->m_connection.open())
        return database->failure(database->m_connection.lastError());
    if (Status status = database->configure(); !status)
        return status.error();
    return database;
}

Result<std::unique_ptr<StoreDatabase>> StoreDatabase::peek(const QString &path, const StoreSchema &schema)
{
    std::unique_ptr<StoreDatabase> database(
        new StoreDatabase(QString::fromUtf8(StoreFileCheck::readingUri(path)), path, schema));
    database->m_connection.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout));
    if (!database->m_connection.open())
        return database->failure(database->m_connection.lastError());
    // The file's log stays as it is: no journal mode is asked for.
    if (schema.functions && !schema.functions(database->handle()))
        return database->saveError(QStringLiteral("The store’s own functions couldn’t be added."));
    if (Status status = database->exec(QStringLiteral("PRAGMA temp_store = MEMORY")); !status)
        return status.error();
    return database;
}

std::unique_ptr<StoreDatabase> StoreDatabase::inMemory(const StoreSchema &schema)
{
    std::unique_ptr<StoreDatabase> database(new StoreDatabase(QStringLiteral(":memory:"), QString(), schema));
    if (!database->m_connection.open())
        qCWarning(lcStore) << "cannot open a database in memory:" << sqlText(database->m_connection.lastError());
    else if (!database->configure() || !database->create())
        qCWarning(lcStore) << "cannot prepare a database in memory";
    return database;
}

Status StoreDatabase::configure() const
{
    if (m_schema.functions && !m_schema.functions(handle()))
        return saveError(QStringLiteral("The store’s own functions couldn’t be added."));
    if (!m_filePath.isEmpty()) {
        Result<QSqlQuery> selected = select(QStringLiteral("PRAGMA journal_mode = WAL"));
        if (!selected)
            return selected.error();
        QSqlQuery mode = std::move(selected).value();
        if (!mode.next() || mode.value(0).toString().compare(QStringLiteral("wal"), Qt::CaseInsensitive) != 0)
            return saveError(QStringLiteral("The file can’t be written ahead of time."));
    }
    // Deleted entries are overwritten, not just let go of.
    for (const char *pragma :
        { "PRAGMA synchronous = NORMAL", "PRAGMA secure_delete = ON", "PRAGMA temp_store = MEMORY" }) {
        if (Status status = exec(QString::fromLatin1(pragma)); !status)
            return status;
    }
    return {};
}

Status StoreDatabase::create() const
{
    return write([this]() -> Status {
        for (const QString &statement : m_schema.creation) {
            if (Status status = exec(statement); !status)
                return status;
        }
        return exec(QStringLiteral("PRAGMA user_version = %1").arg(m_schema.version));
    });
}

Status StoreDatabase::upgrade() const
{
    // What SQLite keeps to undo a statement that rewrites every row, and the runs of a large
    // sort, go to temporary files while the file is upgraded: in memory they grow with the
    // file (200 MB at a million entries), and the allocator keeps most of it long after.
    if (Status status = exec(QStringLiteral("PRAGMA temp_store = FILE")); !status)
        return status;
    Status upgraded = write([this]() -> Status {
        Result<QSqlQuery> selected = select(QStringLiteral("PRAGMA user_version"));
        if (!selected)
            return selected.error();
        QSqlQuery version = std::move(selected).value();
        const int found = version.next() ? version.value(0).toInt() : 0;
        version.finish();
        for (const StoreSchema::Upgrade &step : m_schema.upgrades) {
            if (step.to <= found)
                continue;
            for (const QString &statement : step.statements) {
                if (Status status = exec(statement); !status)
                    return status;
            }
        }
        return exec(QStringLiteral("PRAGMA user_version = %1").arg(m_schema.version));
    });
    if (!upgraded)
        return upgraded;
    return exec(QStringLiteral("PRAGMA temp_store = MEMORY"));
}

sqlite3 *StoreDatabase::handle() const
{
    const QVariant handle = m_connection.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

Result<QSqlQuery> StoreDatabase::prepare(const QString &sql) const
{
    QSqlQuery query(m_connection);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        return failure(query.lastError());
    return Result<QSqlQuery>(std::move(query));
}

Status StoreDatabase::run(QSqlQuery &query, const QVariantList &bindings) const
{
    for (const QVariant &binding : bindings)
        query.addBindValue(binding);
    if (!query.exec())
        return failure(query.lastError());
    return {};
}

Result<QSqlQuery> StoreDatabase::select(const QString &sql, const QVariantList &bindings) const
{
    Result<QSqlQuery> query = prepare(sql);
    if (!query)
        return query.error();
    QSqlQuery prepared = std::move(query).value();
    if (Status status = run(prepared, bindings); !status)
        return status.error();
    return Result<QSqlQuery>(std::move(prepared));
}

Status StoreDatabase::exec(const QString &sql, const QVariantList &bindings) const
{
    const Result<QSqlQuery> query = select(sql, bindings);
    if (!query)
        return query.error();
    return {};
}

Status StoreDatabase::write(const std::function<Status()> &work) const
{
    if (Status status = exec(QStringLiteral("BEGIN IMMEDIATE")); !status)
        return status;
    Status status = work();
    if (status)
        status = exec(QStringLiteral("COMMIT"));
    // SQLite has rolled back itself after some failures (a full disk among them).
    sqlite3 *connection = handle();
    const bool open = !connection || !sqlite3_get_autocommit(connection);
    if (!status && open && !exec(QStringLiteral("ROLLBACK")))
        qCWarning(lcStore) << "cannot roll back a failed write to" << m_filePath;
    return status;
}

bool StoreDatabase::foldLog() const
{
    if (emptyLog())
        return true;
    qCWarning(lcStore) << "the log of" << m_filePath << "could not be emptied";
    return false;
}

bool StoreDatabase::tryFoldLog() const
{
    sqlite3 *connection = handle();
    if (connection)
        sqlite3_busy_timeout(connection, 0);
    const bool folded = emptyLog();
    if (connection)
        sqlite3_busy_timeout(connection, busyTimeout);
    return folded;
}

bool StoreDatabase::emptyLog() const
{
    if (m_filePath.isEmpty())
        return true;
    Result<QSqlQuery> fold = select(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    if (!fold)
        return false;
    QSqlQuery result = std::move(fold).value();
    // The first column is 1 when another connection kept the log from being emptied.
    return result.next() && result.value(0).toInt() == 0;
}

Error StoreDatabase::saveError(const QString &detail) const
{
    qCWarning(lcStore) << m_filePath << ":" << detail;
    return Error { m_schema.saveFailed, detail };
}

Error StoreDatabase::failure(const QSqlError &error) const
{
    Error failed = saveError(sqlText(error));
    failed.kind = kindOf(error);
    return failed;
}

QString StoreDatabase::idText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QVariant StoreDatabase::timeValue(const std::optional<QDateTime> &time)
{
    return time ? QVariant(time->toMSecsSinceEpoch()) : QVariant(QMetaType::fromType<qint64>());
}
