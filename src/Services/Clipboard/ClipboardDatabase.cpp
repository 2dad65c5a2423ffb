#include "Services/Clipboard/ClipboardDatabase.h"

#include "Platform/Logging.h"
#include "Services/Storage/StoreStatement.h"

#include <QHash>
#include <QSqlQuery>

#include <sqlite3.h>

#include <limits>

namespace {

// The fields, in the order item() reads them: the four names (the kind, the type, the source's
// name and id), which take the same few values in entry after entry, are kept once in
// clipboard_name, the entry holding their codes.
const QStringList &fieldColumns()
{
    static const QStringList columns
        = QStringLiteral("id kind_code content content_hash created_at last_copied_at copy_count mime_code "
                         "app_name_code app_id_code byte_count pixel_width pixel_height image_path "
                         "thumbnail_path text_path")
              .split(QLatin1Char(' '));
    return columns;
}

bool isNameCode(const QString &column)
{
    return column.endsWith(QStringLiteral("_code"));
}

// The columns that every layout has had under the same name.
QStringList lastingColumns()
{
    QStringList columns = fieldColumns();
    columns.removeIf(&isNameCode);
    return columns;
}

QString nameTable()
{
    return QStringLiteral("CREATE TABLE clipboard_name (code INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE)");
}

// The name a code of `row` (an entry of clipboard_item) stands for.
QString nameOf(const QString &row, const QString &column)
{
    return QStringLiteral("(SELECT name FROM clipboard_name WHERE code = ") + row + QLatin1Char('.') + column
        + QLatin1Char(')');
}

// SQLite keeps a null QString as NULL; stored text is never NULL.
QVariant storedText(const QString &value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

std::optional<QString> optionalFrom(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toString();
}

// The entries. Beside each one what a search looks through: its content and source name
// folded, kept only for text beyond ASCII (the scan folds ASCII itself), so that most entries
// hold their text once.
QString itemTable()
{
    return QStringLiteral("CREATE TABLE clipboard_item ("
                          "seq INTEGER PRIMARY KEY, "
                          "id BLOB NOT NULL UNIQUE, "
                          "kind_code INTEGER NOT NULL, "
                          "content TEXT NOT NULL, "
                          "content_hash BLOB NOT NULL, "
                          "created_at INTEGER NOT NULL, "
                          "last_copied_at INTEGER NOT NULL, "
                          "copy_count INTEGER NOT NULL, "
                          "mime_code INTEGER NOT NULL, "
                          "app_name_code INTEGER NOT NULL, "
                          "app_id_code INTEGER NOT NULL, "
                          "byte_count INTEGER NOT NULL, "
                          "pixel_width INTEGER NOT NULL, "
                          "pixel_height INTEGER NOT NULL, "
                          "image_path TEXT, "
                          "thumbnail_path TEXT, "
                          "text_path TEXT)");
}

// The history's order, read backwards (a new copy goes at the end, which keeps the pages
// full; the few entries copied at the same moment are put in order by id as they are read),
// and the head of each hash: enough to find an entry by its hash among millions, in a
// quarter of the room.
QStringList itemIndexes()
{
    return { QStringLiteral("CREATE INDEX clipboard_item_recent ON clipboard_item (last_copied_at)"),
        QStringLiteral("CREATE INDEX clipboard_item_hash ON clipboard_item (substr(content_hash, 1, 8))") };
}

// Every entry changed or deleted, in turn, since the search's column took its snapshot of the
// entries (ClipboardSearch); -1 when the whole history went.
QStringList changeLog()
{
    return {
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS clipboard_change (n INTEGER PRIMARY KEY AUTOINCREMENT, seq INTEGER NOT NULL)"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS clipboard_item_changed AFTER UPDATE ON clipboard_item "
                       "BEGIN INSERT INTO clipboard_change (seq) VALUES (old.seq); END")
    };
}

void resultVariant(sqlite3_context *context, const QVariant &value)
{
    if (value.isNull()) {
        sqlite3_result_null(context);
    } else if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        sqlite3_result_blob64(context, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
    } else {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_result_text64(context, text.constData(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
}

QString argumentText(sqlite3_value *value)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
    return QString::fromUtf8(text, text ? sqlite3_value_bytes(value) : 0);
}

// Ids and hashes stored in binary already (from the fifth layout on) stay as they are.
bool keptAsItIs(sqlite3_context *context, sqlite3_value *value)
{
    if (sqlite3_value_type(value) != SQLITE_BLOB)
        return false;
    sqlite3_result_value(context, value);
    return true;
}

// What an upgrade turns the text forms of older files into: stored_id() and stored_hash() give
// what write() would store.
bool addFunctions(sqlite3 *handle)
{
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    using Function = void (*)(sqlite3_context *, int, sqlite3_value **);
    const std::pair<const char *, Function> functions[] = {
        { "stored_id",
            [](sqlite3_context *context, int, sqlite3_value **arguments) {
                if (keptAsItIs(context, arguments[0]))
                    return;
                const QString text = argumentText(arguments[0]);
                const QUuid id = QUuid::fromString(text);
                resultVariant(context, id.isNull() ? QVariant(text) : ClipboardDatabase::idValue(id));
            } },
        { "stored_hash",
            [](sqlite3_context *context, int, sqlite3_value **arguments) {
                if (keptAsItIs(context, arguments[0]))
                    return;
                resultVariant(context, ClipboardDatabase::hashValue(argumentText(arguments[0])));
            } },
    };
    for (const auto &[name, function] : functions) {
        if (sqlite3_create_function_v2(handle, name, 1, flags, nullptr, function, nullptr, nullptr, nullptr)
            != SQLITE_OK)
            return false;
    }
    return ClipboardSearch::install(handle);
}

QDateTime utc(const QVariant &value)
{
    return QDateTime::fromMSecsSinceEpoch(value.toLongLong(), Qt::UTC);
}

} // namespace

const StoreSchema &ClipboardDatabase::schema()
{
    static const StoreSchema schema {
        8,
        { { QStringLiteral("clipboard_item"), lastingColumns() } },
        // `seq` orders the rows as they were added, which a search scans in spans; `id` is the
        // entry's identity.
        QStringList { nameTable(), itemTable() } + itemIndexes() + changeLog(),
        // The first versions kept the folded text in a table of its own, then beside the
        // entry's, folded Hangul syllables into their letters, kept ids and hashes as text,
        // with an index of whole hashes, and the names in every entry: each entry is written
        // afresh with its `seq`, and the search's column is told that everything changed.
        1,
        QStringList { QStringLiteral("DROP TRIGGER IF EXISTS clipboard_search_delete"),
            QStringLiteral("DROP TRIGGER IF EXISTS clipboard_item_changed"),
            QStringLiteral("DROP TABLE IF EXISTS clipboard_search"),
            QStringLiteral("DROP INDEX IF EXISTS clipboard_item_recent"),
            QStringLiteral("DROP INDEX IF EXISTS clipboard_item_hash"),
            QStringLiteral("ALTER TABLE clipboard_item RENAME TO clipboard_item_before"), nameTable(),
            QStringLiteral("INSERT INTO clipboard_name (name) SELECT raw_kind FROM clipboard_item_before "
                           "UNION SELECT mime_type FROM clipboard_item_before "
                           "UNION SELECT source_app_name FROM clipboard_item_before "
                           "UNION SELECT source_bundle_id FROM clipboard_item_before"),
            itemTable(),
            QStringLiteral("INSERT INTO clipboard_item (seq, ") + fieldColumns().join(QStringLiteral(", "))
                + QStringLiteral(
                    ") SELECT seq, stored_id(id), (SELECT code FROM clipboard_name WHERE name = raw_kind), "
                    "content, stored_hash(content_hash), created_at, last_copied_at, copy_count, "
                    "(SELECT code FROM clipboard_name WHERE name = mime_type), "
                    "(SELECT code FROM clipboard_name WHERE name = source_app_name), "
                    "(SELECT code FROM clipboard_name WHERE name = source_bundle_id), "
                    "byte_count, pixel_width, pixel_height, image_path, thumbnail_path, text_path "
                    "FROM clipboard_item_before"),
            QStringLiteral("DROP TABLE clipboard_item_before") }
            + itemIndexes() + changeLog()
            + QStringList { QStringLiteral("INSERT INTO clipboard_change (seq) VALUES (-1)") },
        // Larger than the default: a search reads every row, and fewer, larger reads are faster.
        16384,
        QStringLiteral("Vemra couldn’t open your clipboard history."),
        QStringLiteral("Vemra couldn’t save your clipboard history."),
        &addFunctions,
    };
    return schema;
}

ClipboardDatabase::ClipboardDatabase(std::unique_ptr<StoreDatabase> sql)
    : m_sql(std::move(sql))
    , m_search(m_sql->filePath())
{
}

Result<std::unique_ptr<ClipboardDatabase>> ClipboardDatabase::open(const QString &path)
{
    return prepared(StoreDatabase::open(path, schema()));
}

Result<std::unique_ptr<ClipboardDatabase>> ClipboardDatabase::open(
    const QString &path, StoreFileCheck::Contents contents)
{
    return prepared(StoreDatabase::open(path, schema(), contents));
}

Result<std::unique_ptr<ClipboardDatabase>> ClipboardDatabase::prepared(Result<std::unique_ptr<StoreDatabase>> opened)
{
    if (!opened)
        return opened.error();
    std::unique_ptr<ClipboardDatabase> database(new ClipboardDatabase(std::move(opened).value()));
    if (Status status = database->prepare(); !status)
        return Error { schema().openFailed, status.error().detail };
    return database;
}

Status ClipboardDatabase::prepareFile(const QString &path, StoreFileCheck::Contents contents)
{
    if (Status verified = StoreFileCheck::verify(path, schema()); !verified)
        return verified;
    if (contents != StoreFileCheck::Contents::Older)
        return {};
    const Result<std::unique_ptr<StoreDatabase>> upgraded = StoreDatabase::open(path, schema(), contents);
    if (!upgraded)
        return upgraded.error();
    return {};
}

std::unique_ptr<ClipboardDatabase> ClipboardDatabase::inMemory()
{
    std::unique_ptr<ClipboardDatabase> database(new ClipboardDatabase(StoreDatabase::inMemory(schema())));
    if (!database->prepare())
        qCWarning(lcStore) << "the clipboard history in memory has no table of pending ids";
    return database;
}

Status ClipboardDatabase::prepare()
{
    return m_sql->exec(QStringLiteral("CREATE TEMP TABLE pending_hidden (id BLOB PRIMARY KEY NOT NULL)"));
}

const QString &ClipboardDatabase::columns()
{
    static const QString columns = [] {
        QStringList read;
        for (const QString &column : fieldColumns())
            read << (isNameCode(column) ? nameOf(QStringLiteral("i"), column) : QStringLiteral("i.") + column);
        return read.join(QStringLiteral(", "));
    }();
    return columns;
}

const QString &ClipboardDatabase::codedColumns()
{
    static const QString columns = [] {
        QStringList read;
        for (const QString &column : fieldColumns())
            read << QStringLiteral("i.") + column;
        return read.join(QStringLiteral(", "));
    }();
    return columns;
}

Result<ClipboardDatabase::Names> ClipboardDatabase::names(const StoreDatabase &sql)
{
    Names names;
    StoreStatement query(sql, "SELECT code, name FROM clipboard_name");
    while (query.next())
        names.insert(query.integer(0), query.text(1));
    if (Status status = query.status(); !status)
        return status.error();
    return names;
}

ClipboardItem ClipboardDatabase::item(const QSqlQuery &row)
{
    ClipboardItem item;
    item.id = idFrom(row.value(0));
    item.rawKind = row.value(1).toString();
    item.content = row.value(2).toString();
    item.contentHash = hashFrom(row.value(3));
    item.createdAt = utc(row.value(4));
    item.lastCopiedAt = utc(row.value(5));
    item.copyCount = row.value(6).toLongLong();
    item.mimeType = row.value(7).toString();
    item.sourceAppName = row.value(8).toString();
    item.sourceAppId = row.value(9).toString();
    item.byteCount = row.value(10).toLongLong();
    item.pixelWidth = row.value(11).toLongLong();
    item.pixelHeight = row.value(12).toLongLong();
    item.imagePath = optionalFrom(row.value(13));
    item.thumbnailPath = optionalFrom(row.value(14));
    item.textPath = optionalFrom(row.value(15));
    return item;
}

ClipboardItem ClipboardDatabase::item(const StoreStatement &row)
{
    return itemRead(row, [&row](int column) { return row.text(column); });
}

ClipboardItem ClipboardDatabase::item(const StoreStatement &row, const Names &names)
{
    return itemRead(row, [&row, &names](int column) { return names.value(row.integer(column)); });
}

template <typename Name> ClipboardItem ClipboardDatabase::itemRead(const StoreStatement &row, Name name)
{
    const auto optional
        = [&row](int column) { return row.isNull(column) ? std::nullopt : std::optional<QString>(row.text(column)); };
    ClipboardItem item;
    item.id = row.isBytes(0) && row.bytes(0).size() == 16 ? QUuid::fromRfc4122(row.bytes(0))
                                                          : QUuid::fromString(row.text(0));
    item.rawKind = name(1);
    item.content = row.text(2);
    item.contentHash = row.isBytes(3) ? QString::fromLatin1(row.bytes(3).toByteArray().toHex()) : row.text(3);
    item.createdAt = QDateTime::fromMSecsSinceEpoch(row.integer(4), Qt::UTC);
    item.lastCopiedAt = QDateTime::fromMSecsSinceEpoch(row.integer(5), Qt::UTC);
    item.copyCount = row.integer(6);
    item.mimeType = name(7);
    item.sourceAppName = name(8);
    item.sourceAppId = name(9);
    item.byteCount = row.integer(10);
    item.pixelWidth = row.integer(11);
    item.pixelHeight = row.integer(12);
    item.imagePath = optional(13);
    item.thumbnailPath = optional(14);
    item.textPath = optional(15);
    return item;
}

namespace {

// The codes of names as rows are written through one connection: found, else added.
class NameCodes final
{
public:
    explicit NameCodes(const StoreDatabase &sql)
        : m_find(sql, "SELECT code FROM clipboard_name WHERE name = ?")
        , m_add(sql, "INSERT INTO clipboard_name (name) VALUES (?) RETURNING code")
    {
    }

    Status prepared() const { return m_find.prepared() ? m_add.prepared() : m_find.prepared(); }

    Result<qint64> code(const QString &name)
    {
        if (const auto known = m_codes.constFind(name); known != m_codes.cend())
            return *known;
        StoreStatement *statement = &m_find;
        m_find.bind(1, name);
        if (!m_find.next()) {
            if (Status status = m_find.status(); !status)
                return status.error();
            statement = &m_add;
            m_add.bind(1, name);
            if (!m_add.next())
                return m_add.status() ? Error { QString(), QStringLiteral("No code was given to a name.") }
                                      : m_add.status().error();
        }
        const qint64 code = statement->integer(0);
        // Steps past the one row, which lets the statement go.
        statement->next();
        m_codes.insert(name.isNull() ? QStringLiteral("") : name, code);
        return code;
    }

private:
    StoreStatement m_find;
    StoreStatement m_add;
    QHash<QString, qint64> m_codes;
};

// Entries new or changed; or, with `added`, entries not stored yet, where an id stored already
// fails the statement. A failure of a row can't leave half of it written, so the statement
// needs no journal of its own, which made a third of the time of adding rows by the thousand.
Status upsert(const StoreDatabase &sql, const QList<ClipboardItem> &items, bool added = false)
{
    if (items.isEmpty())
        return {};
    NameCodes names(sql);
    if (Status status = names.prepared(); !status)
        return status;
    static const QByteArray into
        = "INTO clipboard_item (id, kind_code, content, content_hash, created_at, last_copied_at, copy_count, "
          "mime_code, app_name_code, app_id_code, byte_count, pixel_width, pixel_height, image_path, "
          "thumbnail_path, text_path) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ";
    static const QByteArray insert = "INSERT OR FAIL " + into;
    static const QByteArray update = "INSERT " + into
        + "ON CONFLICT (id) DO UPDATE SET kind_code = excluded.kind_code, content = excluded.content, "
          "content_hash = excluded.content_hash, created_at = excluded.created_at, "
          "last_copied_at = excluded.last_copied_at, copy_count = excluded.copy_count, "
          "mime_code = excluded.mime_code, app_name_code = excluded.app_name_code, "
          "app_id_code = excluded.app_id_code, byte_count = excluded.byte_count, "
          "pixel_width = excluded.pixel_width, pixel_height = excluded.pixel_height, "
          "image_path = excluded.image_path, thumbnail_path = excluded.thumbnail_path, text_path = excluded.text_path";
    StoreStatement upsert(sql, added ? insert.constData() : update.constData());
    if (Status status = upsert.prepared(); !status)
        return status;
    for (const ClipboardItem &item : items) {
        qint64 codes[4] = {};
        const QString *named[4] = { &item.rawKind, &item.mimeType, &item.sourceAppName, &item.sourceAppId };
        for (int i = 0; i < 4; ++i) {
            const Result<qint64> code = names.code(*named[i]);
            if (!code)
                return code.error();
            codes[i] = code.value();
        }
        // Kept alive until the row is written: the statement binds them by reference.
        const QByteArray id = item.id.toRfc4122();
        const QVariant hash = ClipboardDatabase::hashValue(item.contentHash);
        const bool digest = hash.typeId() == QMetaType::QByteArray;
        const QByteArray hashBytes = digest ? hash.toByteArray() : QByteArray();
        const QString hashText = digest ? QString() : hash.toString();
        upsert.bind(1, id);
        upsert.bind(2, codes[0]);
        upsert.bind(3, item.content);
        if (digest)
            upsert.bind(4, hashBytes);
        else
            upsert.bind(4, hashText);
        upsert.bind(5, item.createdAt.toMSecsSinceEpoch());
        upsert.bind(6, item.lastCopiedAt.toMSecsSinceEpoch());
        upsert.bind(7, item.copyCount);
        upsert.bind(8, codes[1]);
        upsert.bind(9, codes[2]);
        upsert.bind(10, codes[3]);
        upsert.bind(11, item.byteCount);
        upsert.bind(12, item.pixelWidth);
        upsert.bind(13, item.pixelHeight);
        upsert.bind(14, item.imagePath);
        upsert.bind(15, item.thumbnailPath);
        upsert.bind(16, item.textPath);
        if (Status status = upsert.run(); !status)
            return status;
    }
    return {};
}

Result<qint64> erase(const StoreDatabase &sql, const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return qint64(0);
    Result<QSqlQuery> entry = sql.prepare(QStringLiteral("DELETE FROM clipboard_item WHERE id = ?"));
    if (!entry)
        return entry.error();
    Result<QSqlQuery> change
        = sql.prepare(QStringLiteral("INSERT INTO clipboard_change (seq) SELECT seq FROM clipboard_item WHERE id = ?"));
    if (!change)
        return change.error();
    QSqlQuery eraseEntry = std::move(entry).value();
    QSqlQuery logChange = std::move(change).value();
    qint64 erased = 0;
    for (const QUuid &id : ids) {
        logChange.bindValue(0, ClipboardDatabase::idValue(id));
        if (Status status = sql.run(logChange); !status)
            return status.error();
        eraseEntry.bindValue(0, ClipboardDatabase::idValue(id));
        if (Status status = sql.run(eraseEntry); !status)
            return status.error();
        erased += eraseEntry.numRowsAffected();
    }
    return erased;
}

Result<qint64> erase(const StoreDatabase &sql, qint64 start, qint64 end)
{
    // Everything at once lets SQLite drop the whole table instead of deleting row by row.
    const bool everything = start == std::numeric_limits<qint64>::min() && end == std::numeric_limits<qint64>::max();
    // The names go with the last entry that used them.
    Status logged = everything ? sql.exec(QStringLiteral("DELETE FROM clipboard_change")) : Status();
    if (logged && everything)
        logged = sql.exec(QStringLiteral("DELETE FROM clipboard_name"));
    if (logged)
        logged = everything
            ? sql.exec(QStringLiteral("INSERT INTO clipboard_change (seq) VALUES (-1)"))
            : sql.exec(QStringLiteral("INSERT INTO clipboard_change (seq) SELECT seq FROM clipboard_item "
                                      "WHERE last_copied_at >= ? AND last_copied_at < ?"),
                { start, end });
    if (!logged)
        return logged.error();
    Result<QSqlQuery> erase = everything
        ? sql.select(QStringLiteral("DELETE FROM clipboard_item"))
        : sql.select(QStringLiteral("DELETE FROM clipboard_item WHERE last_copied_at >= ? AND last_copied_at < ?"),
            { start, end });
    if (!erase)
        return erase.error();
    return qint64(erase.value().numRowsAffected());
}

} // namespace

Result<qint64> ClipboardDatabase::write(const StoreDatabase &sql, const Changes &changes)
{
    qint64 erased = 0;
    const Status status = sql.write([&]() -> Status {
        for (const auto &[start, end] : changes.ranges) {
            const Result<qint64> count = erase(sql, start, end);
            if (!count)
                return count.error();
            erased += count.value();
        }
        const Result<qint64> count = erase(sql, changes.deletions);
        if (!count)
            return count.error();
        erased += count.value();
        return upsert(sql, changes.items);
    });
    if (!status)
        return status.error();
    return erased;
}

Status ClipboardDatabase::insert(const StoreDatabase &sql, const QList<ClipboardItem> &items)
{
    return upsert(sql, items, true);
}

qint64 ClipboardDatabase::storedCount() const
{
    Result<QSqlQuery> selected = m_sql->select(QStringLiteral("SELECT count(*) FROM clipboard_item"));
    if (!selected)
        return 0;
    QSqlQuery count = std::move(selected).value();
    return count.next() ? count.value(0).toLongLong() : 0;
}

QVariant ClipboardDatabase::idValue(const QUuid &id)
{
    return id.toRfc4122();
}

QUuid ClipboardDatabase::idFrom(const QVariant &value)
{
    if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        if (bytes.size() == 16)
            return QUuid::fromRfc4122(bytes);
    }
    return QUuid::fromString(value.toString());
}

QVariant ClipboardDatabase::hashValue(const QString &hash)
{
    // A hash that is not the 64 lower-case digits of a SHA-256 is kept as it came.
    const bool digest = hash.size() == 64 && std::all_of(hash.cbegin(), hash.cend(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
    });
    if (!digest)
        return storedText(hash);
    return QByteArray::fromHex(hash.toLatin1());
}

QString ClipboardDatabase::hashFrom(const QVariant &value)
{
    if (value.typeId() == QMetaType::QByteArray)
        return QString::fromLatin1(value.toByteArray().toHex());
    return value.toString();
}
