#include "Services/Clipboard/ClipboardTransferReader.h"

#include "Platform/Logging.h"
#include "Services/Clipboard/ClipboardDatabase.h"
#include "Services/Clipboard/ClipboardQueries.h"
#include "Services/Storage/StoreDatabase.h"
#include "Services/Storage/StoreStatement.h"
#include "Services/Storage/StoreWriter.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace {

bool hiddenIn(const ClipboardStore::TransferSource &source, const QUuid &id, qint64 at)
{
    if (source.hidden.contains(id))
        return true;
    return std::any_of(source.hiddenRanges.cbegin(), source.hiddenRanges.cend(),
        [at](const std::pair<qint64, qint64> &span) { return at >= span.first && at < span.second; });
}

bool hiddenIn(const ClipboardStore::TransferSource &source, const ClipboardItem &item)
{
    return hiddenIn(source, item.id, item.lastCopiedAt.toMSecsSinceEpoch());
}

// A stored id: 16 bytes, or the text form of older files.
QUuid idFrom(const StoreStatement &query, int column)
{
    if (query.isBytes(column) && query.bytes(column).size() == 16)
        return QUuid::fromRfc4122(query.bytes(column));
    return QUuid::fromString(query.text(column));
}

// A connection of the calling thread's own to the store's file, in a read transaction.
Result<std::unique_ptr<StoreDatabase>> reader(const QString &path)
{
    Result<std::unique_ptr<StoreDatabase>> attached = StoreDatabase::attach(path, ClipboardDatabase::schema());
    if (!attached)
        return attached;
    if (Status status = attached.value()->exec(QStringLiteral("BEGIN")); !status)
        return status.error();
    return attached;
}

// Hands `add` every entry of `source` that an import weighs against: with no statement for one
// held in memory, else with the row's `column` first, read raw in a read transaction of its own.
Status readKeys(const ClipboardStore::TransferSource &source, const char *column,
    const std::function<void(const ClipboardItem &, const StoreStatement *)> &add)
{
    for (const QList<ClipboardItem> *items : { &source.items, &source.pending }) {
        for (const ClipboardItem &item : *items)
            add(item, nullptr);
    }
    if (source.databasePath.isEmpty())
        return {};
    Result<std::unique_ptr<StoreDatabase>> opened = reader(source.databasePath);
    if (!opened)
        return opened.error();
    const std::unique_ptr<StoreDatabase> database = std::move(opened).value();
    const bool hides = !source.hidden.isEmpty() || !source.hiddenRanges.isEmpty();
    const QByteArray sql = QByteArray("SELECT ") + column + ", id, last_copied_at FROM clipboard_item";
    StoreStatement query(*database, sql.constData());
    ClipboardItem item;
    while (query.next()) {
        if (hides) {
            item.id = idFrom(query, 1);
            item.lastCopiedAt = QDateTime::fromMSecsSinceEpoch(query.integer(2), Qt::UTC);
            if (hiddenIn(source, item))
                continue;
        }
        add(item, &query);
    }
    if (!database->exec(QStringLiteral("COMMIT")))
        qCWarning(lcStore) << "cannot end the import's read transaction";
    return query.status();
}

} // namespace

struct ClipboardTransferReader::Connection
{
    std::unique_ptr<StoreDatabase> database;
    // A span's rows in the history's order; the same by the index alone, which needs no sorting
    // of each row by id, for a span without ties.
    std::unique_ptr<StoreStatement> rows;
    std::unique_ptr<StoreStatement> untied;
};

Result<std::unique_ptr<ClipboardTransferReader>> ClipboardTransferReader::forExport(
    const ClipboardStore::TransferSource &source, const std::shared_ptr<StoreWriter> &writer, int readers)
{
    std::unique_ptr<ClipboardTransferReader> made(new ClipboardTransferReader(source));
    if (source.databasePath.isEmpty())
        return made;
    const auto attach = [&source]() -> Result<std::unique_ptr<StoreDatabase>> {
        return StoreDatabase::attach(source.databasePath, ClipboardDatabase::schema());
    };
    Result<std::unique_ptr<StoreDatabase>> cutter = attach();
    if (!cutter)
        return cutter.error();
    made->m_cutter = std::move(cutter).value();
    for (int i = 0; i < std::max(1, readers); ++i) {
        Result<std::unique_ptr<StoreDatabase>> attached = attach();
        if (!attached)
            return attached.error();
        auto connection = std::make_unique<Connection>();
        connection->database = std::move(attached).value();
        made->m_free.push_back(connection.get());
        made->m_connections.push_back(std::move(connection));
    }
    // In write-ahead logging a read transaction sees the file as it was when its first read
    // began: begun while the writer runs this job, and so writes nothing, each sees the same.
    const auto begin = [&made](const StoreDatabase &) -> Status {
        std::vector<StoreDatabase *> all { made->m_cutter.get() };
        for (const std::unique_ptr<Connection> &connection : made->m_connections)
            all.push_back(connection->database.get());
        for (StoreDatabase *database : all) {
            StoreStatement open(*database, "BEGIN");
            if (Status status = open.run(); !status)
                return status;
            StoreStatement first(*database, "SELECT 1 FROM clipboard_item LIMIT 1");
            while (first.next()) { }
            if (!first.status())
                return first.status();
        }
        return {};
    };
    const Status begun = writer ? writer->run(begin).result() : begin(*made->m_cutter);
    if (!begun)
        return begun.error();
    const Result<ClipboardDatabase::Names> names = ClipboardDatabase::names(*made->m_cutter);
    if (!names)
        return names.error();
    for (auto name = names.value().cbegin(); name != names.value().cend(); ++name)
        made->m_names.insert(name.key(), name.value().toUtf8());
    // Read raw: through QSqlQuery, a variant per value made reading the rows half an export's time.
    static const QString select = QStringLiteral("SELECT ") + ClipboardDatabase::codedColumns()
        + QStringLiteral(" FROM clipboard_item AS i WHERE i.last_copied_at BETWEEN ?1 AND ?2");
    static const QByteArray ordered = (select + ClipboardQueries::order()).toUtf8();
    static const QByteArray untied = (select + QStringLiteral(" ORDER BY i.last_copied_at DESC")).toUtf8();
    for (const std::unique_ptr<Connection> &connection : made->m_connections) {
        connection->rows = std::make_unique<StoreStatement>(*connection->database, ordered.constData());
        connection->untied = std::make_unique<StoreStatement>(*connection->database, untied.constData());
        for (const StoreStatement *statement : { connection->rows.get(), connection->untied.get() }) {
            if (!statement->prepared())
                return statement->prepared().error();
        }
    }
    return made;
}

