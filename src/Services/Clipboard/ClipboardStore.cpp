#include "Services/Clipboard/ClipboardStore.h"

#include "Models/Common/Saturating.h"
#include "Platform/DataPaths.h"
#include "Platform/FreedMemory.h"
#include "Platform/Logging.h"
#include "Platform/SystemClipboard.h"
#include "Platform/TypeIdentifiers.h"
#include "Services/Clipboard/ClipboardDatabase.h"
#include "Services/Clipboard/ClipboardFiles.h"
#include "Services/Storage/SaveRetry.h"
#include "Services/Storage/StoreStatement.h"
#include "Services/Storage/StoreWriter.h"

#include <QDateTime>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QtConcurrent/QtConcurrentRun>

#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

const QString &orderClause()
{
    static const QString order = QStringLiteral(" ORDER BY i.last_copied_at DESC, i.id");
    return order;
}

qint64 millis(const QDateTime &moment)
{
    return moment.toMSecsSinceEpoch();
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

// The side files named by the rows of a query of image_path, thumbnail_path, text_path.
QStringList sideFilesNamed(QSqlQuery &query)
{
    QStringList paths;
    while (query.next()) {
        for (int column = 0; column < 3; ++column) {
            if (!query.value(column).isNull())
                paths << query.value(column).toString();
        }
    }
    return paths;
}

// The side-file paths of every stored entry; absent when they cannot be read.
std::optional<QSet<QString>> sideFilesOf(const QSqlDatabase &connection)
{
    QSqlQuery query(connection);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT image_path, thumbnail_path, text_path FROM clipboard_item WHERE "
                                   "image_path IS NOT NULL OR thumbnail_path IS NOT NULL OR text_path IS NOT NULL")))
        return std::nullopt;
    const QStringList paths = sideFilesNamed(query);
    if (query.lastError().isValid())
        return std::nullopt;
    return QSet<QString>(paths.cbegin(), paths.cend());
}

// The same through a connection of this thread's own.
std::optional<QSet<QString>> storedSideFiles(const QString &databasePath)
{
    const QString name = QStringLiteral("vemra-sweep-") + StoreDatabase::idText(QUuid::createUuid());
    std::optional<QSet<QString>> paths;
    {
        QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        connection.setDatabaseName(databasePath);
        connection.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        if (connection.open())
            paths = sideFilesOf(connection);
        if (!paths)
            qCWarning(lcStore) << "cannot list the side files of" << databasePath;
        connection.close();
    }
    QSqlDatabase::removeDatabase(name);
    return paths;
}

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

// Writes changes through the file's writer, folds the log back after a deletion, and names the
// side files that the changes gave up.
ClipboardStore::WriteOutcome writeThere(
    const StoreDatabase &sql, const ClipboardDatabase::Changes &changes, bool logToFold)
{
    ClipboardStore::WriteOutcome outcome;
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

} // namespace

// Opening --------------------------------------------------------------------------------

std::unique_ptr<ClipboardStore> ClipboardStore::make(const QString &folder, IntegrityCheck check)
{
    ClipboardFiles::removeLeftTemporaryFolders();
    if (!DataPaths::ensureFolder(folder)) {
        return inMemory(Error {
            ClipboardDatabase::schema().openFailed, QStringLiteral("The folder %1 couldn’t be made.").arg(folder) });
    }
    const QString path = folder + QLatin1Char('/') + databaseFileName();
    const QDateTime opened = QDateTime::currentDateTimeUtc();
    if (check == IntegrityCheck::InBackground) {
        const Result<StoreFileCheck::Contents> contents = StoreFileCheck::inspect(path, ClipboardDatabase::schema());
        if (!contents)
            return inMemory(contents.error());
        if (contents.value() != StoreFileCheck::Contents::Empty) {
            ClipboardFiles::ensureFolders(folder);
            std::unique_ptr<ClipboardStore> store(
                new ClipboardStore(ClipboardDatabase::inMemory(), folder, std::nullopt));
            store->m_checking = true;
            store->m_contents = contents.value();
            store->m_openedAt = opened;
            connect(&store->m_check, &QFutureWatcher<Status>::finished, store.get(), &ClipboardStore::finishCheck);
            store->m_check.setFuture(QtConcurrent::run(
                [path, contents = contents.value()] { return ClipboardDatabase::prepareFile(path, contents); }));
            return store;
        }
    }
    Result<std::unique_ptr<ClipboardDatabase>> database = ClipboardDatabase::open(path);
    if (!database)
        return inMemory(database.error());
    Result<std::shared_ptr<StoreWriter>> writer = StoreWriter::open(path, ClipboardDatabase::schema());
    if (!writer)
        return inMemory(Error { ClipboardDatabase::schema().openFailed, writer.error().detail });
    ClipboardFiles::ensureFolders(folder);
    std::unique_ptr<ClipboardStore> store(new ClipboardStore(std::move(database).value(), folder, std::nullopt));
    store->m_writer = std::move(writer).value();
    store->removeStrayFiles(opened);
    return store;
}

