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

} // namespace

Status ClipboardTransferReader::readForExport(
    const ClipboardStore::TransferSource &source, const std::function<Status(const ClipboardItem &)> &take)
{
    if (source.databasePath.isEmpty()) {
        for (const ClipboardItem &item : source.items) {
            if (Status status = take(item); !status)
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
            const ClipboardItem item = ClipboardDatabase::item(query, names.value());
            for (; status && pending != source.pending.cend() && ClipboardItem::recentOrder(*pending, item); ++pending)
                status = take(*pending);
            if (status && !hiddenIn(source, item))
                status = take(item);
        }
        if (status)
            status = query.status();
        for (; status && pending != source.pending.cend(); ++pending)
            status = take(*pending);
    }
    if (!database->exec(QStringLiteral("COMMIT")))
        qCWarning(lcStore) << "cannot end the export's read transaction";
    return status;
}

Result<ClipboardKeys> ClipboardTransferReader::readKnownKeys(const ClipboardStore::TransferSource &source)
{
    ClipboardKeys keys;
    const auto add = [&keys](const ClipboardItem &item) {
        keys.ids.insert(item.id);
        keys.hashes.insert(item.contentHash);
    };
    std::for_each(source.items.cbegin(), source.items.cend(), add);
    std::for_each(source.pending.cbegin(), source.pending.cend(), add);
    if (source.databasePath.isEmpty())
        return keys;
    Result<std::unique_ptr<StoreDatabase>> opened = reader(source.databasePath);
    if (!opened)
        return opened.error();
    const std::unique_ptr<StoreDatabase> database = std::move(opened).value();
    // Read raw, the hashes as the text the plan compares: a second import of a large file
    // is mostly this read and the plan's hashing.
    StoreStatement query(*database, "SELECT id, hash_of(content_hash, content), last_copied_at FROM clipboard_item");
    ClipboardItem item;
    while (query.next()) {
        if (!source.hidden.isEmpty() || !source.hiddenRanges.isEmpty()) {
            item.id = idFrom(query, 0);
            item.lastCopiedAt = QDateTime::fromMSecsSinceEpoch(query.integer(2), Qt::UTC);
            if (hiddenIn(source, item))
                continue;
        }
        keys.ids.insert(idFrom(query, 0));
        keys.hashes.insert(
            query.isBytes(1) ? QString::fromLatin1(query.bytes(1).toByteArray().toHex()) : query.text(1));
    }
    if (!database->exec(QStringLiteral("COMMIT")))
        qCWarning(lcStore) << "cannot end the import's read transaction";
    if (Status status = query.status(); !status)
        return status.error();
    return keys;
}
