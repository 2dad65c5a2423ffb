#include "Services/Transfer/ImportWriter.h"

#include "Platform/FileSystemSync.h"
#include "Platform/Logging.h"
#include "Platform/RegularFile.h"
#include "Services/Clipboard/ClipboardCaptures.h"
#include "Services/Clipboard/ClipboardDatabase.h"
#include "Services/Clipboard/ClipboardFiles.h"
#include "Services/Storage/StoreDatabase.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Transfer/ImportJournal.h"

#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <deque>

namespace {

// Entries made and written at a time, and the most bytes of the file they span: enough to keep
// every core busy making side files, few enough that memory holds little of the file with
// three batches under way.
constexpr qsizetype batchEntries = 2048;
// The first batch is smaller, so that rows are written while the next ones are made.
constexpr qsizetype firstBatchEntries = 256;
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
        if (m_marked)
            ImportJournal::remove(m_job.clipboardFolder);
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
    // them back again and again; and a commit that waits until its log is on the disk, since
    // the user is told of what was imported once it ends.
    for (const QString &pragma :
        { QStringLiteral("PRAGMA cache_size = -65536"), QStringLiteral("PRAGMA synchronous = FULL") }) {
        if (Status status = attached.value()->exec(pragma); !status)
            return status;
    }
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
    }
    // The side files are written without waiting for each: they reach the disk together, with
    // the import's mark, while the todos' rows are written, and before any row that names them
    // can be committed.
    QFuture<bool> synced;
    if (m_entries) {
        if (Status status = markInProgress(); !status)
            return status;
        synced = QtConcurrent::run(&FileSystemSync::syncFileSystem, m_job.clipboardFolder);
    }
    Status status;
    if (writesStores() && !m_job.todos.isEmpty()) {
        status = begin(m_todos, m_job.todoDatabase, TodoStore::databaseSchema());
        if (status)
            status = TodoStore::insertRows(*m_todos, m_job.todos);
    }
    if (synced.isValid() && !synced.result() && status)
        status = Error { QStringLiteral("The imported clipboard items couldn’t be saved to the disk."), {} };
    return status;
}

Status ImportWriter::writeEntries()
{
    RegularFile::Opened opened = RegularFile::openForReading(m_job.filePath);
    if (!opened.file)
        return Error { BackupError::unreadable(opened.error).description(), {} };
    QFile &file = *opened.file;
    const auto unchanged = [&file, this] {
        return BackupReader::FileStamp { file.size(), file.fileTime(QFileDevice::FileModificationTime) } == m_job.stamp;
    };
    if (!unchanged())
        return changedFile();

    // This thread reads the chosen entries' bytes where the plan found them, a batch at a time,
    // and hands each batch to the pool, which reads and makes its entries, at most two batches
    // ahead; it writes each batch's rows, its connection's, once the batch is made.
    std::deque<QFuture<Made>> queue;
    Status status;
    const auto takeFirst = [&] {
        QFuture<Made> made = std::move(queue.front());
        queue.pop_front();
        // After a failure the batches still made are only waited for, so that their side files
        // are known and removed with the rest.
        if (Status taken = take(made, status.ok()); !taken && status)
            status = taken;
    };
    const QList<EntryPlace> &places = m_job.entries;
    for (qsizetype first = 0; first < places.size() && status;) {
        const qint64 start = places[first].offset;
        qsizetype last = first + 1;
        const qsizetype most = first == 0 ? firstBatchEntries : batchEntries;
        while (last < places.size() && last - first < most
            && places[last].offset + places[last].length - start <= batchBytes)
            ++last;
        const qint64 end = places[last - 1].offset + places[last - 1].length;
        QByteArray span(qsizetype(end - start), Qt::Uninitialized);
        if (start < 0 || end < start || !file.seek(start) || file.read(span.data(), span.size()) != span.size()) {
            status = changedFile();
            break;
        }
        queue.push_back(make(std::move(span), start, places.mid(first, last - first)));
        first = last;
        if (queue.size() > 2)
            takeFirst();
    }
    while (!queue.empty())
        takeFirst();
    if (status && !unchanged())
        return changedFile();
    return status;
}

QFuture<ImportWriter::Made> ImportWriter::make(QByteArray span, qint64 start, QList<EntryPlace> places) const
{
    // Entries are independent of each other and write files of their own names: several are
    // made at once.
    return QtConcurrent::mapped(std::move(places),
        [folder = m_job.clipboardFolder, rows = m_entries != nullptr, span = std::move(span), start](
            const EntryPlace &place) {
            Made made;
            const std::optional<ExportedClipboardItem> item
                = BackupReader::readEntry(QByteArrayView(span).sliced(place.offset - start, place.length));
            if (!item) {
                made.changed = true;
                return made;
            }
            Result<std::optional<ClipboardCapture>> capture
                = ClipboardCaptures::makeImported(*item, folder, ClipboardFiles::FileWrite::NewName);
            if (capture) {
                made.capture = capture.value();
                if (made.capture && rows)
                    made.row.emplace(*made.capture);
            } else
                qCWarning(lcTransfer) << "An imported clipboard item was skipped:" << capture.error().description();
            return made;
        });
}

Status ImportWriter::take(QFuture<Made> &made, bool writeRows)
{
    const QList<Made> results = made.results();
    made = {};
    QList<ClipboardItem> rows;
    rows.reserve(results.size());
    bool changed = false;
    for (const Made &one : results) {
        if (one.changed) {
            changed = true;
            continue;
        }
        if (!one.capture) {
            ++m_unreadable;
            continue;
        }
        ++m_added;
        m_sideFiles += one.capture->filePaths();
        m_entryIds.append(one.capture->id);
        if (one.row)
            rows.append(*one.row);
        else
            m_captures.append(*one.capture);
    }
    if (changed)
        return changedFile();
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
    if (m_marked || !m_entries || !writesStores() || m_job.todos.isEmpty())
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
