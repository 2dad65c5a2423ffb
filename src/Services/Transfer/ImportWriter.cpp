#include "Services/Transfer/ImportWriter.h"

#include "Platform/FileSystemSync.h"
#include "Platform/Logging.h"
#include "Services/Clipboard/ClipboardCaptures.h"
#include "Services/Clipboard/ClipboardDatabase.h"
#include "Services/Clipboard/ClipboardFiles.h"
#include "Services/Storage/StoreDatabase.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Transfer/ImportJournal.h"

#include <QtConcurrent/QtConcurrentMap>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// Entries made and written at a time: enough to keep every core busy making side files, few
// enough that memory holds little of the file with three batches under way.
constexpr qsizetype batchEntries = 2048;
constexpr qsizetype batchBytes = qsizetype(8) << 20;

Error changedFile()
{
    return Error { QStringLiteral("The file changed while it was being imported."), {} };
}

} // namespace

ImportWriter::ImportWriter(Job job)
    : m_job(std::move(job))
{
}

ImportWriter::~ImportWriter()
{
    if (!m_todosCommitted)
        rollBack(m_todos);
    if (!m_entriesCommitted) {
        rollBack(m_entries);
        if (writesStores())
            ClipboardFiles::remove(m_sideFiles, m_job.clipboardFolder);
    }
}

void ImportWriter::rollBack(std::unique_ptr<StoreDatabase> &database)
{
    if (database && !database->exec(QStringLiteral("ROLLBACK")))
        qCWarning(lcTransfer) << "cannot roll back an import's transaction";
    database.reset();
}

Status ImportWriter::begin(std::unique_ptr<StoreDatabase> &database, const QString &path, const StoreSchema &schema)
{
    Result<std::unique_ptr<StoreDatabase>> attached = StoreDatabase::attach(path, schema);
    if (!attached)
        return attached.error();
    // A cache that holds the indexes' pages as the rows go in, instead of writing and reading
    // them back again and again.
    if (Status status = attached.value()->exec(QStringLiteral("PRAGMA cache_size = -65536")); !status)
        return status;
    if (Status status = attached.value()->exec(QStringLiteral("BEGIN IMMEDIATE")); !status)
        return status;
    database = std::move(attached).value();
    return {};
}

Status ImportWriter::write()
{
    if (writesStores() && !m_job.entries.isEmpty()) {
        if (Status status = begin(m_entries, m_job.clipboardDatabase, ClipboardDatabase::schema()); !status)
            return status;
    }
    if (!m_job.entries.isEmpty()) {
        if (Status status = writeEntries(); !status)
            return status;
        // The side files are written without waiting for each: they reach the disk together
        // here, before any row that names them can be committed.
        if (m_entries && !FileSystemSync::syncFileSystem(m_job.clipboardFolder))
            return Error { QStringLiteral("The imported clipboard items couldn’t be saved to the disk."), {} };
    }
    if (writesStores() && !m_job.todos.isEmpty()) {
        if (Status status = begin(m_todos, m_job.todoDatabase, TodoStore::databaseSchema()); !status)
            return status;
        if (Status status = TodoStore::insertRows(*m_todos, m_job.todos); !status)
            return status;
    }
    return {};
}

Status ImportWriter::writeEntries()
{
    // Another thread reads the file and hands over batches being made on the pool, at most two
    // ahead; this one, whose connection it is, writes each batch's rows once it is made.
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<QFuture<std::optional<ClipboardCapture>>> queue;
    bool readingDone = false;
    bool stop = false;

    Status readStatus;
    BackupReader::Outcome outcome;
    BackupReader::FileStamp stamp;
    qsizetype next = 0;
    const auto handOver = [&](QList<ExportedClipboardItem> batch) {
        QFuture<std::optional<ClipboardCapture>> made = make(std::move(batch));
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return queue.size() < 2 || stop; });
        // Queued even after a failure, so that its side files are known and removed.
        if (made.isValid())
            queue.push_back(std::move(made));
        changed.notify_all();
        return !stop;
    };
    std::thread reader([&] {
        bool checked = false;
        QList<ExportedClipboardItem> batch;
        qsizetype bytes = 0;
        const BackupReader::EntrySink sink = [&](ExportedClipboardItem &&entry, qint64 index) {
            if (!checked && stamp != m_job.stamp) {
                readStatus = changedFile();
                return false;
            }
            checked = true;
            if (next >= m_job.entries.size() || m_job.entries.at(next) != index)
                return true;
            ++next;
            bytes += entry.content.size() * 2 + (entry.imageData ? entry.imageData->size() : 0);
            batch.append(std::move(entry));
            if (batch.size() < batchEntries && bytes < batchBytes)
                return true;
            bytes = 0;
            return handOver(std::exchange(batch, {}));
        };
        // On one core: the pool makes the entries, and this thread's reading only needs to
        // keep ahead of the rows' writing.
        outcome = BackupReader::read(
            m_job.filePath, sink, &stamp, BackupReader::Splitting { BackupReader::maximumFileSize });
        if (readStatus && std::holds_alternative<VemraExport>(outcome))
            handOver(std::move(batch));
        const std::lock_guard lock(mutex);
        readingDone = true;
        changed.notify_all();
    });

    Status writeStatus;
    while (true) {
        QFuture<std::optional<ClipboardCapture>> made;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return !queue.empty() || readingDone; });
            if (queue.empty())
                break;
            made = std::move(queue.front());
            queue.pop_front();
            changed.notify_all();
        }
        // After a failure the batches still made are only waited for, so that their side files
        // are known and removed with the rest.
        if (Status status = take(made, writeStatus.ok()); !status) {
            writeStatus = status;
            const std::lock_guard lock(mutex);
            stop = true;
            changed.notify_all();
        }
    }
    reader.join();

    if (!writeStatus)
        return writeStatus;
    if (!readStatus)
        return readStatus;
    if (const BackupError *error = std::get_if<BackupError>(&outcome))
        return Error { error->description(), {} };
    if (next != m_job.entries.size() || stamp != m_job.stamp)
        return changedFile();
    return {};
}