void ClipboardStore::finishCheck()
{
    if (!m_checking)
        return;
    m_checking = false;
    const Status verified = m_check.result();
    Result<std::unique_ptr<ClipboardDatabase>> opened = verified
        // An older file was brought up to date with the check.
        ? ClipboardDatabase::open(m_folder + QLatin1Char('/') + databaseFileName(),
            m_contents == StoreFileCheck::Contents::Older ? StoreFileCheck::Contents::Current : m_contents)
        : Result<std::unique_ptr<ClipboardDatabase>>(verified.error());
    Result<std::shared_ptr<StoreWriter>> writer = opened
        ? StoreWriter::open(opened.value()->sql().filePath(), ClipboardDatabase::schema())
        : Result<std::shared_ptr<StoreWriter>>(opened.error());
    if (opened && !writer)
        opened = Error { ClipboardDatabase::schema().openFailed, writer.error().detail };
    if (opened) {
        m_database = std::move(opened).value();
        m_writer = std::move(writer).value();
        m_hidden.clear();
        m_storedCount = m_database->storedCount();
        if (m_database->search().splits(m_storedCount))
            m_database->search().prepare();
        removeStrayFiles(m_openedAt);
    } else {
        m_loadError = opened.error();
        qCWarning(lcStore) << "keeping the clipboard history in memory:" << m_loadError->detail;
        moveToTemporaryFolder();
    }
    // The history's rows appear, and what was copied meanwhile is written.
    save();
    Q_EMIT checked();
}

void ClipboardStore::moveToTemporaryFolder()
{
    auto temporary = std::make_unique<ClipboardFiles::TemporaryFolder>();
    const QString folder = temporary->path();
    // Nothing of a history that lives in memory stays in the folder of the one on disk.
    QStringList files;
    for (const ClipboardItem &item : std::as_const(m_pendingItems))
        files << sideFiles(item);
    ClipboardFiles::move(files, m_folder, folder);
    m_folder = folder;
    m_temporaryFolder = std::move(temporary);
}

std::unique_ptr<ClipboardStore> ClipboardStore::makeDefault(IntegrityCheck check)
{
    return make(DataPaths::appFolder() + QStringLiteral("/Clipboard"), check);
}

std::unique_ptr<ClipboardStore> ClipboardStore::inMemory(std::optional<Error> loadError)
{
    auto temporary = std::make_unique<ClipboardFiles::TemporaryFolder>();
    std::unique_ptr<ClipboardStore> store(
        new ClipboardStore(ClipboardDatabase::inMemory(), temporary->path(), std::move(loadError)));
    store->m_temporaryFolder = std::move(temporary);
    return store;
}

