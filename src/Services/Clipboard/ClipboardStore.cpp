#include "Services/Clipboard/ClipboardStore.h"

#include "Models/Common/Saturating.h"
#include "Platform/DataPaths.h"
#include "Platform/Logging.h"
#include "Platform/SystemClipboard.h"
#include "Platform/TypeIdentifiers.h"
#include "Services/Clipboard/ClipboardDatabase.h"
#include "Services/Clipboard/ClipboardFiles.h"
#include "Services/Clipboard/ClipboardQueries.h"
#include "Services/Storage/StoreWriter.h"

#include <QDateTime>
#include <QFileInfo>
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

// The side-file paths of every stored entry; absent when they cannot be read.
std::optional<ClipboardFiles::StoredPaths> sideFilesOf(const QSqlDatabase &connection)
{
    QSqlQuery query(connection);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT image_path, thumbnail_path, text_path FROM clipboard_item WHERE "
                                   "image_path IS NOT NULL OR thumbnail_path IS NOT NULL OR text_path IS NOT NULL")))
        return std::nullopt;
    ClipboardFiles::StoredPaths paths;
    while (query.next()) {
        for (int column = 0; column < 3; ++column) {
            if (const QVariant path = query.value(column); !path.isNull())
                paths.insert(path.toString());
        }
    }
    if (query.lastError().isValid())
        return std::nullopt;
    return paths;
}

// The same through a connection of this thread's own.
std::optional<ClipboardFiles::StoredPaths> storedSideFiles(const QString &databasePath)
{
    const QString name = QStringLiteral("vemra-sweep-") + StoreDatabase::idText(QUuid::createUuid());
    std::optional<ClipboardFiles::StoredPaths> paths;
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
            // A file of this version is read meanwhile, as it is, on a connection that nothing
            // waits on and that goes before anything is written to it; an older one once it
            // is upgraded, and one with a log left beside it (a crash) once it is checked: the
            // log's index, opened read-only here, would stay read-only for the writer's
            // connection in this process too.
            const bool peeks = contents.value() == StoreFileCheck::Contents::Current
                && !QFileInfo::exists(path + QStringLiteral("-wal"));
            Result<std::unique_ptr<ClipboardDatabase>> peek
                = peeks ? ClipboardDatabase::peek(path) : Result<std::unique_ptr<ClipboardDatabase>>(Error {});
            if (!peek && peeks)
                qCWarning(lcStore) << "the clipboard history shows once its file is checked:" << peek.error().detail;
            const bool reads = bool(peek);
            // Nothing writes the file until it is checked, so its entries are counted when first
            // needed: the tray icon does not wait for it.
            std::unique_ptr<ClipboardStore> store(
                new ClipboardStore(reads ? std::move(peek).value() : ClipboardDatabase::inMemory(), folder,
                    std::nullopt, ClipboardQueries::Counting::WhenNeeded));
            store->m_readsFile = reads;
            store->m_checking = true;
            store->m_openedAt = opened;
            connect(&store->m_check, &QFutureWatcher<Checked>::finished, store.get(), &ClipboardStore::finishCheck);
            // The writer upgrades an older file, on its own thread, while this one waits.
            store->m_check.setFuture(QtConcurrent::run([path, contents = contents.value()] {
                Checked checked { StoreFileCheck::verify(path, ClipboardDatabase::schema()), {}, {} };
                if (!checked.status)
                    return checked;
                Result<std::shared_ptr<StoreWriter>> writer
                    = StoreWriter::open(path, ClipboardDatabase::schema(), contents);
                if (!writer) {
                    checked.status = writer.error();
                    return checked;
                }
                checked.writer = std::move(writer).value();
                // Counted here, off the main thread: nothing writes the file before it is handed over.
                const Result<qint64> stored = checked.writer
                                                  ->run([](const StoreDatabase &sql) {
                                                      Result<qint64> count = ClipboardDatabase::storedCount(sql);
                                                      // The index it read is of no use to writes.
                                                      sqlite3_db_release_memory(sql.handle());
                                                      return count;
                                                  })
                                                  .result();
                if (stored)
                    checked.stored = stored.value();
                return checked;
            }));
            return store;
        }
    }
    const Result<StoreFileCheck::Contents> contents = StoreDatabase::check(path, ClipboardDatabase::schema());
    if (!contents)
        return inMemory(contents.error());
    Result<std::shared_ptr<StoreWriter>> writer
        = StoreWriter::open(path, ClipboardDatabase::schema(), contents.value());
    if (!writer)
        return inMemory(writer.error());
    Result<std::unique_ptr<ClipboardDatabase>> database = ClipboardDatabase::read(path);
    if (!database)
        return inMemory(database.error());
    ClipboardFiles::ensureFolders(folder);
    std::unique_ptr<ClipboardStore> store(new ClipboardStore(std::move(database).value(), folder, std::nullopt));
    store->m_writer = std::move(writer).value();
    store->logFolded(!store->m_writer->logLeft());
    store->m_readsFile = true;
    store->m_database->search().useWriter(store->m_writer);
    store->removeStrayFiles(opened);
    return store;
}

