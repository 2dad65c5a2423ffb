#include "Services/Clipboard/ClipboardDatabase.h"

#include "Platform/Logging.h"

#include <QSqlQuery>

#include <limits>

namespace {

// The stored fields, in the order item() reads them.
const QStringList &fieldColumns()
{
    static const QStringList columns
        = QStringLiteral("id raw_kind content content_hash created_at last_copied_at copy_count mime_type "
                         "source_app_name source_bundle_id byte_count pixel_width pixel_height image_path "
                         "thumbnail_path text_path")
              .split(QLatin1Char(' '));
    return columns;
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

// What a search looks through, folded, in a narrow table of its own: a search reads every
// row, and reads far less here than in the entries themselves.
QString searchTable()
{
    return QStringLiteral("CREATE TABLE clipboard_search ("
                          "seq INTEGER PRIMARY KEY, "
                          "raw_kind TEXT NOT NULL, "
                          "search_app TEXT NOT NULL, "
                          "search_content TEXT NOT NULL, "
                          "last_copied_at INTEGER NOT NULL DEFAULT 0)");
}

QDateTime utc(const QVariant &value)
{
    return QDateTime::fromMSecsSinceEpoch(value.toLongLong(), Qt::UTC);
}

} // namespace

const StoreSchema &ClipboardDatabase::schema()
{
    static const StoreSchema schema {
        4,
        { { QStringLiteral("clipboard_item"), fieldColumns() },
            { QStringLiteral("clipboard_search"),
                { QStringLiteral("seq"), QStringLiteral("raw_kind"), QStringLiteral("search_app"),
                    QStringLiteral("search_content"), QStringLiteral("last_copied_at") } } },
        {
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
            searchTable(),
        },
        // The first versions deleted search rows by a trigger, row by row, which kept a large
        // deletion from simply letting go of whole tables; kept no copy time beside the folded
        // text, which a search needs to pick the newest matches as it scans; and folded Hangul
        // syllables into their letters. The search rows are made afresh.
        1,
        { QStringLiteral("DROP TRIGGER IF EXISTS clipboard_search_delete"),
            QStringLiteral("DROP TABLE clipboard_search"), searchTable(),
            QStringLiteral("INSERT INTO clipboard_search (seq, raw_kind, search_app, search_content, last_copied_at) "
                           "SELECT seq, raw_kind, search_fold(source_app_name), search_fold(content), last_copied_at "
                           "FROM clipboard_item") },
        // Larger than the default: a search reads every search row, and fewer, larger reads
        // are faster.
        16384,
        QStringLiteral("Vemra couldn’t open your clipboard history."),
        QStringLiteral("Vemra couldn’t save your clipboard history."),
        &ClipboardSearch::install,
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

std::unique_ptr<ClipboardDatabase> ClipboardDatabase::inMemory()
{
    std::unique_ptr<ClipboardDatabase> database(new ClipboardDatabase(StoreDatabase::inMemory(schema())));
    if (!database->prepare())
        qCWarning(lcStore) << "the clipboard history in memory has no table of pending ids";
    return database;
}

Status ClipboardDatabase::prepare()
{
    return m_sql->exec(QStringLiteral("CREATE TEMP TABLE pending_hidden (id TEXT PRIMARY KEY NOT NULL)"));
}

const QString &ClipboardDatabase::columns()
{
    static const QString columns = QStringLiteral("i.") + fieldColumns().join(QStringLiteral(", i."));
    return columns;
}

ClipboardItem ClipboardDatabase::item(const QSqlQuery &row)
{
    ClipboardItem item;
    item.id = QUuid::fromString(row.value(0).toString());
    item.rawKind = row.value(1).toString();
    item.content = row.value(2).toString();
    item.contentHash = row.value(3).toString();
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

namespace {

Status upsert(const StoreDatabase &sql, const QList<ClipboardItem> &items)
{
    if (items.isEmpty())
        return {};
    Result<QSqlQuery> entry = sql.prepare(QStringLiteral(
        "INSERT INTO clipboard_item (id, raw_kind, content, content_hash, created_at, last_copied_at, copy_count, "
        "mime_type, source_app_name, source_bundle_id, byte_count, pixel_width, pixel_height, image_path, "
        "thumbnail_path, text_path) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
        "ON CONFLICT (id) DO UPDATE SET raw_kind = excluded.raw_kind, content = excluded.content, "
        "content_hash = excluded.content_hash, created_at = excluded.created_at, "
        "last_copied_at = excluded.last_copied_at, copy_count = excluded.copy_count, "
        "mime_type = excluded.mime_type, source_app_name = excluded.source_app_name, "
        "source_bundle_id = excluded.source_bundle_id, byte_count = excluded.byte_count, "
        "pixel_width = excluded.pixel_width, pixel_height = excluded.pixel_height, "
        "image_path = excluded.image_path, thumbnail_path = excluded.thumbnail_path, text_path = excluded.text_path"));
    if (!entry)
        return entry.error();
    Result<QSqlQuery> folded = sql.prepare(QStringLiteral(
        "INSERT INTO clipboard_search (seq, raw_kind, search_app, search_content, last_copied_at) "
        "SELECT seq, raw_kind, ?, ?, last_copied_at FROM clipboard_item WHERE id = ? "
        "ON CONFLICT (seq) DO UPDATE SET raw_kind = excluded.raw_kind, search_app = excluded.search_app, "
        "search_content = excluded.search_content, last_copied_at = excluded.last_copied_at"));
    if (!folded)
        return folded.error();
    QSqlQuery upsert = std::move(entry).value();
    QSqlQuery search = std::move(folded).value();
    for (const ClipboardItem &item : items) {
        const QString id = StoreDatabase::idText(item.id);
        const QVariantList values {
            id,
            storedText(item.rawKind),
            storedText(item.content),
            storedText(item.contentHash),
            item.createdAt.toMSecsSinceEpoch(),
            item.lastCopiedAt.toMSecsSinceEpoch(),
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
        if (Status status = sql.run(upsert); !status)
            return status;
        search.bindValue(0, storedText(ClipboardItem::searchFolded(item.sourceAppName)));
        search.bindValue(1, storedText(ClipboardItem::searchFolded(item.content)));
        search.bindValue(2, id);
        if (Status status = sql.run(search); !status)
            return status;
    }
    return {};
}

Result<qint64> erase(const StoreDatabase &sql, const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return qint64(0);
    Result<QSqlQuery> search = sql.prepare(
        QStringLiteral("DELETE FROM clipboard_search WHERE seq = (SELECT seq FROM clipboard_item WHERE id = ?)"));
    if (!search)
        return search.error();
    Result<QSqlQuery> entry = sql.prepare(QStringLiteral("DELETE FROM clipboard_item WHERE id = ?"));
    if (!entry)
        return entry.error();
    QSqlQuery eraseSearch = std::move(search).value();
    QSqlQuery eraseEntry = std::move(entry).value();
    qint64 erased = 0;
    for (const QUuid &id : ids) {
        for (QSqlQuery *erase : { &eraseSearch, &eraseEntry }) {
            erase->bindValue(0, StoreDatabase::idText(id));
            if (Status status = sql.run(*erase); !status)
                return status.error();
        }
        erased += eraseEntry.numRowsAffected();
    }
    return erased;
}

Result<qint64> erase(const StoreDatabase &sql, qint64 start, qint64 end)
{
    // Everything at once lets SQLite drop whole tables instead of deleting row by row.
    const bool everything = start == std::numeric_limits<qint64>::min() && end == std::numeric_limits<qint64>::max();
    const QString where = everything ? QString() : QStringLiteral(" WHERE last_copied_at >= ? AND last_copied_at < ?");
    const QVariantList bindings = everything ? QVariantList() : QVariantList { start, end };
    if (Status status = sql.exec(everything ? QStringLiteral("DELETE FROM clipboard_search")
                                            : QStringLiteral("DELETE FROM clipboard_search WHERE seq IN "
                                                             "(SELECT seq FROM clipboard_item")
                    + where + (everything ? QString() : QStringLiteral(")")),
            bindings);
        !status)
        return status.error();
    Result<QSqlQuery> erase = sql.select(QStringLiteral("DELETE FROM clipboard_item") + where, bindings);
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
    return upsert(sql, items);
}

qint64 ClipboardDatabase::storedCount() const
{
    Result<QSqlQuery> selected = m_sql->select(QStringLiteral("SELECT count(*) FROM clipboard_item"));
    if (!selected)
        return 0;
    QSqlQuery count = std::move(selected).value();
    return count.next() ? count.value(0).toLongLong() : 0;
}