ClipboardStore::ClipboardStore(
    std::unique_ptr<ClipboardDatabase> database, QString folder, std::optional<Error> loadError)
    : m_database(std::move(database))
    , m_folder(std::move(folder))
    , m_loadError(std::move(loadError))
    , m_storedCount(m_database->storedCount())
    , m_retry(new SaveRetry(this))
{
    if (m_database->search().splits(m_storedCount))
        m_database->search().prepare();
    m_fileRemover.setMaxThreadCount(1);
    connect(&m_write, &QFutureWatcher<WriteOutcome>::finished, this, &ClipboardStore::finishWrite);
    connect(m_retry, &SaveRetry::due, this, [this] { writePending(Report::Quietly); });
}

ClipboardStore::~ClipboardStore()
{
    // What is pending is written before the writer goes; a failure was told already.
    if (m_writer && !m_checking) {
        if (const Status status = flush(); !status)
            qCWarning(lcStore) << "the clipboard history's last changes are not saved:" << status.error().detail;
    }
    m_fileRemover.waitForDone();
    m_temporaryFolder.reset();
}

void ClipboardStore::removeStrayFiles(const QDateTime &opened)
{
    // Only files older than the opening: a capture that is under way writes its files before
    // its entry exists.
    const QString folder = m_folder;
    const QString databasePath = m_database->sql().filePath();
    m_fileRemover.start([folder, databasePath, opened] {
        if (const std::optional<QSet<QString>> stored = storedSideFiles(databasePath))
            ClipboardFiles::removeStrays(folder, *stored, opened);
    });
}

// Recording ------------------------------------------------------------------------------

ClipboardItem ClipboardStore::record(const ClipboardCapture &capture)
{
    ClipboardItem entry;
    if (std::optional<ClipboardItem> existing = itemWithHash(capture.contentHash)) {
        entry = *existing;
        if (capture.copiedAt >= entry.lastCopiedAt)
            entry.lastCopiedAt = capture.copiedAt;
        entry.copyCount = Saturating::add(entry.copyCount, 1);
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
        m_pendingNew.insert(entry.id);
    }
    save();
    return entry;
}

// Pending changes ------------------------------------------------------------------------

void ClipboardStore::hidePending() const
{
    const auto hide = [this](const QUuid &id) {
        if (m_hidden.contains(id))
            return;
        if (m_database->sql().exec(QStringLiteral("INSERT OR IGNORE INTO temp.pending_hidden (id) VALUES (?)"),
                { ClipboardDatabase::idValue(id) }))
            m_hidden.insert(id);
        else
            qCWarning(lcStore) << "the stored version of" << id << "may show beside its pending one";
    };
    std::for_each(m_pendingItems.keyBegin(), m_pendingItems.keyEnd(), hide);
    std::for_each(m_pendingDeletions.cbegin(), m_pendingDeletions.cend(), hide);
}

void ClipboardStore::stage(const ClipboardItem &item)
{
    if (m_inFlight)
        m_touched.insert(item.id);
    m_pendingItems.insert(item.id, item);
    m_pendingDeletions.remove(item.id);
}

void ClipboardStore::stageDeletion(const ClipboardItem &item)
{
    if (m_inFlight)
        m_touched.insert(item.id);
    m_pendingItems.remove(item.id);
    // One never saved needs no deleting, unless a write under way is saving it now.
    if (!m_pendingNew.remove(item.id) || m_inFlight)
        m_pendingDeletions.insert(item.id);
    m_pendingFileRemovals << sideFiles(item);
}

