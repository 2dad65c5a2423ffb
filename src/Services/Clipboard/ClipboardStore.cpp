#include "Services/Clipboard/ClipboardStore.h"

#include "Platform/DataPaths.h"
#include "Platform/SystemClipboard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringDecoder>
#include <QThread>
#include <QThreadPool>
#include <QVariant>
#include <QtConcurrent/QtConcurrentRun>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr int schemaVersion = 1;
// Larger than the default: a search reads every search row, and fewer, larger reads are faster.
constexpr int pageSize = 16384;
// A search count over at least this many rows is split among several connections, each
// scanning its own span of rows on its own thread; below it, one scan is quicker than the
// hand-off.
constexpr qint64 parallelCountRows = 8192;
// At most this many spans: the scan is bound by memory and SQLite's per-row work, and more
// threads than this gain little on a desktop machine.
constexpr int maximumCountShares = 4;
// The page cache of each of those connections, in KiB: a scan reads every row once, so a cache
// would not be hit, and a small one keeps memory flat however large the history grows.
constexpr int readerCacheKiB = 128;

QString saveFailedMessage()
{
    return QStringLiteral("Vemra couldn\u2019t save your clipboard history.");
}

QString openFailedMessage()
{
    return QStringLiteral("Vemra couldn\u2019t open your clipboard history.");
}

// The stored fields, in the order rowToItem reads them.
const QStringList &fieldColumns()
{
    static const QStringList columns = QStringLiteral(
        "id raw_kind content content_hash created_at last_copied_at copy_count mime_type source_app_name "
        "source_bundle_id byte_count pixel_width pixel_height image_path thumbnail_path text_path")
                                           .split(QLatin1Char(' '));
    return columns;
}

// The select list of a query of clipboard_item AS i.
const QString &itemColumns()
{
    static const QString columns = QStringLiteral("i.") + fieldColumns().join(QStringLiteral(", i."));
    return columns;
}

const QString &orderClause()
{
    static const QString order = QStringLiteral(" ORDER BY i.last_copied_at DESC, i.id");
    return order;
}

QString uuidText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

qint64 millis(const QDateTime &moment)
{
    return moment.toMSecsSinceEpoch();
}

