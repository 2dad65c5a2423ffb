#include "Services/Clipboard/ClipboardTransferReader.h"

#include "Platform/Logging.h"
#include "Services/Clipboard/ClipboardDatabase.h"
#include "Services/Clipboard/ClipboardQueries.h"
#include "Services/Storage/StoreDatabase.h"
#include "Services/Storage/StoreStatement.h"

#include <algorithm>
#include <memory>

namespace {

bool hiddenIn(const ClipboardStore::TransferSource &source, const ClipboardItem &item)
{
    if (source.hidden.contains(item.id))
        return true;
    const qint64 at = item.lastCopiedAt.toMSecsSinceEpoch();
    return std::any_of(source.hiddenRanges.cbegin(), source.hiddenRanges.cend(),
        [at](const std::pair<qint64, qint64> &span) { return at >= span.first && at < span.second; });
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

Status ClipboardTransferReader::readForExport(
    const ClipboardStore::TransferSource &source, const std::function<Status(ClipboardItem &&)> &take)
{
    if (source.databasePath.isEmpty()) {
        for (const ClipboardItem &item : source.items) {
            if (Status status = take(ClipboardItem(item)); !status)
                return status;
        }
        return {};
    }
    Result<std::unique_ptr<StoreDatabase>> opened = reader(source.databasePath);
    if (!opened)
        return opened.error();
    const std::unique_ptr<StoreDatabase> database = std::move(opened).value();
    // Read raw: through QSqlQuery, a variant per value made reading the rows half an export's time.
    static const QByteArray sql = (QStringLiteral("SELECT ") + ClipboardDatabase::codedColumns()
        + QStringLiteral(" FROM clipboard_item AS i") + ClipboardQueries::order())
                                      .toUtf8();
    const Result<ClipboardDatabase::Names> names = ClipboardDatabase::names(*database);
    Status status = names ? Status() : Status(names.error());
    if (status) {
        StoreStatement query(*database, sql.constData());
        // The changes not saved yet go in among the stored entries by the same order.
        auto pending = source.pending.cbegin();
        while (status && query.next()) {
            ClipboardItem item = ClipboardDatabase::item(query, names.value());
            for (; status && pending != source.pending.cend() && ClipboardItem::recentOrder(*pending, item); ++pending)
                status = take(ClipboardItem(*pending));
            if (status && !hiddenIn(source, item))
                status = take(std::move(item));
        }
        if (status)
            status = query.status();
        for (; status && pending != source.pending.cend(); ++pending)
            status = take(ClipboardItem(*pending));
    }
    if (!database->exec(QStringLiteral("COMMIT")))
        qCWarning(lcStore) << "cannot end the export's read transaction";
    return status;
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