ClipboardTransferReader::ClipboardTransferReader(ClipboardStore::TransferSource source)
    : m_source(std::move(source))
{
}

ClipboardTransferReader::~ClipboardTransferReader()
{
    // The statements go before their connections, whose closing ends the read transactions.
    for (const std::unique_ptr<Connection> &connection : m_connections) {
        connection->rows.reset();
        connection->untied.reset();
    }
}

Status ClipboardTransferReader::cut(qsizetype entries, qint64 bytes, const std::function<Status(const Span &)> &take)
{
    constexpr qint64 newestThereCanBe = std::numeric_limits<qint64>::max();
    constexpr qint64 oldestThereCanBe = std::numeric_limits<qint64>::min();
    Span span { newestThereCanBe, oldestThereCanBe, 0, 0, false };
    if (!m_cutter) {
        span.entries = m_source.items.size();
        return take(span);
    }
    // The index alone gives the order; the byte counts keep a span of large entries short.
    StoreStatement query(
        *m_cutter, "SELECT last_copied_at, byte_count FROM clipboard_item ORDER BY last_copied_at DESC");
    qint64 last = newestThereCanBe;
    while (query.next()) {
        const qint64 at = query.integer(0);
        if ((span.entries >= entries || span.bytes >= bytes) && at != last) {
            span.oldest = last;
            if (Status status = take(span); !status)
                return status;
            span = Span { last - 1, oldestThereCanBe, 0, 0, false };
        }
        span.ties = span.ties || (at == last && span.entries >= 1);
        last = at;
        ++span.entries;
        span.bytes += query.integer(1);
    }
    if (!query.status())
        return query.status();
    span.oldest = oldestThereCanBe;
    return take(span);
}

namespace {

// The export's record of an entry: every member but the metadata's empty names and sizes.
ExportEncoder::Entry entryOf(const QUuid &id, QByteArrayView type, QByteArrayView content, QByteArrayView mimeType)
{
    ExportEncoder::Entry entry;
    entry.id = id;
    entry.type = type;
    entry.content = content;
    entry.mimeType = mimeType;
    return entry;
}

void addMetadata(ExportEncoder::Entry &entry, QByteArrayView sourceApp, QByteArrayView sourceId, qint64 byteCount,
    qint64 pixelWidth, qint64 pixelHeight)
{
    ExportEncoder::Entry::Metadata &metadata = entry.metadata.emplace();
    if (!sourceApp.isEmpty())
        metadata.sourceApp = sourceApp;
    if (!sourceId.isEmpty())
        metadata.sourceBundleID = sourceId;
    if (pixelWidth >= 1)
        metadata.pixelWidth = pixelWidth;
    if (pixelHeight >= 1)
        metadata.pixelHeight = pixelHeight;
    metadata.byteCount = byteCount;
}

// Hands `take` an entry held in memory.
Status takeItem(
    const ClipboardItem &item, const std::function<Status(const ClipboardTransferReader::ExportRow &)> &take)
{
    const QByteArray type = item.rawKind.toUtf8();
    const QByteArray content = item.content.toUtf8();
    const QByteArray mimeType = item.mimeType.toUtf8();
    const QByteArray sourceApp = item.sourceAppName.toUtf8();
    const QByteArray sourceId = item.sourceAppId.toUtf8();
    ClipboardTransferReader::ExportRow row;
    row.entry = entryOf(item.id, type, content, mimeType);
    row.entry.createdAt = item.createdAt.toMSecsSinceEpoch();
    row.entry.lastCopiedAt = item.lastCopiedAt.toMSecsSinceEpoch();
    row.entry.copyCount = item.copyCount;
    addMetadata(row.entry, sourceApp, sourceId, item.byteCount, item.pixelWidth, item.pixelHeight);
    row.imagePath = item.imagePath;
    row.textPath = item.textPath;
    return take(row);
}

bool within(const ClipboardTransferReader::Span &span, const ClipboardItem &item)
{
    const qint64 at = item.lastCopiedAt.toMSecsSinceEpoch();
    return at <= span.newest && at >= span.oldest;
}

} // namespace