// SQLite keeps a null QString as NULL; stored text is never NULL.
QVariant storedText(const QString &value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

QVariant optionalText(const std::optional<QString> &text)
{
    return text ? QVariant(*text) : QVariant(QMetaType::fromType<QString>());
}

std::optional<QString> optionalFrom(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toString();
}

ClipboardItem rowToItem(const QSqlQuery &query)
{
    ClipboardItem item;
    item.id = QUuid::fromString(query.value(0).toString());
    item.rawKind = query.value(1).toString();
    item.content = query.value(2).toString();
    item.contentHash = query.value(3).toString();
    item.createdAt = QDateTime::fromMSecsSinceEpoch(query.value(4).toLongLong(), Qt::UTC);
    item.lastCopiedAt = QDateTime::fromMSecsSinceEpoch(query.value(5).toLongLong(), Qt::UTC);
    item.copyCount = query.value(6).toLongLong();
    item.mimeType = query.value(7).toString();
    item.sourceAppName = query.value(8).toString();
    item.sourceAppId = query.value(9).toString();
    item.byteCount = query.value(10).toLongLong();
    item.pixelWidth = query.value(11).toLongLong();
    item.pixelHeight = query.value(12).toLongLong();
    item.imagePath = optionalFrom(query.value(13));
    item.thumbnailPath = optionalFrom(query.value(14));
    item.textPath = optionalFrom(query.value(15));
    return item;
}

QStringList sideFiles(const ClipboardItem &item)
{
    QStringList paths;
    for (const auto *path : { &item.imagePath, &item.thumbnailPath, &item.textPath }) {
        if (path->has_value())
            paths.append(**path);
    }
    return paths;
}

Error sqlError(const QString &message, const QSqlError &error)
{
    return Error { message, error.text() };
}

// The systemClipboard form of a stored image type identifier.
QString mimeTypeFor(const QString &identifier)
{
    static const QHash<QString, QString> table {
        { QStringLiteral("public.png"), QStringLiteral("image/png") },
        { QStringLiteral("public.jpeg"), QStringLiteral("image/jpeg") },
        { QStringLiteral("public.heic"), QStringLiteral("image/heic") },
        { QStringLiteral("com.compuserve.gif"), QStringLiteral("image/gif") },
        { QStringLiteral("public.tiff"), QStringLiteral("image/tiff") },
    };
    return table.value(identifier, identifier.contains(QLatin1Char('/')) ? identifier : QStringLiteral("image/png"));
}

// How common a byte is in folded text, roughly: blanks and frequent letters high, everything
// else low. Searching for the rarest byte of a needle makes memchr() stop least often.
int commonness(unsigned char byte)
{
    static const char *const byFrequency = " etaoinshrdlcumwfgypbvkjxqz";
    if (const char *at = std::strchr(byFrequency, byte); at && byte != 0)
        return 64 - int(at - byFrequency);
    return 0;
}

// Where a needle is looked for first: its rarest byte, so that memchr() stops least often.
size_t anchorOf(const char *needle, size_t needleSize)
{
    size_t anchor = 0;
    for (size_t i = 1; i < needleSize; ++i) {
        if (commonness((unsigned char)needle[i]) < commonness((unsigned char)needle[anchor]))
            anchor = i;
    }
    return anchor;
}

// Whether `needle` occurs in `haystack`: memchr() for the needle's byte at `anchor`, then a
// compare. Much faster than memmem() on the texts a history holds.
bool containsBytes(const char *haystack, size_t haystackSize, const char *needle, size_t needleSize, size_t anchor)
{
    if (needleSize == 0)
        return true;
    if (needleSize > haystackSize)
        return false;
    const char anchorByte = needle[anchor];
    // Candidate anchors lie in [anchor, haystackSize - needleSize + anchor].
    const char *from = haystack + anchor;
    const char *const last = haystack + (haystackSize - needleSize) + anchor;
    while (from <= last) {
        const void *hit = std::memchr(from, anchorByte, size_t(last - from) + 1);
        if (!hit)
            return false;
        const char *start = static_cast<const char *>(hit) - anchor;
        if (std::memcmp(start, needle, needleSize) == 0)
            return true;
        from = static_cast<const char *>(hit) + 1;
    }
    return false;
}

// contains_folded(needle, haystack, …): whether the UTF-8 needle occurs in any of the
// haystacks. Both sides are folded already, and UTF-8 byte containment is character
// containment, so a byte search serves; it is many times faster than instr(), which counts
// characters as it goes, and one call per row does for all the haystacks.
void containsFolded(sqlite3_context *context, int count, sqlite3_value **arguments)
{
    const char *needle = count > 0 ? reinterpret_cast<const char *>(sqlite3_value_text(arguments[0])) : nullptr;
    const int needleSize = count > 0 ? sqlite3_value_bytes(arguments[0]) : 0;
    if (!needle) {
        sqlite3_result_int(context, 0);
        return;
    }
    // The needle is the same for every row of a statement: its anchor is worked out once and
    // kept with the bound value.
    auto *anchor = static_cast<size_t *>(sqlite3_get_auxdata(context, 0));
    if (!anchor) {
        anchor = new size_t(anchorOf(needle, size_t(needleSize)));
        sqlite3_set_auxdata(context, 0, anchor, [](void *data) { delete static_cast<size_t *>(data); });
        // SQLite may drop it at once (out of memory); it is read again below only if kept.
        anchor = static_cast<size_t *>(sqlite3_get_auxdata(context, 0));
    }
    const size_t at = anchor ? *anchor : anchorOf(needle, size_t(needleSize));
    for (int i = 1; i < count; ++i) {
        const char *haystack = reinterpret_cast<const char *>(sqlite3_value_text(arguments[i]));
        const int haystackSize = sqlite3_value_bytes(arguments[i]);
        if (haystack && containsBytes(haystack, size_t(haystackSize), needle, size_t(needleSize), at)) {
            sqlite3_result_int(context, 1);
            return;
        }
    }
    sqlite3_result_int(context, 0);
}

bool installSearchFunction(sqlite3 *sqlite)
{
    return sqlite3_create_function_v2(sqlite, "contains_folded", -1,
               SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr, &containsFolded, nullptr, nullptr,
               nullptr)
        == SQLITE_OK;
}

// A read-only connection to the store's file that counts search rows in one span of `seq`,
// used by one thread at a time. Its statement is prepared once and kept while the text of the
// query stays the same.
class CountReader final
{
public:
    CountReader() = default;
    ~CountReader()
    {
        sqlite3_finalize(m_statement);
        sqlite3_close_v2(m_handle);
    }
    CountReader(const CountReader &) = delete;
    CountReader &operator=(const CountReader &) = delete;

    bool open(const QString &path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr)
            != SQLITE_OK)
            return false;
        const QByteArray pragmas
            = "PRAGMA busy_timeout = 2000; PRAGMA cache_size = -" + QByteArray::number(readerCacheKiB);
        return sqlite3_exec(m_handle, pragmas.constData(), nullptr, nullptr, nullptr) == SQLITE_OK
            && installSearchFunction(m_handle);
    }

    // The number of rows with first <= seq < end that `sql` counts; absent on any failure.
    std::optional<qint64> count(const QByteArray &sql, qint64 first, qint64 end, const QVariantList &bindings)
    {
        if (!m_statement || sql != m_sql) {
            sqlite3_finalize(m_statement);
            m_statement = nullptr;
            m_sql.clear();
            if (sqlite3_prepare_v3(
                    m_handle, sql.constData(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr)
                != SQLITE_OK)
                return std::nullopt;
            m_sql = sql;
        }
        bool bound = sqlite3_bind_int64(m_statement, 1, first) == SQLITE_OK
            && sqlite3_bind_int64(m_statement, 2, end) == SQLITE_OK;
        for (qsizetype i = 0; bound && i < bindings.size(); ++i) {
            const QVariant &value = bindings[i];
            if (value.typeId() == QMetaType::QString) {
                const QByteArray text = value.toString().toUtf8();
                bound = sqlite3_bind_text64(m_statement, int(i) + 3, text.constData(), sqlite3_uint64(text.size()),
                            SQLITE_TRANSIENT, SQLITE_UTF8)
                    == SQLITE_OK;
            } else {
                bound = sqlite3_bind_int64(m_statement, int(i) + 3, value.toLongLong()) == SQLITE_OK;
            }
        }
        std::optional<qint64> result;
        if (bound && sqlite3_step(m_statement) == SQLITE_ROW)
            result = sqlite3_column_int64(m_statement, 0);
        // Ends the read transaction, so that the file is never held open for reading.
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        return result;
    }

private:
    sqlite3 *m_handle = nullptr;
    sqlite3_stmt *m_statement = nullptr;
    QByteArray m_sql;
};

} // namespace