void ClipboardStore::finishCheck()
{
    if (!m_checking)
        return;
    // The search's column made meanwhile reads the file through connections that no write
    // may change under them: the file is handed over once it is made.
    if (QFuture<void> made = m_database->search().columnMade(); !made.isFinished()) {
        made.then(this, [this] { finishCheck(); });
        return;
    }
    m_checking = false;
    Checked prepared = m_check.future().takeResult();
    const QString path = m_folder + QLatin1Char('/') + databaseFileName();
    const ClipboardSearch::Column column = m_database->search().handOver();
    Result<std::unique_ptr<ClipboardDatabase>> opened = prepared.status
        ? ClipboardDatabase::read(path, column)
        : Result<std::unique_ptr<ClipboardDatabase>>(prepared.status.error());
    // One made of a file that failed goes with it.
    if (!opened && column.unpaired)
        column.column->remove(path);
    // The file's view during the check goes before the writer writes anything.
    const bool passed = bool(opened);
    if (passed) {
        m_writer = std::move(prepared.writer);
        logFolded(!m_writer->logLeft());
        m_database = std::move(opened).value();
        m_database->search().useWriter(m_writer);
        if (m_idleWorkStarted)
            m_database->search().verifyInBackground();
        if (prepared.stored)
            m_queries->attach(*m_database, *prepared.stored);
        else
            m_queries->attach(*m_database);
        removeStrayFiles(m_openedAt);
    } else {
        m_loadError = opened.error();
        qCWarning(lcStore) << "keeping the clipboard history in memory:" << m_loadError->detail;
        // What was changed meanwhile in the file's entries stays with the file, side files
        // included; only what was copied anew is kept.
        if (m_readsFile) {
            m_pending.keepOnlyNew();
            m_database = ClipboardDatabase::inMemory();
            m_queries->attach(*m_database);
        }
        moveToTemporaryFolder();
    }
    m_readsFile = passed;
    // The history's rows appear, and what was copied meanwhile is written.
    save();
    Q_EMIT checked();
}

void ClipboardStore::startIdleWork()
{
    m_idleWorkStarted = true;
    m_database->search().verifyInBackground();
}

void ClipboardStore::moveToTemporaryFolder()
{
    auto temporary = std::make_unique<ClipboardFiles::TemporaryFolder>();
    const QString folder = temporary->path();
    // Nothing of a history that lives in memory stays in the folder of the one on disk.
    ClipboardFiles::move(m_pending.sideFiles(), m_folder, folder);
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

ClipboardStore::ClipboardStore(std::unique_ptr<ClipboardDatabase> database, QString folder,
    std::optional<Error> loadError, ClipboardQueries::Counting counting)
    : m_database(std::move(database))
    , m_folder(std::move(folder))
    , m_loadError(std::move(loadError))
    , m_queries(std::make_unique<ClipboardQueries>(m_pending))
{
    m_queries->attach(*m_database, counting);
    m_fileRemover.setMaxThreadCount(1);
    // Soon after a reader lets go (a scan, an export), and without waiting for it meanwhile.
    m_foldRetry.setInterval(std::chrono::seconds(1));
    m_foldRetry.setSingleShot(true);
    connect(&m_foldRetry, &QTimer::timeout, this, &ClipboardStore::foldLog);
    connect(&m_save.watcher(), &QFutureWatcherBase::finished, this, &ClipboardStore::finishWrite);
    connect(&m_save.retry(), &SaveRetry::due, this, [this] { writePending(Report::Quietly); });
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
        if (const std::optional<ClipboardFiles::StoredPaths> stored = storedSideFiles(databasePath))
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
        m_save.touch(entry.id);
        m_pending.stageNew(entry);
        m_queries->changed(1);
    }
    save();
    return entry;
}

// Pending changes ------------------------------------------------------------------------

void ClipboardStore::stage(const ClipboardItem &item)
{
    m_save.touch(item.id);
    m_pending.stage(item);
}

void ClipboardStore::stageDeletion(const ClipboardItem &item)
{
    m_save.touch(item.id);
    m_pending.stageDeletion(item, m_save.isUnderWay());
}