Status ClipboardTransferReader::read(const Span &span, const std::function<Status(const ExportRow &)> &take)
{
    if (!m_cutter) {
        for (const ClipboardItem &item : m_source.items) {
            if (!within(span, item))
                continue;
            if (Status status = takeItem(item, take); !status)
                return status;
        }
        return {};
    }
    Connection &connection = acquire();
    Status status = readStored(connection, span, take);
    release(connection);
    return status;
}

Status ClipboardTransferReader::readStored(
    Connection &connection, const Span &span, const std::function<Status(const ExportRow &)> &take)
{
    // The changes not saved yet that fall in the span go in among its stored entries by the
    // history's order.
    const QList<ClipboardItem> &pending = m_source.pending;
    auto next = std::find_if(pending.cbegin(), pending.cend(),
        [&span](const ClipboardItem &item) { return item.lastCopiedAt.toMSecsSinceEpoch() <= span.newest; });
    const auto end
        = std::find_if(next, pending.cend(), [&span](const ClipboardItem &item) { return !within(span, item); });
    const bool hides = !m_source.hidden.isEmpty() || !m_source.hiddenRanges.isEmpty();
    StoreStatement &query = span.ties ? *connection.rows : *connection.untied;
    query.bind(1, span.oldest);
    query.bind(2, span.newest);
    Status status;
    ClipboardItem key;
    while (status && query.next()) {
        const QUuid id = idFrom(query, 0);
        const qint64 lastCopiedAt = query.integer(5);
        for (; status && next != end; ++next) {
            key.id = id;
            key.lastCopiedAt = QDateTime::fromMSecsSinceEpoch(lastCopiedAt, Qt::UTC);
            if (!ClipboardItem::recentOrder(*next, key))
                break;
            status = takeItem(*next, take);
        }
        if (!status || (hides && hiddenIn(m_source, id, lastCopiedAt)))
            continue;
        ExportRow row;
        row.entry = entryOf(id, nameOf(query.integer(1)), query.bytes(2), nameOf(query.integer(7)));
        row.entry.createdAt = query.integer(4);
        row.entry.lastCopiedAt = lastCopiedAt;
        row.entry.copyCount = query.integer(6);
        addMetadata(row.entry, nameOf(query.integer(8)), nameOf(query.integer(9)), query.integer(10), query.integer(11),
            query.integer(12));
        if (!query.isNull(13))
            row.imagePath = query.text(13);
        if (!query.isNull(15))
            row.textPath = query.text(15);
        status = take(row);
    }
    if (status)
        status = query.status();
    for (; status && next != end; ++next)
        status = takeItem(*next, take);
    return status;
}

QByteArrayView ClipboardTransferReader::nameOf(qint64 code) const
{
    const auto name = m_names.constFind(code);
    return name == m_names.cend() ? QByteArrayView() : QByteArrayView(*name);
}

ClipboardTransferReader::Connection &ClipboardTransferReader::acquire()
{
    QMutexLocker locker(&m_mutex);
    // Whoever holds a connection is reading and gives it back soon.
    while (m_free.empty())
        m_freed.wait(&m_mutex);
    Connection *connection = m_free.back();
    m_free.pop_back();
    return *connection;
}

void ClipboardTransferReader::release(Connection &connection)
{
    const QMutexLocker locker(&m_mutex);
    m_free.push_back(&connection);
    m_freed.wakeOne();
}

Result<QSet<QUuid>> ClipboardTransferReader::readKnownIds(const ClipboardStore::TransferSource &source)
{
    QSet<QUuid> ids;
    const Status read = readKeys(source, "id", [&ids](const ClipboardItem &item, const StoreStatement *query) {
        ids.insert(query ? idFrom(*query, 0) : item.id);
    });
    if (!read)
        return read.error();
    return ids;
}

Result<QSet<ContentDigest>> ClipboardTransferReader::readKnownHashes(const ClipboardStore::TransferSource &source)
{
    QSet<ContentDigest> hashes;
    // Read raw, 32 bytes each, or as the text of older files.
    const Status read = readKeys(
        source, "hash_of(content_hash, content)", [&hashes](const ClipboardItem &item, const StoreStatement *query) {
            if (!query)
                hashes.insert(ContentDigest::fromHex(item.contentHash));
            else if (query->isBytes(0))
                hashes.insert(ContentDigest::fromStored(query->bytes(0)));
            else
                hashes.insert(ContentDigest::fromStored(query->text(0).toLatin1()));
        });
    if (!read)
        return read.error();
    return hashes;
}