struct ClipboardStore::Database
{
    QString name;
    QSqlDatabase connection;
    bool hasSearchFunction = false;
    // The file, for the connections of a parallel count; empty for a database in memory.
    QString filePath;
    // Made on the first count that is split, then kept: one per span.
    std::vector<std::unique_ptr<CountReader>> readers;
    QThreadPool pool;

    explicit Database(const QString &path)
        : name(QStringLiteral("vemra-clipboard-") + uuidText(QUuid::createUuid()))
        , connection(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name))
    {
        connection.setDatabaseName(path);
    }

    ~Database()
    {
        pool.waitForDone();
        // Before the main connection: the last one to close folds the log back into the file,
        // and a read-only one cannot.
        readers.clear();
        connection.close();
        connection = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }

    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    QSqlQuery query() const { return QSqlQuery(connection); }

    // Installs contains_folded() on the open connection; false when the driver gives no handle.
    bool installSearchFunction() const
    {
        const QVariant handle = connection.driver()->handle();
        if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
            return false;
        sqlite3 *sqlite = *static_cast<sqlite3 *const *>(handle.constData());
        return sqlite && ::installSearchFunction(sqlite);
    }

    // The number of search rows (clipboard_search AS s) that `where` accepts, counted in
    // spans of `seq` on several threads at once. Absent when the count is better done in one
    // scan, or when any part of it fails; the caller then counts the usual way. Every change
    // must be saved: the other connections see only what is in the file.
    std::optional<qint64> countInParallel(const QString &where, const QVariantList &bindings)
    {
        const int shares = std::min(QThread::idealThreadCount(), maximumCountShares);
        if (filePath.isEmpty() || !hasSearchFunction || shares < 2)
            return std::nullopt;
        QSqlQuery bounds = query();
        bounds.setForwardOnly(true);
        // Two lookups at the ends of the table: min() and max() together would scan it.
        if (!bounds.exec(QStringLiteral("SELECT (SELECT min(seq) FROM clipboard_search), "
                                        "(SELECT max(seq) FROM clipboard_search)"))
            || !bounds.next() || bounds.value(0).isNull())
            return std::nullopt;
        const qint64 first = bounds.value(0).toLongLong();
        const qint64 end = bounds.value(1).toLongLong() + 1;
        bounds.finish();
        if (end - first < parallelCountRows)
            return std::nullopt;

        while (int(readers.size()) < shares) {
            auto reader = std::make_unique<CountReader>();
            if (!reader->open(filePath))
                return std::nullopt;
            readers.push_back(std::move(reader));
        }
        pool.setMaxThreadCount(shares - 1);

        const QByteArray sql
            = "SELECT count(*) FROM clipboard_search AS s WHERE s.seq >= ? AND s.seq < ? AND (" + where.toUtf8() + ')';
        const qint64 span = (end - first + shares - 1) / shares;
        std::vector<std::optional<qint64>> counts(static_cast<size_t>(shares));
        auto countShare = [&](int share) {
            const qint64 from = first + span * share;
            counts[size_t(share)] = readers[size_t(share)]->count(sql, from, std::min(from + span, end), bindings);
        };
        QList<QFuture<void>> others;
        for (int share = 1; share < shares; ++share)
            others << QtConcurrent::run(&pool, countShare, share);
        countShare(0);
        for (QFuture<void> &other : others)
            other.waitForFinished();

        qint64 total = 0;
        for (const std::optional<qint64> &count : counts) {
            if (!count)
                return std::nullopt;
            total += *count;
        }
        return total;
    }

    // Runs one statement without bindings; the error when it fails.
    std::optional<QSqlError> exec(const QString &statement) const
    {
        QSqlQuery q = query();
        if (!q.exec(statement))
            return q.lastError();
        return std::nullopt;
    }

    // Checks what is already in the file without writing to it. Fresh is an empty file.
    Result<bool> inspect() const
    {
        QSqlQuery version = query();
        if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next())
            return sqlError(openFailedMessage(), version.lastError());
        const int userVersion = version.value(0).toInt();

        QSqlQuery tables = query();
        if (!tables.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
            return sqlError(openFailedMessage(), tables.lastError());
        QStringList names;
        while (tables.next())
            names << tables.value(0).toString();

        if (userVersion == 0 && names.isEmpty())
            return true;
        if (userVersion > schemaVersion)
            return Error { openFailedMessage(),
                QStringLiteral("The history was written by a newer version of Vemra.") };
        if (userVersion != schemaVersion || !names.contains(QStringLiteral("clipboard_item"))
            || !names.contains(QStringLiteral("clipboard_search")))
            return Error { openFailedMessage(), QStringLiteral("The file is not a clipboard history.") };

        const QStringList searchColumns { QStringLiteral("seq"), QStringLiteral("raw_kind"),
            QStringLiteral("search_app"), QStringLiteral("search_content") };
        for (const auto &[table, required] : { std::pair { QStringLiteral("clipboard_item"), fieldColumns() },
                 std::pair { QStringLiteral("clipboard_search"), searchColumns } }) {
            QSqlQuery columns = query();
            if (!columns.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table)))
                return sqlError(openFailedMessage(), columns.lastError());
            QStringList present;
            while (columns.next())
                present << columns.value(1).toString();
            for (const QString &column : required) {
                if (!present.contains(column))
                    return Error { openFailedMessage(),
                        QStringLiteral("The history is missing %1.%2.").arg(table, column) };
            }
        }
        // Reading one row proves the table's pages can be read.
        QSqlQuery probe = query();
        if (!probe.exec(
                QStringLiteral("SELECT ") + itemColumns() + QStringLiteral(" FROM clipboard_item AS i LIMIT 1")))
            return sqlError(openFailedMessage(), probe.lastError());
        return false;
    }

    Status configure(bool onDisk) const
    {
        if (onDisk) {
            QSqlQuery wal = query();
            if (!wal.exec(QStringLiteral("PRAGMA journal_mode = WAL")) || !wal.next())
                return sqlError(openFailedMessage(), wal.lastError());
            if (wal.value(0).toString().compare(QStringLiteral("wal"), Qt::CaseInsensitive) != 0)
                return Error { openFailedMessage(), QStringLiteral("The history cannot be written ahead of time.") };
            if (auto error = exec(QStringLiteral("PRAGMA synchronous = NORMAL")))
                return sqlError(openFailedMessage(), *error);
        }
        for (const QString &pragma :
            { QStringLiteral("PRAGMA busy_timeout = 2000"), QStringLiteral("PRAGMA temp_store = MEMORY") }) {
            if (auto error = exec(pragma))
                return sqlError(openFailedMessage(), *error);
        }
        return {};
    }

    Status createSchema()
    {
        static const QStringList statements {
            // `seq` ties an entry to its search row; `id` is the entry's identity.
            QStringLiteral("CREATE TABLE clipboard_item ("
                           "seq INTEGER PRIMARY KEY, "
                           "id TEXT NOT NULL UNIQUE, "
                           "raw_kind TEXT NOT NULL, "
                           "content TEXT NOT NULL, "
                           "content_hash TEXT NOT NULL, "
                           "created_at INTEGER NOT NULL, "
                           "last_copied_at INTEGER NOT NULL, "
                           "copy_count INTEGER NOT NULL, "
                           "mime_type TEXT NOT NULL, "
                           "source_app_name TEXT NOT NULL, "
                           "source_bundle_id TEXT NOT NULL, "
                           "byte_count INTEGER NOT NULL, "
                           "pixel_width INTEGER NOT NULL, "
                           "pixel_height INTEGER NOT NULL, "
                           "image_path TEXT, "
                           "thumbnail_path TEXT, "
                           "text_path TEXT)"),
            QStringLiteral("CREATE INDEX clipboard_item_recent ON clipboard_item (last_copied_at DESC, id)"),
            QStringLiteral("CREATE INDEX clipboard_item_hash ON clipboard_item (content_hash)"),
            // What a search looks through, folded, in a narrow table of its own: a search reads
            // every row, and reads far less here than in the entries themselves.
            QStringLiteral("CREATE TABLE clipboard_search ("
                           "seq INTEGER PRIMARY KEY, "
                           "raw_kind TEXT NOT NULL, "
                           "search_app TEXT NOT NULL, "
                           "search_content TEXT NOT NULL)"),
            QStringLiteral("CREATE TRIGGER clipboard_search_delete AFTER DELETE ON clipboard_item "
                           "BEGIN DELETE FROM clipboard_search WHERE seq = old.seq; END"),
            QStringLiteral("PRAGMA user_version = %1").arg(schemaVersion),
        };
        if (!connection.transaction())
            return sqlError(openFailedMessage(), connection.lastError());
        for (const QString &statement : statements) {
            if (auto error = exec(statement)) {
                connection.rollback();
                return sqlError(openFailedMessage(), *error);
            }
        }
        if (!connection.commit()) {
            const QSqlError error = connection.lastError();
            connection.rollback();
            return sqlError(openFailedMessage(), error);
        }
        return {};
    }

    // Ids of stored rows that pending changes replace or delete, kept out of every query of
    // the file until the changes are saved.
    Status createHiddenTable() const
    {
        if (auto error = exec(QStringLiteral("CREATE TEMP TABLE pending_hidden (id TEXT PRIMARY KEY NOT NULL)")))
            return sqlError(openFailedMessage(), *error);
        return {};
    }
};

