#include "Services/ClipboardStore.h"

#include "Platform/DataPaths.h"
#include "Services/PasteboardWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringDecoder>
#include <QVariant>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

constexpr int schemaVersion = 1;

QString saveFailedMessage()
{
    return QStringLiteral("Vemra couldn\u2019t save your clipboard history.");
}

QString openFailedMessage()
{
    return QStringLiteral("Vemra couldn\u2019t open your clipboard history.");
}

// Every column, in the order rowToItem reads them.
const QString &itemColumns()
{
    static const QString columns = QStringLiteral(
        "id, raw_kind, content, content_hash, created_at, last_copied_at, copy_count, mime_type, source_app_name, "
        "source_bundle_id, byte_count, pixel_width, pixel_height, image_path, thumbnail_path, text_path");
    return columns;
}

const QStringList &requiredColumns()
{
    static const QStringList columns = [] {
        QStringList names = itemColumns().split(QStringLiteral(", "));
        names << QStringLiteral("search_content") << QStringLiteral("search_app");
        return names;
    }();
    return columns;
}

const QString &orderClause()
{
    static const QString order = QStringLiteral(" ORDER BY last_copied_at DESC, id");
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
    item.sourceBundleID = query.value(9).toString();
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
    for (const auto *path : {&item.imagePath, &item.thumbnailPath, &item.textPath}) {
        if (path->has_value())
            paths.append(**path);
    }
    return paths;
}

Error sqlError(const QString &message, const QSqlError &error)
{
    return Error{message, error.text()};
}

// The pasteboard form of a stored image type identifier.
QString mimeTypeFor(const QString &identifier)
{
    static const QHash<QString, QString> table{
        {QStringLiteral("public.png"), QStringLiteral("image/png")},
        {QStringLiteral("public.jpeg"), QStringLiteral("image/jpeg")},
        {QStringLiteral("public.heic"), QStringLiteral("image/heic")},
        {QStringLiteral("com.compuserve.gif"), QStringLiteral("image/gif")},
        {QStringLiteral("public.tiff"), QStringLiteral("image/tiff")},
    };
    return table.value(identifier, identifier.contains(QLatin1Char('/')) ? identifier : QStringLiteral("image/png"));
}

} // namespace

struct ClipboardStore::Database
{
    QString name;
    QSqlDatabase connection;