void ClipboardStore::stageRangeDeletion(const ClipboardPending::Range &span)
{
    // The stored entries' side files are read when the span is written.
    // Pending versions of entries in the span go with them.
    for (const ClipboardItem &item : m_pending.covered(span))
        stageDeletion(item);
    m_pending.stageRange(span);
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
    // Kept in memory until the file has passed its check.
    if (m_checking)
        return;
    // What changes while a write is under way goes out with the next save, once it is done.
    const std::optional<Report> admitted = m_save.admit(report);
    if (!admitted)
        return;
    if (m_pending.isEmpty()) {
        m_save.nothingPending();
        return;
    }

    // A history in memory has only its own connection, which nothing else waits on.
    if (!m_writer) {
        if (Status status = writeHere(); !status)
            failed(status.error(), *admitted);
        return;
    }
    // Written by the file's writer on its own thread, while the entries stay hidden here until
    // it is done.
    const ClipboardDatabase::Changes changes = m_pending.changes();
    m_save.begin(m_pending.taken(), *admitted,
        m_writer->run([changes, logToFold = m_logToFold, search = &m_database->search()](const StoreDatabase &sql) {
            return ClipboardSaveJob::run(sql, changes, logToFold, search);
        }));
}

Status ClipboardStore::writeHere()
{
    const ClipboardPending::Written written = m_pending.taken();
    const ClipboardDatabase::Changes changes = m_pending.changes();
    const auto write = [&changes, this](const StoreDatabase &sql) {
        return ClipboardSaveJob::run(sql, changes, m_logToFold, &m_database->search());
    };
    const ClipboardSaveJob::Outcome outcome = m_writer ? m_writer->run(write).result() : write(m_database->sql());
    if (!outcome.erased)
        return outcome.error;
    logFolded(outcome.folded);
    // Only now that no saved entry refers to them.
    removeSideFiles(m_pending.fileRemovals() + outcome.cleared);
    settle(written, *outcome.erased);
    return {};
}

void ClipboardStore::failed(const Error &error, Report report)
{
    // A deletion taken back is told failed with the first save that fails; it stays pending.
    for (TakenBack &takenBack : m_takenBack) {
        takenBack.promise.addResult(Status(error));
        takenBack.promise.finish();
    }
    m_takenBack.clear();
    m_save.failed(error, report,
        [this](const Error &failure) { Q_EMIT saveFailed(ClipboardDatabase::schema().saveFailed, failure); });
}

Status ClipboardStore::flush()
{
    waitForBackgroundWork();
    if (m_pending.isEmpty())
        return {};
    // On this thread whatever it holds: the application is about to end.
    Status status = writeHere();
    if (!status)
        m_save.retryLater();
    return status;
}

void ClipboardStore::setRetryInterval(std::chrono::milliseconds interval)
{
    m_save.setRetryInterval(interval);
}

void ClipboardStore::finishWrite()
{
    const std::optional<Save::Done> done = m_save.finish();
    if (!done)
        return;
    if (!done->outcome.erased) {
        m_save.forgetTouched();
        failed(done->outcome.error, done->report);
        // A change made meanwhile asked for a save of its own, which is tried (and told) once.
        if (const std::optional<Report> asked = m_save.asked())
            writePending(*asked);
        return;
    }
    logFolded(done->outcome.folded);
    removeSideFiles(m_pending.fileRemovals().mid(0, done->taken.files) + done->outcome.cleared);
    settle(done->taken, *done->outcome.erased);
    // Then what changed meanwhile.
    writePending(m_save.asked().value_or(Report::Quietly));
}

void ClipboardStore::logFolded(bool folded)
{
    m_logToFold = !folded;
    if (m_logToFold)
        m_foldRetry.start();
}

void ClipboardStore::foldLog()
{
    if (!m_logToFold || !m_writer || m_folding)
        return;
    m_folding = true;
    m_writer->run([](const StoreDatabase &sql) { return sql.tryFoldLog(); }).then(this, [this](bool folded) {
        m_folding = false;
        logFolded(folded);
    });
}

void ClipboardStore::settle(const ClipboardPending::Written &written, qint64 erased)
{
    m_queries->addStored(written.created.size() - erased);
    m_pending.settle(written, m_save.touched());
    m_save.forgetTouched();
    m_queries->showSaved();
    if (m_pending.isEmpty())
        m_save.nothingPending();
    const auto deleted = [this](const TakenBack &takenBack) {
        return std::none_of(takenBack.ids.cbegin(), takenBack.ids.cend(),
            [this](const QUuid &id) { return m_pending.deletions().contains(id); });
    };
    for (auto takenBack = m_takenBack.begin(); takenBack != m_takenBack.end();) {
        if (!deleted(*takenBack)) {
            ++takenBack;
            continue;
        }
        takenBack->promise.addResult(Status());
        takenBack->promise.finish();
        takenBack = m_takenBack.erase(takenBack);
    }
}

void ClipboardStore::waitForCheck()
{
    if (!m_checking)
        return;
    m_check.waitForFinished();
    m_database->search().waitForColumn();
    finishCheck();
}