// Opening --------------------------------------------------------------------------------

std::unique_ptr<ClipboardStore> ClipboardStore::make(const QString &folder)
{
    if (!DataPaths::ensureFolder(folder))
        return inMemory(
            Error { openFailedMessage(), QStringLiteral("The folder %1 could not be created.").arg(folder) });

    const QString path = folder + QLatin1Char('/') + databaseFileName();
    const QFileInfo info(path);
    if (info.exists()) {
        if (!info.isFile())
            return inMemory(Error { openFailedMessage(), QStringLiteral("%1 is not a file.").arg(path) });
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return inMemory(Error { openFailedMessage(), file.errorString() });
        const QByteArray header = file.read(16);
        file.close();
        if (!header.isEmpty() && header != QByteArray("SQLite format 3", 16))
            return inMemory(Error { openFailedMessage(), QStringLiteral("The file is not a database.") });
        if (!info.isWritable())
            return inMemory(Error { openFailedMessage(), QStringLiteral("The file cannot be written.") });
    }

    auto database = std::make_unique<Database>(path);
    database->filePath = path;
    if (!database->connection.open())
        return inMemory(sqlError(openFailedMessage(), database->connection.lastError()));
    database->hasSearchFunction = database->installSearchFunction();
    const Result<bool> fresh = database->inspect();
    if (!fresh)
        return inMemory(fresh.error());
    if (fresh.value()) {
        if (auto error = database->exec(QStringLiteral("PRAGMA page_size = %1").arg(pageSize)))
            return inMemory(sqlError(openFailedMessage(), *error));
    }
    if (Status status = database->configure(true); !status)
        return inMemory(status.error());
    if (fresh.value()) {
        if (Status status = database->createSchema(); !status)
            return inMemory(status.error());
    }
    if (Status status = database->createHiddenTable(); !status)
        return inMemory(status.error());

    for (const QString &sub : { QStringLiteral("Images"), QStringLiteral("Thumbnails"), QStringLiteral("Text") })
        DataPaths::ensureFolder(folder + QLatin1Char('/') + sub);

    return std::unique_ptr<ClipboardStore>(new ClipboardStore(std::move(database), folder, std::nullopt));
}

