#include "Services/Clipboard/ClipboardDatabase.h"

#include "Platform/Logging.h"
#include "Services/Storage/StoreStatement.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSqlQuery>

#include <sqlite3.h>

#include <algorithm>
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

// Each name with how many of the entries' codes stand for it, so that it goes with its last user
// without the entries being searched for others.
QString nameTable()
{
    return QStringLiteral("CREATE TABLE clipboard_name (code INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, uses "
                          "INTEGER NOT NULL DEFAULT 0)");
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
// full; the few entries copied at the same moment are put in order by id as they are read).
QString recentIndex()
{
    return QStringLiteral("CREATE INDEX clipboard_item_recent ON clipboard_item (last_copied_at)");
}

// The head of each hash: enough to find an entry by its hash among millions, in a quarter of
// the room. An entry whose hash is that of its own short text keeps none (an empty one), which
// saves a hash an entry for most texts: hash_of() works it out again.
QString hashIndex()
{
    return QStringLiteral(
        "CREATE INDEX clipboard_item_hash ON clipboard_item (substr(hash_of(content_hash, content), 1, 8))");
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

// Counts the uses of each name into clipboard_name_use, a code column at a time: one pass over
// the entries each, into a table of a few rows, where sorting every code (GROUP BY) took seconds
// and, at a million entries, a hundred megabytes.
QStringList nameUses()
{
    QStringList statements;
    for (const QString &column : fieldColumns()) {
        if (isNameCode(column))
            statements << QStringLiteral("INSERT INTO clipboard_name_use SELECT %1, 1 FROM clipboard_item WHERE true "
                                         "ON CONFLICT (code) DO UPDATE SET uses = uses + 1")
                              .arg(column);
    }
    return statements;
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

// Only a short text's hash is worked out again: a page read hashes every text of the page, and
// a longer text's 32 bytes are a small part of it.
constexpr int workedOutBelow = 1024;

// The last short text hashed on this thread, with its hash: a row written has its hash worked
// out to see whether it is kept, and the hash index asks for the same hash straight after,
// which hashed every imported row twice.
struct LastDigest
{
    QByteArray text;
    QByteArray digest;
};
thread_local LastDigest lastDigest;

// The SHA-256 of a text's UTF-8 bytes, as SQLite holds them.
QByteArray digestOf(sqlite3_value *text)
{
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_value_text(text));
    const QByteArrayView view(bytes, bytes ? sqlite3_value_bytes(text) : 0);
    if (!lastDigest.digest.isEmpty() && view == lastDigest.text)
        return lastDigest.digest;
    QByteArray digest = QCryptographicHash::hash(view, QCryptographicHash::Sha256);
    if (view.size() < workedOutBelow) {
        lastDigest.text.resize(view.size());
        std::copy(view.begin(), view.end(), lastDigest.text.begin());
        lastDigest.digest = digest;
    }
    return digest;
}

// The hash index asks next for the hash of `text`, worked out already.
void remember(const QByteArray &text, const QByteArray &digest)
{
    lastDigest.text = text;
    lastDigest.digest = digest;
}

bool isDerived(sqlite3_value *hash)
{
    return sqlite3_value_type(hash) == SQLITE_BLOB && sqlite3_value_bytes(hash) == 0;
}

// What an upgrade turns the text forms of older files into: stored_id() and stored_hash() give
// what write() would store. hash_to_keep(hash, content) is the hash as it is kept (empty when
// it is the content's own), hash_of(kept, content) the hash again.
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
    const std::pair<const char *, Function> twoArguments[] = {
        // As Row keeps it.
        { "hash_to_keep",
            [](sqlite3_context *context, int, sqlite3_value **arguments) {
                sqlite3_value *hash = arguments[0];
                const bool own = sqlite3_value_type(hash) == SQLITE_BLOB && sqlite3_value_bytes(hash) == 32
                    && sqlite3_value_bytes(arguments[1]) < workedOutBelow
                    && digestOf(arguments[1])
                        == QByteArrayView(static_cast<const char *>(sqlite3_value_blob(hash)), 32);
                if (own)
                    sqlite3_result_zeroblob(context, 0);
                else
                    sqlite3_result_value(context, hash);
            } },
        { "hash_of",
            [](sqlite3_context *context, int, sqlite3_value **arguments) {
                if (!isDerived(arguments[0])) {
                    sqlite3_result_value(context, arguments[0]);
                    return;
                }
                const QByteArray digest = digestOf(arguments[1]);
                sqlite3_result_blob(context, digest.constData(), int(digest.size()), SQLITE_TRANSIENT);
            } },
    };
    for (const auto &[name, function] : twoArguments) {
        if (sqlite3_create_function_v2(handle, name, 2, flags, nullptr, function, nullptr, nullptr, nullptr)
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
        9,
        { { QStringLiteral("clipboard_item"), lastingColumns() } },
        // `seq` orders the rows as they were added, which a search scans in spans; `id` is the
        // entry's identity.
        QStringList { nameTable(), itemTable(), recentIndex(), hashIndex() } + changeLog(),
        // The first versions kept the folded text in a table of its own, then beside the
        // entry's, folded Hangul syllables into their letters, kept ids and hashes as text,
        // with an index of whole hashes, and the names in every entry: each entry is written
        // afresh with its `seq`, and the search's column is told that everything changed.
        1,
        { { 8,
              QStringList { QStringLiteral("DROP TRIGGER IF EXISTS clipboard_search_delete"),
                  QStringLiteral("DROP TRIGGER IF EXISTS clipboard_item_changed"),
                  QStringLiteral("DROP TABLE IF EXISTS clipboard_search"),
                  QStringLiteral("DROP INDEX IF EXISTS clipboard_item_recent"),
                  QStringLiteral("DROP INDEX IF EXISTS clipboard_item_hash"),
                  QStringLiteral("ALTER TABLE clipboard_item RENAME TO clipboard_item_before"),
                  QStringLiteral("CREATE TABLE clipboard_name (code INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE)"),
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
                  QStringLiteral("DROP TABLE clipboard_item_before"), recentIndex() }
                  + changeLog() + QStringList { QStringLiteral("INSERT INTO clipboard_change (seq) VALUES (-1)") } },
            // Then hashes that are their texts' own are no longer kept, and each name counts
            // its uses; the names no entry uses go. The texts and the rows' order stay, and with
            // them the search's column.
            { 9,
                QStringList { QStringLiteral("DROP TRIGGER clipboard_item_changed"),
                    QStringLiteral("DROP INDEX IF EXISTS clipboard_item_hash"),
                    // The entries are found first and then rewritten by a statement that calls no
                    // function and fails rather than aborts: SQLite keeps nothing to undo it
                    // alone, where undoing a statement over every entry took a copy of every
                    // page (a failure still undoes the whole upgrade).
                    QStringLiteral("CREATE TEMP TABLE clipboard_own_hash (seq INTEGER PRIMARY KEY)"),
                    QStringLiteral(
                        "INSERT INTO clipboard_own_hash SELECT seq FROM clipboard_item "
                        "WHERE length(content_hash) = 32 AND length(hash_to_keep(content_hash, content)) = 0"),
                    QStringLiteral("UPDATE OR FAIL clipboard_item SET content_hash = x'' "
                                   "WHERE seq IN (SELECT seq FROM clipboard_own_hash)"),
                    QStringLiteral("DROP TABLE clipboard_own_hash"), hashIndex(), changeLog().constLast(),
                    QStringLiteral("ALTER TABLE clipboard_name ADD COLUMN uses INTEGER NOT NULL DEFAULT 0"),
                    QStringLiteral(
                        "CREATE TEMP TABLE clipboard_name_use (code INTEGER PRIMARY KEY, uses INTEGER NOT NULL)") }
                    + nameUses()
                    + QStringList { QStringLiteral("UPDATE clipboard_name SET uses = coalesce((SELECT uses FROM "
                                                   "clipboard_name_use AS u "
                                                   "WHERE u.code = clipboard_name.code), 0)"),
                        QStringLiteral("DROP TABLE clipboard_name_use"),
                        QStringLiteral("DELETE FROM clipboard_name WHERE uses = 0") } } },
        // Larger than the default: a search reads every row, and fewer, larger reads are faster.
        16384,
        QStringLiteral("Vemra couldn’t open your clipboard history."),
        QStringLiteral("Vemra couldn’t save your clipboard history."),
        &addFunctions,
    };
    return schema;
}

ClipboardDatabase::ClipboardDatabase(
    std::unique_ptr<StoreDatabase> sql, ClipboardSearch::File file, ClipboardSearch::Column handed)
    : m_sql(std::move(sql))
    , m_search(m_sql->filePath(), file, std::move(handed))
{
}

Result<std::unique_ptr<ClipboardDatabase>> ClipboardDatabase::open(const QString &path)
{
    return prepared(StoreDatabase::open(path, schema()));
}

Result<std::unique_ptr<ClipboardDatabase>> ClipboardDatabase::read(const QString &path, ClipboardSearch::Column handed)
{
    Result<std::unique_ptr<StoreDatabase>> attached = StoreDatabase::attach(path, schema());
    if (!attached)
        return Error { schema().openFailed, attached.error().detail };
    return prepared(std::move(attached), ClipboardSearch::File::Checked, std::move(handed));
}

Result<std::unique_ptr<ClipboardDatabase>> ClipboardDatabase::peek(const QString &path)
{
    return prepared(StoreDatabase::peek(path, schema()), ClipboardSearch::File::Unchecked);
}

Result<std::unique_ptr<ClipboardDatabase>> ClipboardDatabase::prepared(
    Result<std::unique_ptr<StoreDatabase>> opened, ClipboardSearch::File file, ClipboardSearch::Column handed)
{
    if (!opened)
        return opened.error();
    std::unique_ptr<ClipboardDatabase> database(
        new ClipboardDatabase(std::move(opened).value(), file, std::move(handed)));
    if (Status status = database->prepare(); !status)
        return Error { schema().openFailed, status.error().detail };
    return database;
}

std::unique_ptr<ClipboardDatabase> ClipboardDatabase::inMemory()
{
    std::unique_ptr<ClipboardDatabase> database(
        new ClipboardDatabase(StoreDatabase::inMemory(schema()), ClipboardSearch::File::Checked, {}));
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
        for (const QString &column : fieldColumns()) {
            if (isNameCode(column))
                read << nameOf(QStringLiteral("i"), column);
            else if (column == QStringLiteral("content_hash"))
                read << QStringLiteral("hash_of(i.content_hash, i.content)");
            else
                read << QStringLiteral("i.") + column;
        }
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

// How the uses of names change as one transaction writes and deletes entries, told to
// clipboard_name at its end: a name no entry uses any more goes.
class NameUses final
{
public:
    // Counts the four codes of the entry that `row` reads from `first` on, `change` times.
    void count(const StoreStatement &row, int first, qint64 change)
    {
        for (int i = first; i < first + 4; ++i)
            m_changes[row.integer(i)] += change;
    }
    void count(qint64 code, qint64 change) { m_changes[code] += change; }

    Status save(const StoreDatabase &sql)
    {
        if (m_changes.isEmpty())
            return {};
        StoreStatement add(sql, "UPDATE clipboard_name SET uses = uses + ? WHERE code = ?");
        StoreStatement drop(sql, "DELETE FROM clipboard_name WHERE code = ? AND uses <= 0");
        for (auto change = m_changes.cbegin(); change != m_changes.cend(); ++change) {
            if (change.value() == 0)
                continue;
            add.bind(1, change.value());
            add.bind(2, change.key());
            if (Status status = add.run(); !status)
                return status;
            if (change.value() > 0)
                continue;
            drop.bind(1, change.key());
            if (Status status = drop.run(); !status)
                return status;
        }
        m_changes.clear();
        return {};
    }

private:
    QHash<qint64, qint64> m_changes;
};

// Entries new or changed; or, with `added`, entries not stored yet, where an id stored already
// fails the statement. A failure of a row can't leave half of it written, so the statement
// needs no journal of its own, which made a third of the time of adding rows by the thousand.
Status upsert(const StoreDatabase &sql, const QList<ClipboardDatabase::Row> &rows, NameUses &uses, bool added = false)
{
    if (rows.isEmpty())
        return {};
    NameCodes names(sql);
    if (Status status = names.prepared(); !status)
        return status;
    // A new entry is added; one already there is written over, and the names it used before
    // lose a use (found only then, which keeps an import's rows to one statement each).
    static const QByteArray into
        = "INTO clipboard_item (id, kind_code, content, content_hash, created_at, last_copied_at, copy_count, "
          "mime_code, app_name_code, app_id_code, byte_count, pixel_width, pixel_height, image_path, "
          "thumbnail_path, text_path) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ";
    static const QByteArray insert = "INSERT OR FAIL " + into;
    static const QByteArray insertNew = "INSERT " + into + "ON CONFLICT (id) DO NOTHING RETURNING seq";
    StoreStatement add(sql, added ? insert.constData() : insertNew.constData());
    StoreStatement before(
        sql, "SELECT kind_code, mime_code, app_name_code, app_id_code FROM clipboard_item WHERE id = ?");
    StoreStatement replace(sql,
        "UPDATE clipboard_item SET kind_code = ?2, content = ?3, content_hash = ?4, "
        "created_at = ?5, last_copied_at = ?6, copy_count = ?7, mime_code = ?8, app_name_code = ?9, "
        "app_id_code = ?10, byte_count = ?11, pixel_width = ?12, pixel_height = ?13, image_path = ?14, "
        "thumbnail_path = ?15, text_path = ?16 WHERE id = ?1");
    for (const StoreStatement *statement : { &add, &before, &replace }) {
        if (Status status = statement->prepared(); !status)
            return status;
    }
    // Entry after entry has the same few names: each one's last is tried before the table.
    QString lastNames[4];
    qint64 codes[4] = {};
    for (const ClipboardDatabase::Row &row : rows) {
        const ClipboardItem &item = row.item;
        const QString *named[4] = { &item.rawKind, &item.mimeType, &item.sourceAppName, &item.sourceAppId };
        for (int i = 0; i < 4; ++i) {
            if (&row == &rows.front() || *named[i] != lastNames[i]) {
                const Result<qint64> code = names.code(*named[i]);
                if (!code)
                    return code.error();
                codes[i] = code.value();
                lastNames[i] = *named[i];
            }
            uses.count(codes[i], 1);
        }
        const auto bindRow = [&](StoreStatement &statement) {
            statement.bind(1, row.id);
            statement.bind(2, codes[0]);
            statement.bindUtf8(3, row.content);
            if (row.hashIsText)
                statement.bindUtf8(4, row.hash);
            else
                statement.bind(4, row.hash);
            statement.bind(5, item.createdAt.toMSecsSinceEpoch());
            statement.bind(6, item.lastCopiedAt.toMSecsSinceEpoch());
            statement.bind(7, item.copyCount);
            statement.bind(8, codes[1]);
            statement.bind(9, codes[2]);
            statement.bind(10, codes[3]);
            statement.bind(11, item.byteCount);
            statement.bind(12, item.pixelWidth);
            statement.bind(13, item.pixelHeight);
            statement.bind(14, item.imagePath);
            statement.bind(15, item.thumbnailPath);
            statement.bind(16, item.textPath);
            if (!row.digest.isEmpty())
                remember(row.content, row.digest);
        };
        bindRow(add);
        // The row returned is a new entry's; stepping past it ends the statement.
        const bool isNew = add.next();
        if (isNew)
            add.next();
        if (Status status = add.status(); !status)
            return status;
        if (added || isNew)
            continue;
        before.bind(1, row.id);
        if (before.next()) {
            uses.count(before, 0, -1);
            before.next();
        }
        if (Status status = before.status(); !status)
            return status;
        bindRow(replace);
        if (Status status = replace.run(); !status)
            return status;
    }
    return {};
}

// Deletes what `erase` picks, counting the names its entries used; the number deleted.
Result<qint64> eraseCounting(StoreStatement &erase, NameUses &uses)
{
    qint64 erased = 0;
    while (erase.next()) {
        uses.count(erase, 0, -1);
        ++erased;
    }
    if (Status status = erase.status(); !status)
        return status.error();
    return erased;
}

Result<qint64> erase(const StoreDatabase &sql, const QSet<QUuid> &ids, NameUses &uses)
{
    if (ids.isEmpty())
        return qint64(0);
    StoreStatement eraseEntry(
        sql, "DELETE FROM clipboard_item WHERE id = ? RETURNING kind_code, mime_code, app_name_code, app_id_code");
    if (Status status = eraseEntry.prepared(); !status)
        return status.error();
    StoreStatement logChange(sql, "INSERT INTO clipboard_change (seq) SELECT seq FROM clipboard_item WHERE id = ?");
    if (Status status = logChange.prepared(); !status)
        return status.error();
    qint64 erased = 0;
    for (const QUuid &id : ids) {
        const QByteArray bytes = id.toRfc4122();
        logChange.bind(1, bytes);
        if (Status status = logChange.run(); !status)
            return status.error();
        eraseEntry.bind(1, bytes);
        const Result<qint64> count = eraseCounting(eraseEntry, uses);
        if (!count)
            return count.error();
        erased += count.value();
    }
    return erased;
}

Result<qint64> erase(const StoreDatabase &sql, qint64 start, qint64 end, NameUses &uses)
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
    if (everything) {
        Result<QSqlQuery> erase = sql.select(QStringLiteral("DELETE FROM clipboard_item"));
        if (!erase)
            return erase.error();
        return qint64(erase.value().numRowsAffected());
    }
    StoreStatement erase(sql,
        "DELETE FROM clipboard_item WHERE last_copied_at >= ? AND last_copied_at < ? "
        "RETURNING kind_code, mime_code, app_name_code, app_id_code");
    if (Status status = erase.prepared(); !status)
        return status.error();
    erase.bind(1, start);
    erase.bind(2, end);
    return eraseCounting(erase, uses);
}

} // namespace

Result<qint64> ClipboardDatabase::write(const StoreDatabase &sql, const Changes &changes)
{
    qint64 erased = 0;
    const Status status = sql.write([&]() -> Status {
        NameUses uses;
        for (const auto &[start, end] : changes.ranges) {
            const Result<qint64> count = erase(sql, start, end, uses);
            if (!count)
                return count.error();
            erased += count.value();
        }
        const Result<qint64> count = erase(sql, changes.deletions, uses);
        if (!count)
            return count.error();
        erased += count.value();
        QList<Row> rows;
        rows.reserve(changes.items.size());
        for (const ClipboardItem &item : changes.items)
            rows.emplace_back(item);
        if (Status status = upsert(sql, rows, uses); !status)
            return status;
        return uses.save(sql);
    });
    if (!status)
        return status.error();
    return erased;
}

Status ClipboardDatabase::insert(const StoreDatabase &sql, const QList<Row> &rows)
{
    NameUses uses;
    if (Status status = upsert(sql, rows, uses, true); !status)
        return status;
    return uses.save(sql);
}

ClipboardDatabase::Row::Row(ClipboardItem entry)
    : item(std::move(entry))
    , id(item.id.toRfc4122())
    , content(item.content.toUtf8())
{
    const QVariant kept = hashValue(item.contentHash);
    hashIsText = kept.typeId() != QMetaType::QByteArray;
    hash = hashIsText ? kept.toString().toUtf8() : kept.toByteArray();
    // As hash_to_keep() keeps it.
    if (!hashIsText && hash.size() == 32 && content.size() < workedOutBelow) {
        QByteArray own = QCryptographicHash::hash(content, QCryptographicHash::Sha256);
        if (own == hash) {
            digest = std::move(own);
            hash = QByteArray("");
        }
    }
}

QString ClipboardDatabase::hashMatch()
{
    // As the index has it, so that the index serves it.
    return QStringLiteral("substr(hash_of(i.content_hash, i.content), 1, 8) = substr(?, 1, 8) "
                          "AND hash_of(i.content_hash, i.content) = ?");
}

qint64 ClipboardDatabase::storedCount() const
{
    const Result<qint64> count = storedCount(*m_sql);
    return count ? count.value() : 0;
}

Result<qint64> ClipboardDatabase::storedCount(const StoreDatabase &sql)
{
    Result<QSqlQuery> selected = sql.select(QStringLiteral("SELECT count(*) FROM clipboard_item"));
    if (!selected)
        return selected.error();
    QSqlQuery count = std::move(selected).value();
    if (!count.next())
        return Error { schema().openFailed, QStringLiteral("The entries could not be counted.") };
    return count.value(0).toLongLong();
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