void ClipboardStore::stageRangeDeletion(const Range &span)
{
    // The stored entries' side files are read when the span is written.
    // Pending versions of entries in the span go with them.
    QList<ClipboardItem> covered;
    for (const ClipboardItem &item : std::as_const(m_pendingItems)) {
        if (span.holds(item))
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
    hidePending();
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
    writePending(Report::Failure);
}

void ClipboardStore::writePending(Report report)
{
    if (m_telling)
        report = Report::Quietly;
    // Kept in memory until the file has passed its check.
    if (m_checking)
        return;
    // What changes while a write is under way goes out with the next save, once it is done.
    if (m_inFlight) {
        if (!m_asked || report == Report::Failure)
            m_asked = report;
        return;
    }
    if (!hasPending()) {
        m_retry->succeeded();
        return;
    }

    // A history in memory has only its own connection, which nothing else waits on.
    if (!m_writer) {
        if (Status status = writeHere(); !status)
            failed(status.error(), report);
        return;
    }
    // Written by the file's writer on its own thread, while the entries stay hidden here until
    // it is done.
    const ClipboardDatabase::Changes changes { m_pendingItems.values(), m_pendingDeletions, pendingSpans() };
    m_inFlight = pendingWrite();
    m_reportsInFlight = report == Report::Failure;
    m_write.setFuture(m_writer->run(
        [changes, logToFold = m_logToFold](const StoreDatabase &sql) { return writeThere(sql, changes, logToFold); }));
}

ClipboardStore::Written ClipboardStore::pendingWrite() const
{
    return { QSet<QUuid>(m_pendingItems.keyBegin(), m_pendingItems.keyEnd()), m_pendingNew, m_pendingDeletions,
        m_pendingRanges.size(), m_pendingFileRemovals.size() };
}

QList<std::pair<qint64, qint64>> ClipboardStore::pendingSpans() const
{
    QList<std::pair<qint64, qint64>> spans;
    spans.reserve(m_pendingRanges.size());
    for (const Range &span : m_pendingRanges)
        spans.append({ span.start, span.end });
    return spans;
}

Status ClipboardStore::writeHere()
{
    const Written written = pendingWrite();
    const ClipboardDatabase::Changes changes { m_pendingItems.values(), m_pendingDeletions, pendingSpans() };
    const auto write = [&changes, this](const StoreDatabase &sql) { return writeThere(sql, changes, m_logToFold); };
    const WriteOutcome outcome = m_writer ? m_writer->run(write).result() : write(m_database->sql());
    if (!outcome.erased)
        return outcome.error;
    m_logToFold = !outcome.folded;
    // Only now that no saved entry refers to them.
    removeSideFiles(m_pendingFileRemovals + outcome.cleared);
    settle(written, *outcome.erased);
    return {};
}

void ClipboardStore::failed(const Error &error, Report report)
{
    m_retry->failed();
    // A retry that fails again is not told again: the user heard of the first failure.
    if (report == Report::Failure) {
        // A change made while the failure is being told is saved, and a failure of it not told
        // again.
        const QScopedValueRollback telling(m_telling, true);
        Q_EMIT saveFailed(ClipboardDatabase::schema().saveFailed, error);
    } else
        qCInfo(lcStore) << "the clipboard history is still not saved:" << error.detail;
}

Status ClipboardStore::flush()
{
    waitForBackgroundWork();
    if (!hasPending())
        return {};
    // On this thread whatever it holds: the application is about to end.
    Status status = writeHere();
    if (!status)
        m_retry->failed();
    return status;
}

void ClipboardStore::setRetryInterval(std::chrono::milliseconds interval)
{
    m_retry->setInterval(interval);
}

void ClipboardStore::finishWrite()
{
    if (!m_inFlight || !m_write.isFinished())
        return;
    const WriteOutcome outcome = m_write.result();
    const Written written = *std::exchange(m_inFlight, std::nullopt);
    if (!outcome.erased) {
        m_touched.clear();
        failed(outcome.error, m_reportsInFlight ? Report::Failure : Report::Quietly);
        // A change made meanwhile asked for a save of its own, which is tried (and told) once.
        if (const std::optional<Report> asked = std::exchange(m_asked, std::nullopt))
            writePending(*asked);
        return;
    }
    m_logToFold = !outcome.folded;
    removeSideFiles(m_pendingFileRemovals.mid(0, written.files) + outcome.cleared);
    settle(written, *outcome.erased);
    // Then what changed meanwhile.
    writePending(std::exchange(m_asked, std::nullopt).value_or(Report::Quietly));
}

void ClipboardStore::settle(const Written &written, qint64 erased)
{
    m_storedCount += written.created.size() - erased;
    // Nothing deleted stays readable in the search's column either.
    if (erased > 0)
        m_database->search().forget();
    for (const QUuid &id : written.items) {
        if (!m_touched.contains(id))
            m_pendingItems.remove(id);
    }
    for (const QUuid &id : written.created)
        m_pendingNew.remove(id);
    for (const QUuid &id : written.deletions) {
        if (!m_touched.contains(id))
            m_pendingDeletions.remove(id);
    }
    m_pendingRanges.remove(0, written.ranges);
    m_pendingFileRemovals.remove(0, written.files);
    m_touched.clear();

    // The next read hides again what is still pending.
    if (!m_hidden.isEmpty()) {
        if (m_database->sql().exec(QStringLiteral("DELETE FROM temp.pending_hidden")))
            m_hidden.clear();
        else
            qCWarning(lcStore) << "saved entries may stay hidden until the next save";
    }
    if (!hasPending())
        m_retry->succeeded();
}

void ClipboardStore::waitForCheck()
{
    if (!m_checking)
        return;
    m_check.waitForFinished();
    finishCheck();
}

void ClipboardStore::waitForBackgroundWork()
{
    waitForCheck();
    m_database->search().waitForColumn();
    while (m_inFlight) {
        m_write.waitForFinished();
        finishWrite();
    }
    m_fileRemover.waitForDone();
}

// Reading --------------------------------------------------------------------------------

QString ClipboardStore::source(const Filter &filter) const
{
    // What a search looks through is in the entries themselves.
    Q_UNUSED(filter)
    return QStringLiteral(" FROM clipboard_item AS i WHERE ");
}

QList<ClipboardItem> ClipboardStore::fetch(const Filter &filter, std::optional<int> limit) const
{
    QList<ClipboardItem> result;
    if (limit && *limit <= 0)
        return result;

    QString statement = QStringLiteral("SELECT ") + ClipboardDatabase::columns() + source(filter)
        + (filter.where.isEmpty() ? QStringLiteral("1") : filter.where) + hiddenClause() + orderClause();
    if (limit)
        statement += QStringLiteral(" LIMIT %1").arg(*limit);
    Result<QSqlQuery> selected = m_database->sql().select(statement, filter.bindings + hiddenBindings());
    if (!selected)
        return {};
    QSqlQuery query = std::move(selected).value();
    while (query.next())
        result << ClipboardDatabase::item(query);

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

QList<ClipboardItem> ClipboardStore::fetchRows(const QList<qint64> &rows, int limit) const
{
    if (rows.isEmpty() || limit <= 0)
        return {};
    QByteArray numbers;
    numbers.reserve(rows.size() * 8);
    for (qint64 row : rows)
        numbers += QByteArray::number(row) + ',';
    numbers.chop(1);
    // Read as the file holds them and put in order here: a page of long texts is megabytes,
    // which SQLite's sorter would copy and the driver decode more slowly than Qt does.
    const QByteArray sql = "SELECT " + ClipboardDatabase::columns().toUtf8()
        + " FROM clipboard_item AS i WHERE i.seq IN (" + numbers + ')';
    StoreStatement query(m_database->sql(), sql.constData());
    QList<ClipboardItem> result;
    result.reserve(rows.size());
    while (query.next())
        result << ClipboardDatabase::item(query);
    if (!query.status())
        return {};
    std::sort(result.begin(), result.end(), &ClipboardItem::recentOrder);
    if (result.size() > limit)
        result.resize(limit);
    return result;
}

qint64 ClipboardStore::tally(const Filter &filter) const
{
    const QString statement = filter.search && !hasPending()
        // Nothing is hidden: no entry needs looking up.
        ? QString(QStringLiteral("SELECT count(*) FROM clipboard_item AS i WHERE ") + filter.where)
        : QString(QStringLiteral("SELECT count(*)") + source(filter)
            + (filter.where.isEmpty() ? QStringLiteral("1") : filter.where) + hiddenClause());
    Result<QSqlQuery> selected = m_database->sql().select(statement, filter.bindings + hiddenBindings());
    if (!selected)
        return 0;
    QSqlQuery query = std::move(selected).value();
    if (!query.next())
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
    filter.where = QLatin1Char('(') + ClipboardSearch::condition(*predicate) + QLatin1Char(')');
    filter.bindings = ClipboardSearch::bindings(*predicate);
    filter.accepts = [predicate](const ClipboardItem &item) { return predicate->accepts(item); };
    return filter;
}

ClipboardStore::Filter ClipboardStore::periodFilter(const Range &span) const
{
    Filter filter;
    filter.where = QStringLiteral("i.last_copied_at >= ? AND i.last_copied_at < ?");
    filter.bindings << span.start << span.end;
    filter.accepts = [span](const ClipboardItem &item) { return span.holds(item); };
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

ClipboardStore::Page ClipboardStore::page(const QString &query, int limit) const
{
    const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
    if (!predicate)
        return { items(limit), count() };
    if (!hasPending()) {
        if (const std::optional<ClipboardSearch::Scan> scan = m_database->search().scan(*predicate, limit))
            return { fetchRows(scan->rows, limit), scan->count };
    }
    const Filter filter = searchFilter(query);
    return { fetch(filter, limit), tally(filter) };
}

QFuture<std::optional<ClipboardSearch::Scan>> ClipboardStore::scanInBackground(const QString &query, int limit) const
{
    const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
    if (!predicate || hasPending() || !m_database->search().splits(m_storedCount))
        return {};
    return m_database->search().start(*predicate, limit);
}

ClipboardStore::Page ClipboardStore::page(
    const QString &query, const std::optional<ClipboardSearch::Scan> &scan, int limit) const
{
    if (!scan || hasPending())
        return page(query, limit);
    return { fetchRows(scan->rows, limit), scan->count };
}

std::optional<ClipboardItem> ClipboardStore::item(const QUuid &id) const
{
    if (auto pending = m_pendingItems.constFind(id); pending != m_pendingItems.cend())
        return *pending;
    if (m_pendingDeletions.contains(id))
        return std::nullopt;
    Filter filter;
    filter.where = QStringLiteral("i.id = ?");
    filter.bindings << ClipboardDatabase::idValue(id);
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
    Result<QSqlQuery> selected = m_database->sql().select(QStringLiteral("SELECT ")
            + ClipboardDatabase::columns()
            // The index holds the head of each hash.
            + QStringLiteral(" FROM clipboard_item AS i WHERE ") + ClipboardDatabase::hashMatch() + hiddenClause()
            + QStringLiteral(" LIMIT 1"),
        QVariantList { ClipboardDatabase::hashValue(contentHash), ClipboardDatabase::hashValue(contentHash) }
            + hiddenBindings());
    if (!selected)
        return std::nullopt;
    QSqlQuery query = std::move(selected).value();
    if (!query.next())
        return std::nullopt;
    return ClipboardDatabase::item(query);
}

qint64 ClipboardStore::count() const
{
    if (!hasPending())
        return m_storedCount;
    // Copies that wait to be written, as after every copy until its save: a new entry adds one,
    // a changed one stands in for its stored row. Known without scanning the history.
    if (m_pendingDeletions.isEmpty() && m_pendingRanges.isEmpty())
        return m_storedCount
            + std::count_if(m_pendingItems.keyBegin(), m_pendingItems.keyEnd(),
                [this](const QUuid &id) { return m_pendingNew.contains(id); });
    return tally({});
}

qint64 ClipboardStore::count(const QString &query) const
{
    const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
    if (!predicate)
        return count();
    if (!hasPending()) {
        if (const std::optional<ClipboardSearch::Scan> scan = m_database->search().scan(*predicate, 0))
            return scan->count;
    }
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
    return ClipboardFiles::filePath(relativePath, m_folder);
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
    const std::optional<QByteArray> bytes = ClipboardFiles::read(*item.textPath, m_folder);
    if (!bytes)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(*bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

void ClipboardStore::removeSideFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    m_fileRemover.start([folder = m_folder, paths] { ClipboardFiles::remove(paths, folder); });
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
        const std::optional<QByteArray> bytes
            = item.imagePath ? ClipboardFiles::read(*item.imagePath, m_folder) : std::nullopt;
        if (!bytes)
            return false;
        // Image files are stored as PNG unless their identifier says otherwise, so an identifier
        // the table does not know is offered as PNG rather than under no type at all.
        const QString mimeType = TypeIdentifiers::mimeType(item.mimeType);
        contents.data.append(
            { mimeType.isEmpty() ? TypeIdentifiers::mimeType(TypeIdentifiers::png()) : mimeType, *bytes });
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
    Q_EMIT copiedBack(*changeCount);

    // The stored version, not the caller's copy, so that a stale copy does not undo a fold.
    if (std::optional<ClipboardItem> current = this->item(item.id)) {
        current->lastCopiedAt = now;
        current->copyCount = Saturating::add(current->copyCount, 1);
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

// Export and import ---------------------------------------------------------------------

ClipboardStore::TransferSource ClipboardStore::transferSource() const
{
    TransferSource source;
    source.databasePath = m_database->sql().filePath();
    source.folder = m_folder;
    if (source.databasePath.isEmpty()) {
        source.items = items();
        return source;
    }
    source.pending = m_pendingItems.values();
    std::sort(source.pending.begin(), source.pending.end(), &ClipboardItem::recentOrder);
    source.hidden = m_pendingDeletions;
    for (const ClipboardItem &item : m_pendingItems)
        source.hidden.insert(item.id);
    source.hiddenRanges = pendingSpans();
    return source;
}

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

Status ClipboardStore::readForExport(
    const TransferSource &source, const std::function<Status(const ClipboardItem &)> &take)
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
        + QStringLiteral(" FROM clipboard_item AS i") + orderClause())
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

Result<ClipboardKeys> ClipboardStore::readKnownKeys(const TransferSource &source)
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

QList<ClipboardItem> ClipboardStore::itemsWithIds(const QList<QUuid> &ids) const
{
    if (ids.isEmpty())
        return {};
    const QSet<QUuid> wanted(ids.cbegin(), ids.cend());
    Filter filter;
    filter.where = QStringLiteral("i.id IN (");
    for (qsizetype i = 0; i < ids.size(); ++i) {
        filter.where += i == 0 ? QStringLiteral("?") : QStringLiteral(", ?");
        filter.bindings << ClipboardDatabase::idValue(ids.at(i));
    }
    filter.where += u')';
    filter.accepts = [&wanted](const ClipboardItem &item) { return wanted.contains(item.id); };
    QHash<QUuid, ClipboardItem> found;
    for (const ClipboardItem &item : fetch(filter, std::nullopt))
        found.insert(item.id, item);
    QList<ClipboardItem> result;
    result.reserve(found.size());
    for (const QUuid &id : ids) {
        if (auto item = found.constFind(id); item != found.cend())
            result.append(*item);
    }
    return result;
}

void ClipboardStore::adoptImported(qint64 count)
{
    if (count <= 0)
        return;
    m_storedCount += count;
    ++m_revision;
    Q_EMIT revisionChanged(m_revision);
}

Status ClipboardStore::insertImported(const QList<ClipboardCapture> &captures)
{
    if (captures.isEmpty())
        return {};
    // After the writes under way.
    waitForBackgroundWork();
    ClipboardDatabase::Changes changes;
    changes.items.reserve(captures.size());
    for (const ClipboardCapture &capture : captures)
        changes.items.append(ClipboardItem(capture));
    const auto write = [&changes](const StoreDatabase &sql) { return ClipboardDatabase::write(sql, changes); };
    const Result<qint64> written = m_writer ? m_writer->run(write).result() : write(m_database->sql());
    if (written)
        m_storedCount += changes.items.size();
    ++m_revision;
    Q_EMIT revisionChanged(m_revision);
    if (!written)
        return written.error();
    return {};
}