std::unique_ptr<ClipboardStore> ClipboardStore::makeDefault()
{
    return make(DataPaths::appFolder() + QStringLiteral("/Clipboard"));
}

std::unique_ptr<ClipboardStore> ClipboardStore::inMemory(std::optional<Error> loadError)
{
    const QString folder = QDir::tempPath() + QStringLiteral("/Vemra-Clipboard-") + uuidText(QUuid::createUuid());
    auto database = std::make_unique<Database>(QStringLiteral(":memory:"));
    // A database in memory is taken to open; if it does not, every write reports through
    // onError and every read is empty, which is still a working (if forgetful) store.
    if (database->connection.open()) {
        database->hasSearchFunction = database->installSearchFunction();
        database->configure(false);
        database->createSchema();
        database->createHiddenTable();
    }
    return std::unique_ptr<ClipboardStore>(new ClipboardStore(std::move(database), folder, std::move(loadError)));
}

ClipboardStore::ClipboardStore(std::unique_ptr<Database> database, QString folder, std::optional<Error> loadError)
    : m_database(std::move(database))
    , m_folder(std::move(folder))
    , m_loadError(std::move(loadError))
{
}

ClipboardStore::~ClipboardStore() = default;

// Recording ------------------------------------------------------------------------------

ClipboardItem ClipboardStore::record(const ClipboardCapture &capture)
{
    ClipboardItem entry;
    if (std::optional<ClipboardItem> existing = itemWithHash(capture.contentHash)) {
        entry = *existing;
        if (capture.copiedAt >= entry.lastCopiedAt)
            entry.lastCopiedAt = capture.copiedAt;
        entry.copyCount += 1;
        if (!capture.sourceAppName.isEmpty()) {
            entry.sourceAppName = capture.sourceAppName;
            entry.sourceAppId = capture.sourceAppId;
        }
        stage(entry);
        // The entry keeps its own side files; the ones just written for this copy are spare.
        removeSideFiles(capture.filePaths());
    } else {
        entry = ClipboardItem(capture);
        stage(entry);
    }
    save();
    return entry;
}

// Pending changes ------------------------------------------------------------------------

void ClipboardStore::stage(const ClipboardItem &item)
{
    m_pendingItems.insert(item.id, item);
    m_pendingDeletions.remove(item.id);
    QSqlQuery hide = m_database->query();
    hide.prepare(QStringLiteral("INSERT OR IGNORE INTO temp.pending_hidden (id) VALUES (?)"));
    hide.addBindValue(uuidText(item.id));
    hide.exec();
}

void ClipboardStore::stageDeletion(const ClipboardItem &item)
{
    m_pendingItems.remove(item.id);
    m_pendingDeletions.insert(item.id);
    m_pendingFileRemovals << sideFiles(item);
    QSqlQuery hide = m_database->query();
    hide.prepare(QStringLiteral("INSERT OR IGNORE INTO temp.pending_hidden (id) VALUES (?)"));
    hide.addBindValue(uuidText(item.id));
    hide.exec();
}

void ClipboardStore::stageRangeDeletion(const Range &span)
{
    // Side files of the stored entries in the span, read as paths only.
    QSqlQuery files = m_database->query();
    files.setForwardOnly(true);
    files.prepare(QStringLiteral("SELECT i.image_path, i.thumbnail_path, i.text_path FROM clipboard_item AS i "
                                 "WHERE i.last_copied_at >= ? AND i.last_copied_at < ? AND (i.image_path IS NOT NULL "
                                 "OR i.thumbnail_path IS NOT NULL OR i.text_path IS NOT NULL)")
        + hiddenClause());
    files.addBindValue(span.start);
    files.addBindValue(span.end);
    for (const QVariant &binding : hiddenBindings())
        files.addBindValue(binding);
    if (files.exec()) {
        while (files.next()) {
            for (int column = 0; column < 3; ++column) {
                if (!files.value(column).isNull())
                    m_pendingFileRemovals << files.value(column).toString();
            }
        }
    }

    // Pending versions of entries in the span go with them.
    QList<ClipboardItem> covered;
    for (const ClipboardItem &item : std::as_const(m_pendingItems)) {
        const qint64 at = millis(item.lastCopiedAt);
        if (at >= span.start && at < span.end)
            covered << item;
    }
    for (const ClipboardItem &item : std::as_const(covered))
        stageDeletion(item);

    m_pendingRanges << span;
}