    explicit Database(const QString &path)
        : name(QStringLiteral("vemra-clipboard-") + uuidText(QUuid::createUuid()))
        , connection(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name))
    {
        connection.setDatabaseName(path);
    }

    ~Database()
    {
        connection.close();
        connection = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }

    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    QSqlQuery query() const { return QSqlQuery(connection); }

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
            return Error{openFailedMessage(), QStringLiteral("The history was written by a newer version of Vemra.")};
        if (userVersion != schemaVersion || !names.contains(QStringLiteral("clipboard_item")))
            return Error{openFailedMessage(), QStringLiteral("The file is not a clipboard history.")};

        QSqlQuery columns = query();
        if (!columns.exec(QStringLiteral("PRAGMA table_info(clipboard_item)")))
            return sqlError(openFailedMessage(), columns.lastError());
        QStringList present;
        while (columns.next())
            present << columns.value(1).toString();
        for (const QString &column : requiredColumns()) {
            if (!present.contains(column))
                return Error{openFailedMessage(), QStringLiteral("The history is missing the column %1.").arg(column)};
        }
        // Reading one row proves the table's pages can be read.
        QSqlQuery probe = query();
        if (!probe.exec(QStringLiteral("SELECT ") + itemColumns() + QStringLiteral(" FROM clipboard_item LIMIT 1")))
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
                return Error{openFailedMessage(), QStringLiteral("The history cannot be written ahead of time.")};
            if (auto error = exec(QStringLiteral("PRAGMA synchronous = NORMAL")))
                return sqlError(openFailedMessage(), *error);
        }
        for (const QString &pragma : {QStringLiteral("PRAGMA busy_timeout = 2000"), QStringLiteral("PRAGMA temp_store = MEMORY")}) {
            if (auto error = exec(pragma))
                return sqlError(openFailedMessage(), *error);
        }
        return {};
    }

    Status createSchema()
    {
        static const QStringList statements{
            QStringLiteral("CREATE TABLE clipboard_item ("
                           "id TEXT PRIMARY KEY NOT NULL, "
                           "raw_kind TEXT NOT NULL, "
                           "last_copied_at INTEGER NOT NULL, "
                           "search_app TEXT NOT NULL, "
                           "search_content TEXT NOT NULL, "
                           "content TEXT NOT NULL, "
                           "content_hash TEXT NOT NULL, "
                           "created_at INTEGER NOT NULL, "
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
        return inMemory(Error{openFailedMessage(), QStringLiteral("The folder %1 could not be created.").arg(folder)});

    const QString path = folder + QLatin1Char('/') + databaseFileName();
    const QFileInfo info(path);
    if (info.exists()) {
        if (!info.isFile())
            return inMemory(Error{openFailedMessage(), QStringLiteral("%1 is not a file.").arg(path)});
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return inMemory(Error{openFailedMessage(), file.errorString()});
        const QByteArray header = file.read(16);
        file.close();
        if (!header.isEmpty() && header != QByteArray("SQLite format 3", 16))
            return inMemory(Error{openFailedMessage(), QStringLiteral("The file is not a database.")});
        if (!info.isWritable())
            return inMemory(Error{openFailedMessage(), QStringLiteral("The file cannot be written.")});
    }

    auto database = std::make_unique<Database>(path);
    if (!database->connection.open())
        return inMemory(sqlError(openFailedMessage(), database->connection.lastError()));
    const Result<bool> fresh = database->inspect();
    if (!fresh)
        return inMemory(fresh.error());
    if (Status status = database->configure(true); !status)
        return inMemory(status.error());
    if (fresh.value()) {
        if (Status status = database->createSchema(); !status)
            return inMemory(status.error());
    }
    if (Status status = database->createHiddenTable(); !status)
        return inMemory(status.error());

    for (const QString &sub : {QStringLiteral("Images"), QStringLiteral("Thumbnails"), QStringLiteral("Text")})
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
            entry.sourceBundleID = capture.sourceBundleID;
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
    files.prepare(QStringLiteral("SELECT image_path, thumbnail_path, text_path FROM clipboard_item "
                                 "WHERE last_copied_at >= ? AND last_copied_at < ? "
                                 "AND (image_path IS NOT NULL OR thumbnail_path IS NOT NULL OR text_path IS NOT NULL)")
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
    QString clause = QStringLiteral(" AND id NOT IN (SELECT id FROM temp.pending_hidden)");
    for (qsizetype i = 0; i < m_pendingRanges.size(); ++i)
        clause += QStringLiteral(" AND NOT (last_copied_at >= ? AND last_copied_at < ?)");
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
            "INSERT INTO clipboard_item (id, raw_kind, last_copied_at, search_app, search_content, content, "
            "content_hash, created_at, copy_count, mime_type, source_app_name, source_bundle_id, byte_count, "
            "pixel_width, pixel_height, image_path, thumbnail_path, text_path) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
            "ON CONFLICT (id) DO UPDATE SET raw_kind = excluded.raw_kind, last_copied_at = excluded.last_copied_at, "
            "search_app = excluded.search_app, search_content = excluded.search_content, content = excluded.content, "
            "content_hash = excluded.content_hash, created_at = excluded.created_at, copy_count = excluded.copy_count, "
            "mime_type = excluded.mime_type, source_app_name = excluded.source_app_name, "
            "source_bundle_id = excluded.source_bundle_id, byte_count = excluded.byte_count, "
            "pixel_width = excluded.pixel_width, pixel_height = excluded.pixel_height, "
            "image_path = excluded.image_path, thumbnail_path = excluded.thumbnail_path, text_path = excluded.text_path"));
        for (const ClipboardItem &item : std::as_const(m_pendingItems)) {
            const QVariantList values{
                uuidText(item.id),
                storedText(item.rawKind),
                millis(item.lastCopiedAt),
                storedText(ClipboardItem::searchFolded(item.sourceAppName)),
                storedText(ClipboardItem::searchFolded(item.content)),
                storedText(item.content),
                storedText(item.contentHash),
                millis(item.createdAt),
                item.copyCount,
                storedText(item.mimeType),
                storedText(item.sourceAppName),
                storedText(item.sourceBundleID),
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
        }
    }

    if (!connection.commit())
        return fail(connection.lastError());
    return {};
}

// Reading --------------------------------------------------------------------------------

QList<ClipboardItem> ClipboardStore::fetch(const QString &where, const QVariantList &bindings,
                                           const std::function<bool(const ClipboardItem &)> &accepts,
                                           std::optional<int> limit) const
{
    QList<ClipboardItem> result;
    if (limit && *limit <= 0)
        return result;

    QSqlQuery query = m_database->query();
    query.setForwardOnly(true);
    QString statement = QStringLiteral("SELECT ") + itemColumns() + QStringLiteral(" FROM clipboard_item WHERE ")
        + (where.isEmpty() ? QStringLiteral("1") : where) + hiddenClause() + orderClause();
    if (limit)
        statement += QStringLiteral(" LIMIT %1").arg(*limit);
    if (!query.prepare(statement))
        return {};
    for (const QVariant &binding : bindings)
        query.addBindValue(binding);
    for (const QVariant &binding : hiddenBindings())
        query.addBindValue(binding);
    if (!query.exec())
        return {};
    while (query.next())
        result << rowToItem(query);

    bool merged = false;
    for (const ClipboardItem &item : m_pendingItems) {
        if (accepts(item)) {
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

qint64 ClipboardStore::tally(const QString &where, const QVariantList &bindings,
                             const std::function<bool(const ClipboardItem &)> &accepts) const
{
    QSqlQuery query = m_database->query();
    query.setForwardOnly(true);
    const QString statement = QStringLiteral("SELECT count(*) FROM clipboard_item WHERE ")
        + (where.isEmpty() ? QStringLiteral("1") : where) + hiddenClause();
    if (!query.prepare(statement))
        return 0;
    for (const QVariant &binding : bindings)
        query.addBindValue(binding);
    for (const QVariant &binding : hiddenBindings())
        query.addBindValue(binding);
    if (!query.exec() || !query.next())
        return 0;
    qint64 total = query.value(0).toLongLong();
    for (const ClipboardItem &item : m_pendingItems) {
        if (accepts(item))
            ++total;
    }
    return total;
}

namespace {

struct SearchFilter
{
    QString where;
    QVariantList bindings;
};

SearchFilter searchFilter(const std::optional<ClipboardItem::Predicate> &predicate)
{
    if (!predicate)
        return {};
    if (predicate->kindWord.isEmpty())
        return {QStringLiteral("(instr(search_content, ?) > 0 OR instr(search_app, ?) > 0)"),
                {predicate->folded, predicate->folded}};
    return {QStringLiteral("(instr(search_content, ?) > 0 OR instr(search_app, ?) > 0 OR raw_kind = ?)"),
            {predicate->folded, predicate->folded, predicate->kindWord}};
}

} // namespace

QList<ClipboardItem> ClipboardStore::items(std::optional<int> limit) const
{
    return fetch({}, {}, [](const ClipboardItem &) { return true; }, limit);
}

QList<ClipboardItem> ClipboardStore::items(const QString &query, int limit) const
{
    const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
    const SearchFilter filter = searchFilter(predicate);
    return fetch(filter.where, filter.bindings,
                 [&predicate](const ClipboardItem &item) { return !predicate || predicate->accepts(item); }, limit);
}

std::optional<ClipboardItem> ClipboardStore::item(const QUuid &id) const
{
    if (auto pending = m_pendingItems.constFind(id); pending != m_pendingItems.cend())
        return *pending;
    if (m_pendingDeletions.contains(id))
        return std::nullopt;
    const QList<ClipboardItem> found = fetch(QStringLiteral("id = ?"), {uuidText(id)},
                                             [](const ClipboardItem &) { return false; }, 1);
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
                       + QStringLiteral(" FROM clipboard_item WHERE content_hash = ?") + hiddenClause()
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
    return tally({}, {}, [](const ClipboardItem &) { return true; });
}

qint64 ClipboardStore::count(const QString &query) const
{
    const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
    const SearchFilter filter = searchFilter(predicate);
    return tally(filter.where, filter.bindings,
                 [&predicate](const ClipboardItem &item) { return !predicate || predicate->accepts(item); });
}

std::optional<ClipboardStore::Range> ClipboardStore::range(const ClearRequest &request, const QDateTime &now,
                                                           const ClipboardCalendar &calendar) const
{
    if (request.isAll())
        return std::nullopt;
    const DateInterval span = ClipboardPeriods::interval(*request.period(), now, calendar);
    return Range{millis(span.start), millis(span.end)};
}

QList<ClipboardItem> ClipboardStore::items(const ClearRequest &request, const QDateTime &now,
                                           const ClipboardCalendar &calendar, std::optional<int> limit) const
{
    const std::optional<Range> span = range(request, now, calendar);
    if (!span)
        return items(limit);
    return fetch(QStringLiteral("last_copied_at >= ? AND last_copied_at < ?"), {span->start, span->end},
                 [&span](const ClipboardItem &item) {
                     const qint64 at = millis(item.lastCopiedAt);
                     return at >= span->start && at < span->end;
                 },
                 limit);
}

qint64 ClipboardStore::count(const ClearRequest &request, const QDateTime &now,
                             const ClipboardCalendar &calendar) const
{
    const std::optional<Range> span = range(request, now, calendar);
    if (!span)
        return count();
    return tally(QStringLiteral("last_copied_at >= ? AND last_copied_at < ?"), {span->start, span->end},
                 [&span](const ClipboardItem &item) {
                     const qint64 at = millis(item.lastCopiedAt);
                     return at >= span->start && at < span->end;
                 });
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

bool ClipboardStore::copy(const ClipboardItem &item, PasteboardWriter &pasteboard, const QDateTime &now)
{
    auto data = std::make_unique<QMimeData>();
    switch (item.kind()) {
    case ClipboardItem::Kind::Text:
    case ClipboardItem::Kind::Code: {
        const std::optional<QString> text = fullText(item);
        if (!text)
            return false;
        data->setText(*text);
        break;
    }
    case ClipboardItem::Kind::Url: {
        const std::optional<QString> text = fullText(item);
        if (!text)
            return false;
        data->setText(*text);
        if (const std::optional<QUrl> link = item.url())
            data->setUrls({*link});
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
        data->setData(mimeTypeFor(item.mimeType), bytes);
        break;
    }
    case ClipboardItem::Kind::File: {
        QList<QUrl> urls;
        QByteArray copied("copy");
        for (const QString &path : item.filePaths()) {
            const QUrl link = QUrl::fromLocalFile(path);
            urls << link;
            copied += '\n' + link.toEncoded();
        }
        data->setUrls(urls);
        // File managers paste copied files from this form.
        data->setData(QStringLiteral("x-special/gnome-copied-files"), copied);
        break;
    }
    }

    if (!pasteboard.write(std::move(data)))
        return false;
    if (onCopyBack)
        onCopyBack(pasteboard.changeCount());

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
    stageRangeDeletion(span.value_or(Range{std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()}));
    save();
}