QFuture<std::optional<ClipboardCapture>> ImportWriter::make(QList<ExportedClipboardItem> batch) const
{
    if (batch.isEmpty())
        return {};
    // Entries are independent of each other and write files of their own names: several are
    // made at once.
    return QtConcurrent::mapped(std::move(batch), [folder = m_job.clipboardFolder](const ExportedClipboardItem &item) {
        Result<std::optional<ClipboardCapture>> capture
            = ClipboardCaptures::makeImported(item, folder, ClipboardFiles::FileWrite::NewName);
        if (capture)
            return capture.value();
        qCWarning(lcTransfer) << "An imported clipboard item was skipped:" << capture.error().description();
        return std::optional<ClipboardCapture>();
    });
}

Status ImportWriter::take(QFuture<std::optional<ClipboardCapture>> &made, bool writeRows)
{
    if (!made.isValid())
        return {};
    const QList<std::optional<ClipboardCapture>> captures = made.results();
    made = {};
    QList<ClipboardItem> rows;
    rows.reserve(captures.size());
    for (const std::optional<ClipboardCapture> &capture : captures) {
        if (!capture) {
            ++m_unreadable;
            continue;
        }
        ++m_added;
        m_sideFiles += capture->filePaths();
        m_entryIds.append(capture->id);
        if (m_entries)
            rows.append(ClipboardItem(*capture));
        else
            m_captures.append(*capture);
    }
    if (!m_entries || !writeRows)
        return {};
    return ClipboardDatabase::insert(*m_entries, rows);
}

Status ImportWriter::commit()
{
    if (Status status = markInProgress(); !status)
        return status;
    if (Status status = commitEntries(); !status)
        return status;
    if (Status status = commitTodos(); !status)
        return status;
    finish();
    return {};
}

Status ImportWriter::markInProgress()
{
    if (!m_entries || !m_todos)
        return {};
    QList<QUuid> todoIds;
    todoIds.reserve(m_job.todos.size());
    for (const Todo &todo : std::as_const(m_job.todos))
        todoIds.append(todo.id);
    if (Status status = ImportJournal::write(m_job.clipboardFolder, todoIds, m_entryIds); !status)
        return status;
    m_marked = true;
    return {};
}

Status ImportWriter::commitEntries()
{
    if (!m_entries)
        return {};
    if (Status status = m_entries->exec(QStringLiteral("COMMIT")); !status) {
        if (m_marked)
            ImportJournal::remove(m_job.clipboardFolder);
        return status;
    }
    m_entriesCommitted = true;
    return {};
}

Status ImportWriter::commitTodos()
{
    if (!m_todos)
        return {};
    if (Status status = m_todos->exec(QStringLiteral("COMMIT")); !status) {
        rollBack(m_todos);
        if (Status takenBack = takeBackEntries(); !takenBack) {
            qCWarning(lcTransfer) << "cannot take back an import's clipboard items:" << takenBack.error().description();
            m_entriesKept = true;
        }
        finish();
        return status;
    }
    m_todosCommitted = true;
    return {};
}

Status ImportWriter::takeBackEntries()
{
    if (!m_entriesCommitted)
        return {};
    ClipboardDatabase::Changes changes;
    changes.deletions = QSet<QUuid>(m_entryIds.cbegin(), m_entryIds.cend());
    const Result<qint64> erased = ClipboardDatabase::write(*m_entries, changes);
    if (!erased)
        return erased.error();
    m_entriesCommitted = false;
    return {};
}

void ImportWriter::finish()
{
    if (m_marked)
        ImportJournal::remove(m_job.clipboardFolder);
    m_marked = false;
    m_entries.reset();
    m_todos.reset();
}