bool ClipboardStore::hasPending() const
{
    return !m_pendingItems.isEmpty() || !m_pendingDeletions.isEmpty() || !m_pendingRanges.isEmpty();
}

QString ClipboardStore::hiddenClause() const
{
    if (!hasPending())
        return {};
    QString clause = QStringLiteral(" AND i.id NOT IN (SELECT id FROM temp.pending_hidden)");
    for (qsizetype i = 0; i < m_pendingRanges.size(); ++i)
        clause += QStringLiteral(" AND NOT (i.last_copied_at >= ? AND i.last_copied_at < ?)");
    return clause;
}

QVariantList ClipboardStore::hiddenBindings() const
{
    QVariantList bindings;
    for (const Range &span : m_pendingRanges)
        bindings << span.start << span.end;
    return bindings;
}

// Saving ---------------------------------------------------------------------------------

void ClipboardStore::save()
{
    ++m_revision;
    Q_EMIT revisionChanged(m_revision);
    if (!hasPending())
        return;

    const Status status = writePending();
    if (!status) {
        if (onError)
            onError(saveFailedMessage(), status.error());
        return;
    }

    m_pendingItems.clear();
    m_pendingDeletions.clear();
    m_pendingRanges.clear();
    m_database->exec(QStringLiteral("DELETE FROM temp.pending_hidden"));
    // Only now that no saved entry refers to them.
    const QStringList removals = std::exchange(m_pendingFileRemovals, {});
    removeSideFiles(removals);
}

Status ClipboardStore::writePending()
{
    QSqlDatabase &connection = m_database->connection;
    if (!connection.transaction())
        return sqlError(saveFailedMessage(), connection.lastError());

    auto fail = [&connection](const QSqlError &error) {
        connection.rollback();
        return Status(sqlError(saveFailedMessage(), error));
    };

    for (const Range &span : std::as_const(m_pendingRanges)) {
        QSqlQuery erase = m_database->query();
        erase.prepare(QStringLiteral("DELETE FROM clipboard_item WHERE last_copied_at >= ? AND last_copied_at < ?"));
        erase.addBindValue(span.start);
        erase.addBindValue(span.end);
        if (!erase.exec())
            return fail(erase.lastError());
    }

    if (!m_pendingDeletions.isEmpty()) {
        QSqlQuery erase = m_database->query();
        erase.prepare(QStringLiteral("DELETE FROM clipboard_item WHERE id = ?"));
        for (const QUuid &id : std::as_const(m_pendingDeletions)) {
            erase.bindValue(0, uuidText(id));
            if (!erase.exec())
                return fail(erase.lastError());
        }
    }

    if (!m_pendingItems.isEmpty()) {
        QSqlQuery upsert = m_database->query();
        upsert.prepare(QStringLiteral(
            "INSERT INTO clipboard_item (id, raw_kind, content, content_hash, created_at, last_copied_at, copy_count, "
            "mime_type, source_app_name, source_bundle_id, byte_count, pixel_width, pixel_height, image_path, "
            "thumbnail_path, text_path) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
            "ON CONFLICT (id) DO UPDATE SET raw_kind = excluded.raw_kind, content = excluded.content, "
            "content_hash = excluded.content_hash, created_at = excluded.created_at, "
            "last_copied_at = excluded.last_copied_at, copy_count = excluded.copy_count, "
            "mime_type = excluded.mime_type, source_app_name = excluded.source_app_name, "
            "source_bundle_id = excluded.source_bundle_id, byte_count = excluded.byte_count, "
            "pixel_width = excluded.pixel_width, pixel_height = excluded.pixel_height, "
            "image_path = excluded.image_path, thumbnail_path = excluded.thumbnail_path, text_path = "
            "excluded.text_path"));
        QSqlQuery search = m_database->query();
        search.prepare(QStringLiteral(
            "INSERT INTO clipboard_search (seq, raw_kind, search_app, search_content) "
            "SELECT seq, raw_kind, ?, ? FROM clipboard_item WHERE id = ? "
            "ON CONFLICT (seq) DO UPDATE SET raw_kind = excluded.raw_kind, search_app = excluded.search_app, "
            "search_content = excluded.search_content"));
        for (const ClipboardItem &item : std::as_const(m_pendingItems)) {
            const QString id = uuidText(item.id);
            const QVariantList values {
                id,
                storedText(item.rawKind),
                storedText(item.content),
                storedText(item.contentHash),
                millis(item.createdAt),
                millis(item.lastCopiedAt),
                item.copyCount,
                storedText(item.mimeType),
                storedText(item.sourceAppName),
                storedText(item.sourceAppId),
                item.byteCount,
                item.pixelWidth,
                item.pixelHeight,
                optionalText(item.imagePath),
                optionalText(item.thumbnailPath),
                optionalText(item.textPath),
            };
            for (qsizetype i = 0; i < values.size(); ++i)
                upsert.bindValue(int(i), values[i]);
            if (!upsert.exec())
                return fail(upsert.lastError());
            search.bindValue(0, storedText(ClipboardItem::searchFolded(item.sourceAppName)));
            search.bindValue(1, storedText(ClipboardItem::searchFolded(item.content)));
            search.bindValue(2, id);
            if (!search.exec())
                return fail(search.lastError());
        }
    }

    if (!connection.commit())
        return fail(connection.lastError());
    return {};
}