void ClipboardStore::waitForBackgroundWork()
{
    waitForCheck();
    m_database->search().waitForColumn();
    m_save.drain([this] { finishWrite(); });
    m_fileRemover.waitForDone();
}

// Reading --------------------------------------------------------------------------------

QList<ClipboardItem> ClipboardStore::items(std::optional<int> limit) const
{
    return m_queries->items(limit);
}

QList<ClipboardItem> ClipboardStore::items(const QString &query, int limit) const
{
    return m_queries->items(query, limit);
}

ClipboardStore::Page ClipboardStore::page(const QString &query, int limit) const
{
    return m_queries->page(query, limit);
}

QFuture<std::optional<ClipboardSearch::Scan>> ClipboardStore::scanInBackground(const QString &query, int limit) const
{
    return m_queries->scanInBackground(query, limit);
}

ClipboardStore::Page ClipboardStore::page(
    const QString &query, const std::optional<ClipboardSearch::Scan> &scan, int limit) const
{
    return m_queries->page(query, scan, limit);
}

QList<ClipboardItem> ClipboardStore::items(
    const QString &query, const std::optional<ClipboardSearch::Scan> &scan, int limit) const
{
    return m_queries->items(query, scan, limit);
}

std::optional<ClipboardItem> ClipboardStore::item(const QUuid &id) const
{
    return m_queries->item(id);
}

std::optional<ClipboardItem> ClipboardStore::itemWithHash(const QString &contentHash) const
{
    return m_queries->itemWithHash(contentHash);
}

QList<ClipboardItem> ClipboardStore::itemsWithIds(const QList<QUuid> &ids) const
{
    return m_queries->itemsWithIds(ids);
}

qint64 ClipboardStore::count() const
{
    return m_queries->count();
}

qint64 ClipboardStore::count(const QString &query) const
{
    return m_queries->count(query);
}

QList<ClipboardItem> ClipboardStore::items(const ClearRequest &request, const QDateTime &now,
    const ClipboardCalendar &calendar, std::optional<int> limit) const
{
    return m_queries->items(request, now, calendar, limit);
}

qint64 ClipboardStore::count(const ClearRequest &request, const QDateTime &now, const ClipboardCalendar &calendar) const
{
    return m_queries->count(request, now, calendar);
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
    stageDeletions(items);
    save();
}

QFuture<Status> ClipboardStore::takeBackImported(const QList<ClipboardItem> &items)
{
    if (items.isEmpty())
        return QtFuture::makeReadyFuture(Status());
    TakenBack takenBack;
    for (const ClipboardItem &item : items)
        takenBack.ids.append(item.id);
    takenBack.promise.start();
    QFuture<Status> written = takenBack.promise.future();
    m_takenBack.push_back(std::move(takenBack));
    stageDeletions(items);
    ++m_revision;
    Q_EMIT revisionChanged(m_revision);
    writePending(Report::Quietly);
    return written;
}

void ClipboardStore::stageDeletions(const QList<ClipboardItem> &items)
{
    qint64 shown = 0;
    for (const ClipboardItem &given : items) {
        // The stored side-file paths, when the entry is known; the given ones otherwise.
        const std::optional<ClipboardItem> current = item(given.id);
        shown += current ? 1 : 0;
        stageDeletion(current.value_or(given));
    }
    m_queries->changed(-shown);
}

void ClipboardStore::deleteItems(const ClearRequest &request, const QDateTime &now, const ClipboardCalendar &calendar)
{
    const std::optional<ClipboardPending::Range> span = ClipboardPending::Range::of(request, now, calendar);
    // Counted before it is hidden, as the clearing question counted it: every list then knows
    // what is left without counting the history.
    const qint64 shown = span ? m_queries->shownIn(*span) : count();
    stageRangeDeletion(span.value_or(
        ClipboardPending::Range { std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max() }));
    m_queries->changed(-shown);
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
    source.pending = m_pending.items().values();
    std::sort(source.pending.begin(), source.pending.end(), &ClipboardItem::recentOrder);
    source.hidden = m_pending.deletions();
    for (const ClipboardItem &item : m_pending.items())
        source.hidden.insert(item.id);
    source.hiddenRanges = m_pending.spans();
    return source;
}

void ClipboardStore::adoptImported(qint64 count)
{
    if (count <= 0)
        return;
    m_queries->addStored(count);
    // Among spans still to be deleted, some may not show.
    m_queries->changed(m_pending.ranges().isEmpty() ? std::optional(count) : std::nullopt);
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
    if (written) {
        m_queries->addStored(changes.items.size());
        m_queries->changed(m_pending.ranges().isEmpty() ? std::optional<qint64>(changes.items.size()) : std::nullopt);
    }
    ++m_revision;
    Q_EMIT revisionChanged(m_revision);
    if (!written)
        return written.error();
    return {};
}
