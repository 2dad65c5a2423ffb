#include "Services/Clipboard/ClipboardSaveJob.h"

#include "Platform/FreedMemory.h"
#include "Platform/Logging.h"
#include "Services/Storage/StoreDatabase.h"

#include <QSet>
#include <QSqlQuery>

#include <sqlite3.h>

namespace {

// The side files of the stored entries in the periods being cleared, read where the write runs
// (at a million entries the read is long), but not those of entries the same write saves again:
// a pending newer version keeps its files.
Result<QStringList> sideFilesCleared(const StoreDatabase &sql, const ClipboardDatabase::Changes &changes)
{
    QStringList paths;
    if (changes.ranges.isEmpty())
        return paths;
    QSet<QUuid> kept;
    for (const ClipboardItem &item : changes.items)
        kept.insert(item.id);
    for (const auto &[start, end] : changes.ranges) {
        Result<QSqlQuery> selected
            = sql.select(QStringLiteral("SELECT image_path, thumbnail_path, text_path, id FROM clipboard_item "
                                        "WHERE last_copied_at >= ? AND last_copied_at < ? AND (image_path IS NOT NULL "
                                        "OR thumbnail_path IS NOT NULL OR text_path IS NOT NULL)"),
                { start, end });
        if (!selected)
            return selected.error();
        QSqlQuery files = std::move(selected).value();
        while (files.next()) {
            if (kept.contains(ClipboardDatabase::idFrom(files.value(3))))
                continue;
            for (int column = 0; column < 3; ++column) {
                if (!files.value(column).isNull())
                    paths << files.value(column).toString();
            }
        }
    }
    return paths;
}

} // namespace

ClipboardSaveJob::Outcome ClipboardSaveJob::run(
    const StoreDatabase &sql, const ClipboardDatabase::Changes &changes, bool logToFold, ClipboardSearch *search)
{
    Outcome outcome;
    // Deleting a period spreads over every index of a large history; with the small usual
    // cache the same pages would be written to the log again and again.
    const bool large = !changes.ranges.isEmpty();
    if (large && !sql.exec(QStringLiteral("PRAGMA cache_size = -131072")))
        qCWarning(lcStore) << "deleting with the usual small cache";
    const auto written = [&]() -> Status {
        const Result<QStringList> cleared = sideFilesCleared(sql, changes);
        if (!cleared)
            return cleared.error();
        const Result<qint64> erased = ClipboardDatabase::write(sql, changes);
        if (!erased)
            return erased.error();
        outcome.erased = erased.value();
        outcome.cleared = cleared.value();
        // Deleted texts are overwritten in the file; folding the log back leaves none of them
        // in it. A reader may keep the log for a moment: the next save tries again.
        outcome.folded = changes.deletions.isEmpty() && !large && !logToFold ? true : sql.foldLog();
        // Nor in the search's column, before the deletion is told done; here rather than on the
        // main thread, which would wait for a scan under way.
        if (search && *outcome.erased > 0)
            search->erase(sql);
        return {};
    }();
    if (!written)
        outcome.error = written.error();
    if (large) {
        // The large cache goes with its pages; without this the process would keep them.
        if (!sql.exec(QStringLiteral("PRAGMA cache_size = -2000")))
            qCWarning(lcStore) << "the writer keeps its large cache";
        sqlite3_db_release_memory(sql.handle());
        FreedMemory::giveBack();
    }
    return outcome;
}