// Reading --------------------------------------------------------------------------------

QString ClipboardStore::source(const Filter &filter) const
{
    // A search walks the entries in history order and looks up each one's search row, so a
    // page stops as soon as it is full.
    return filter.search
        ? QStringLiteral(" FROM clipboard_item AS i CROSS JOIN clipboard_search AS s ON s.seq = i.seq WHERE ")
        : QStringLiteral(" FROM clipboard_item AS i WHERE ");
}

QList<ClipboardItem> ClipboardStore::fetch(const Filter &filter, std::optional<int> limit) const
{
    QList<ClipboardItem> result;
    if (limit && *limit <= 0)
        return result;

    QSqlQuery query = m_database->query();
    query.setForwardOnly(true);
    QString statement = QStringLiteral("SELECT ") + itemColumns() + source(filter)
        + (filter.where.isEmpty() ? QStringLiteral("1") : filter.where) + hiddenClause() + orderClause();
    if (limit)
        statement += QStringLiteral(" LIMIT %1").arg(*limit);
    if (!query.prepare(statement))
        return {};
    for (const QVariant &binding : filter.bindings + hiddenBindings())
        query.addBindValue(binding);
    if (!query.exec())
        return {};
    while (query.next())
        result << rowToItem(query);

    bool merged = false;
    for (const ClipboardItem &item : m_pendingItems) {
        if (!filter.accepts || filter.accepts(item)) {
            result << item;
            merged = true;
        }
    }
    if (merged) {
        std::sort(result.begin(), result.end(), &ClipboardItem::recentOrder);
        if (limit && result.size() > *limit)
            result.resize(*limit);
    }
    return result;
}

qint64 ClipboardStore::tally(const Filter &filter) const
{
    QSqlQuery query = m_database->query();
    query.setForwardOnly(true);
    QString statement;
    if (filter.search && !hasPending()) {
        if (const std::optional<qint64> total = m_database->countInParallel(filter.where, filter.bindings))
            return *total;
        // Only the narrow search rows are read.
        statement = QStringLiteral("SELECT count(*) FROM clipboard_search AS s WHERE ") + filter.where;
    } else {
        statement = QStringLiteral("SELECT count(*)") + source(filter)
            + (filter.where.isEmpty() ? QStringLiteral("1") : filter.where) + hiddenClause();
    }
    if (!query.prepare(statement))
        return 0;
    for (const QVariant &binding : filter.bindings + hiddenBindings())
        query.addBindValue(binding);
    if (!query.exec() || !query.next())
        return 0;
    qint64 total = query.value(0).toLongLong();
    for (const ClipboardItem &item : m_pendingItems) {
        if (!filter.accepts || filter.accepts(item))
            ++total;
    }
    return total;
}

ClipboardStore::Filter ClipboardStore::searchFilter(const QString &query) const
{
    const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
    Filter filter;
    if (!predicate)
        return filter;
    filter.search = true;
    if (m_database->hasSearchFunction) {
        filter.where = QStringLiteral("(contains_folded(?, s.search_content, s.search_app)");
        filter.bindings << predicate->folded;
    } else {
        filter.where = QStringLiteral("(instr(s.search_content, ?) > 0 OR instr(s.search_app, ?) > 0");
        filter.bindings << predicate->folded << predicate->folded;
    }
    if (!predicate->kindWord.isEmpty()) {
        filter.where += QStringLiteral(" OR s.raw_kind = ?");
        filter.bindings << predicate->kindWord;
    }
    filter.where += QLatin1Char(')');
    filter.accepts = [predicate](const ClipboardItem &item) { return predicate->accepts(item); };
    return filter;
}

ClipboardStore::Filter ClipboardStore::periodFilter(const Range &span) const
{
    Filter filter;
    filter.where = QStringLiteral("i.last_copied_at >= ? AND i.last_copied_at < ?");
    filter.bindings << span.start << span.end;
    filter.accepts = [span](const ClipboardItem &item) {
        const qint64 at = millis(item.lastCopiedAt);
        return at >= span.start && at < span.end;
    };
    return filter;
}

QList<ClipboardItem> ClipboardStore::items(std::optional<int> limit) const
{
    return fetch({}, limit);
}

QList<ClipboardItem> ClipboardStore::items(const QString &query, int limit) const
{
    return fetch(searchFilter(query), limit);
}

std::optional<ClipboardItem> ClipboardStore::item(const QUuid &id) const
{
    if (auto pending = m_pendingItems.constFind(id); pending != m_pendingItems.cend())
        return *pending;
    if (m_pendingDeletions.contains(id))
        return std::nullopt;
    Filter filter;
    filter.where = QStringLiteral("i.id = ?");
    filter.bindings << uuidText(id);
    filter.accepts = [](const ClipboardItem &) { return false; }; // pending ones are handled above
    const QList<ClipboardItem> found = fetch(filter, 1);
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

std::optional<ClipboardItem> ClipboardStore::itemWithHash(const QString &contentHash) const
{
    for (const ClipboardItem &pending : m_pendingItems) {
        if (pending.contentHash == contentHash)
            return pending;
    }
    QSqlQuery query = m_database->query();
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("SELECT ") + itemColumns()
            + QStringLiteral(" FROM clipboard_item AS i WHERE i.content_hash = ?") + hiddenClause()
            + QStringLiteral(" LIMIT 1")))
        return std::nullopt;
    query.addBindValue(contentHash);
    for (const QVariant &binding : hiddenBindings())
        query.addBindValue(binding);
    if (!query.exec() || !query.next())
        return std::nullopt;
    return rowToItem(query);
}

qint64 ClipboardStore::count() const
{
    return tally({});
}

qint64 ClipboardStore::count(const QString &query) const
{
    return tally(searchFilter(query));
}

std::optional<ClipboardStore::Range> ClipboardStore::range(
    const ClearRequest &request, const QDateTime &now, const ClipboardCalendar &calendar) const
{
    if (request.isAll())
        return std::nullopt;
    const DateInterval span = ClipboardPeriods::interval(*request.period(), now, calendar);
    return Range { millis(span.start), millis(span.end) };
}

QList<ClipboardItem> ClipboardStore::items(const ClearRequest &request, const QDateTime &now,
    const ClipboardCalendar &calendar, std::optional<int> limit) const
{
    const std::optional<Range> span = range(request, now, calendar);
    return span ? fetch(periodFilter(*span), limit) : items(limit);
}

qint64 ClipboardStore::count(const ClearRequest &request, const QDateTime &now, const ClipboardCalendar &calendar) const
{
    const std::optional<Range> span = range(request, now, calendar);
    return span ? tally(periodFilter(*span)) : count();
}

// Side files -----------------------------------------------------------------------------

std::optional<QString> ClipboardStore::filePath(const QString &relativePath) const
{
    if (relativePath.isEmpty() || QDir::isAbsolutePath(relativePath) || relativePath.contains(QLatin1Char('\\'))
        || relativePath.contains(QChar(0)))
        return std::nullopt;
    const QStringList parts = relativePath.split(QLatin1Char('/'));
    for (const QString &part : parts) {
        if (part.isEmpty() || part == QStringLiteral("..") || part == QStringLiteral("."))
            return std::nullopt;
    }
    return m_folder + QLatin1Char('/') + relativePath;
}

QUrl ClipboardStore::url(const QString &relativePath) const
{
    const std::optional<QString> path = filePath(relativePath);
    return path ? QUrl::fromLocalFile(*path) : QUrl();
}

std::optional<QString> ClipboardStore::fullText(const ClipboardItem &item) const
{
    if (!item.textPath)
        return item.content;
    const std::optional<QString> path = filePath(*item.textPath);
    if (!path)
        return std::nullopt;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

void ClipboardStore::removeSideFiles(const QStringList &paths)
{
    for (const QString &relative : paths) {
        if (const std::optional<QString> path = filePath(relative))
            QFile::remove(*path);
    }
}

// Copy-back and deletion -----------------------------------------------------------------

bool ClipboardStore::copy(const ClipboardItem &item, SystemClipboard &systemClipboard, const QDateTime &now)
{
    ClipboardWrite contents;
    switch (item.kind()) {
    case ClipboardItem::Kind::Text:
    case ClipboardItem::Kind::Code:
    case ClipboardItem::Kind::Url: {
        contents.text = fullText(item);
        if (!contents.text)
            return false;
        if (const std::optional<QUrl> link = item.url())
            contents.urls = { *link };
        break;
    }
    case ClipboardItem::Kind::Image: {
        if (!item.imagePath)
            return false;
        const std::optional<QString> path = filePath(*item.imagePath);
        if (!path)
            return false;
        QFile file(*path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return false;
        contents.data.append({ mimeTypeFor(item.mimeType), bytes });
        break;
    }
    case ClipboardItem::Kind::File:
        for (const QString &path : item.filePaths())
            contents.fileUrls.append(QUrl::fromLocalFile(path));
        break;
    }

    const std::optional<qint64> changeCount = systemClipboard.write(contents);
    if (!changeCount)
        return false;
    if (onCopyBack)
        onCopyBack(*changeCount);

    // The stored version, not the caller's copy, so that a stale copy does not undo a fold.
    if (std::optional<ClipboardItem> current = this->item(item.id)) {
        current->lastCopiedAt = now;
        current->copyCount += 1;
        stage(*current);
    }
    save();
    return true;
}

void ClipboardStore::deleteItems(const QList<ClipboardItem> &items)
{
    if (items.isEmpty())
        return;
    for (const ClipboardItem &given : items) {
        // The stored side-file paths, when the entry is known; the given ones otherwise.
        const std::optional<ClipboardItem> current = item(given.id);
        stageDeletion(current.value_or(given));
    }
    save();
}

void ClipboardStore::deleteItems(const ClearRequest &request, const QDateTime &now, const ClipboardCalendar &calendar)
{
    const std::optional<Range> span = range(request, now, calendar);
    // Everything is the span of every representable moment.
    stageRangeDeletion(span.value_or(Range { std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max() }));
    save();
}
