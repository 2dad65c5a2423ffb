#include "Services/Transfer/ImportWriter.h"

#include "Platform/FileSystemSync.h"
#include "Platform/Logging.h"
#include "Platform/RegularFile.h"
#include "Services/Clipboard/ClipboardCaptures.h"
#include "Services/Clipboard/ClipboardDatabase.h"
#include "Services/Clipboard/ClipboardFiles.h"
#include "Services/Storage/StoreDatabase.h"
#include "Services/Storage/StoreWriter.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Transfer/ImportJournal.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <deque>

#include <sqlite3.h>

namespace {

// Entries made and written at a time, and the most bytes of the file they span: enough to keep
// every core busy making side files, few enough that memory holds little of the file with
// three batches under way.
constexpr qsizetype batchEntries = 2048;
// The first batch is smaller, so that rows are written while the next ones are made.
constexpr qsizetype firstBatchEntries = 256;
constexpr qsizetype batchBytes = qsizetype(8) << 20;
// Rows handed to the store's writer at a time: few jobs, each one long insert, which the
// writer runs while the next rows are made; few enough that the last rows, written once the
// last entries are made, keep the user waiting little.
constexpr qsizetype rowBatch = 4096;

QThreadPool &poolOf(const ImportWriter::Job &job)
{
    return job.pool ? *job.pool : *QThreadPool::globalInstance();
}

Error changedFile()
{
    return Error { QStringLiteral("The file changed while it was being imported."), {} };
}

// A side file that couldn't be written, told without its inner path; a full disk as such.
Error unsaved(const Error &written)
{
    const bool full = written.kind == Error::Kind::DiskFull || written.detail == qt_error_string(ENOSPC)
        || written.detail == qt_error_string(EDQUOT);
    return Error { QStringLiteral("The imported clipboard items couldn’t be saved."), full ? QString() : written.detail,
        full ? Error::Kind::DiskFull : Error::Kind::Other };
}

} // namespace

ImportWriter::ImportWriter(Job job)
    : m_job(std::move(job))
{
}

ImportWriter::~ImportWriter()
{
    if (m_todos)
        rollBack(*m_job.todoWriter, m_todos);
    if (m_entries)
        rollBack(*m_job.clipboardWriter, m_entries);
    if (!m_entriesCommitted) {
        if (writesStores())
            ClipboardFiles::remove(m_sideFiles, m_job.clipboardFolder);
        // Kept while todos it names may still be stored, for the next start to take back.
        if (m_marked && !m_todosCommitted)
            ImportJournal::remove(m_job.clipboardFolder);
    }
}

Status ImportWriter::begin(StoreWriter &writer, quint64 &session)
{
    session = writer.newSession();
    return writer.run(&ImportWriter::open, session).result();
}

Status ImportWriter::open(const StoreDatabase &database)
{
    // A cache that holds the indexes' pages as the rows go in, instead of writing and reading
    // them back again and again; a commit that waits until its log is on the disk, since the
    // user is told of what was imported once it ends; and no copying of the log into the file
    // within the commit, which the writer does after it (end()).
    for (const QString &sql :
        { QStringLiteral("PRAGMA cache_size = -65536"), QStringLiteral("PRAGMA synchronous = FULL"),
            QStringLiteral("PRAGMA wal_autocheckpoint = 0"), QStringLiteral("BEGIN IMMEDIATE") }) {
        if (Status status = database.exec(sql); !status)
            return status;
    }
    return {};
}

Status ImportWriter::end(StoreWriter &writer, quint64 &session, bool commit)
{
    const quint64 ending = std::exchange(session, 0);
    const auto ended = [commit](const StoreDatabase &database) -> Status {
        Status status = commit ? database.exec(QStringLiteral("COMMIT")) : Status();
        // SQLite has rolled back itself after some failures (a full disk among them); a
        // rollback needs no room on the disk.
        sqlite3 *connection = database.handle();
        if (connection && !sqlite3_get_autocommit(connection) && !database.exec(QStringLiteral("ROLLBACK")))
            qCWarning(lcTransfer) << "cannot roll back an import's transaction";
        // The writer's ordinary saves go on as before, with their small cache.
        for (const QString &sql : { QStringLiteral("PRAGMA synchronous = NORMAL"),
                 QStringLiteral("PRAGMA cache_size = -2000"), QStringLiteral("PRAGMA wal_autocheckpoint = 1000") }) {
            if (!database.exec(sql))
                qCWarning(lcTransfer) << "the store's writer keeps the import's" << sql;
        }
        if (connection)
            sqlite3_db_release_memory(connection);
        return status;
    };
    Status status = writer.run(ended, ending, true).result();
    // The log is copied into the file once the import is told, not waited for: a commit in the
    // log is as lasting as one in the file.
    if (commit && status)
        writer.run(
            [](const StoreDatabase &database) { return database.exec(QStringLiteral("PRAGMA wal_checkpoint")); });
    return status;
}

void ImportWriter::rollBack(StoreWriter &writer, quint64 &session)
{
    // Nothing to tell: a rollback that fails is logged where it runs, and SQLite takes the
    // transaction back itself when the connection goes.
    if (const Status status = end(writer, session, false); !status)
        qCWarning(lcTransfer) << "an import's transaction ended badly:" << status.error().detail;
}

Status ImportWriter::write()
{
    // The todos' rows are written by their store's writer while the entries are made.
    QFuture<Status> todosWritten;
    if (writesStores() && !m_job.todos.isEmpty()) {
        m_todos = m_job.todoWriter->newSession();
        todosWritten = m_job.todoWriter->run(
            [todos = m_job.todos](const StoreDatabase &database) {
                Status status = open(database);
                return status ? TodoStore::insertRows(database, todos) : status;
            },
            m_todos);
    }
    const Status status = writeEntries();
    // Waited for even after a failure: the job holds a copy of the todos only.
    const Status todos = todosWritten.isValid() ? todosWritten.result() : Status();
    return status ? todos : status;
}

Status ImportWriter::writeEntries()
{
    if (m_job.entries.isEmpty())
        return {};
    if (writesStores()) {
        if (Status status = begin(*m_job.clipboardWriter, m_entries); !status)
            return status;
    }
    Status status = makeEntries();
    // The side files are written without waiting for each: they reach the disk together, with
    // the import's mark, while the last rows are written, before any row that names them can
    // be committed.
    QFuture<Status> synced;
    if (status && m_entries) {
        synced = QtConcurrent::run(&poolOf(m_job), [this]() -> Status {
            if (Status marked = markInProgress(); !marked)
                return marked;
            if (!FileSystemSync::syncFileSystem(m_job.clipboardFolder))
                return Error { QStringLiteral("The imported clipboard items couldn’t be saved to the disk."), {} };
            return {};
        });
    }
    if (Status written = queueRows(true); !written && status)
        status = written;
    if (Status sync = synced.isValid() ? synced.result() : Status(); !sync && status)
        status = sync;
    return status;
}

Status ImportWriter::makeEntries()
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
    // One line for the import, however many entries a full disk refused.
    if (m_unsaved > 0)
        qCWarning(lcTransfer) << "cannot write" << m_unsaved << "imported clipboard items:" << m_unsavedReason;
    if (!status)
        m_rows.clear();
    if (Status written = queueRows(false); !written && status)
        status = written;
    if (status && !unchanged())
        return changedFile();
    return status;
}

QFuture<ImportWriter::Made> ImportWriter::make(QByteArray span, qint64 start, QList<EntryPlace> places) const
{
    // Entries are independent of each other and write files of their own names: several are
    // made at once.
    return QtConcurrent::mapped(&poolOf(m_job), std::move(places),
        [folder = m_job.clipboardFolder, rows = m_entries != 0, span = std::move(span), start](
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
                    made.row.emplace(ClipboardItem(*made.capture));
            } else {
                made.unsaved = capture.error();
            }
            return made;
        });
}

Status ImportWriter::take(QFuture<Made> &made, bool writeRows)
{
    const QList<Made> results = made.results();
    made = {};
    bool changed = false;
    std::optional<Error> refused;
    for (const Made &one : results) {
        if (one.unsaved) {
            if (m_unsaved++ == 0)
                m_unsavedReason = one.unsaved->description();
            refused = unsaved(*one.unsaved);
            continue;
        }
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
        if (!one.row)
            m_captures.append(*one.capture);
        else if (writeRows)
            m_rows.append(*one.row);
    }
    if (refused)
        return *refused;
    if (changed)
        return changedFile();
    return m_rows.size() >= rowBatch ? queueRows(false) : Status();
}

Status ImportWriter::queueRows(bool last)
{
    // The rows written come back to be freed here, not on the writer, whose time the user waits for.
    Status status = m_rowsWritten.isValid() ? m_rowsWritten.takeResult().status : Status();
    m_rowsWritten = {};
    if (!status || !m_entries || m_rows.isEmpty()) {
        m_rows.clear();
        return status;
    }
    m_rowsWritten = m_job.clipboardWriter->run(
        [rows = std::exchange(m_rows, {})](const StoreDatabase &database) mutable {
            Status written = ClipboardDatabase::insert(database, rows);
            return Written { std::move(written), std::move(rows) };
        },
        m_entries);
    return last ? queueRows(true) : Status();
}

Status ImportWriter::commit()
{
    if (Status status = markInProgress(); !status)
        return status;
    if (Status status = commitTodos(); !status)
        return status;
    if (Status status = commitEntries(); !status)
        return status;
    finish();
    return {};
}

Status ImportWriter::markInProgress()
{
    if (m_marked || !m_entries || !writesStores() || m_job.todos.isEmpty() || m_entryIds.isEmpty())
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

Status ImportWriter::commitTodos()
{
    if (!m_todos)
        return {};
    if (Status status = end(*m_job.todoWriter, m_todos, true); !status) {
        // The entries are still uncommitted: rolling them back takes everything back.
        if (m_entries)
            rollBack(*m_job.clipboardWriter, m_entries);
        finish();
        return status;
    }
    m_todosCommitted = true;
    return {};
}

Status ImportWriter::commitEntries()
{
    if (!m_entries)
        return {};
    if (Status status = end(*m_job.clipboardWriter, m_entries, true); !status) {
        if (Status takenBack = takeBackTodos(); !takenBack) {
            qCWarning(lcTransfer) << "cannot take back an import's todos; the next start will:"
                                  << takenBack.error().description();
            return status;
        }
        finish();
        return status;
    }
    m_entriesCommitted = true;
    return {};
}

Status ImportWriter::takeBackTodos()
{
    if (!m_todosCommitted)
        return {};
    QList<QUuid> ids;
    ids.reserve(m_job.todos.size());
    for (const Todo &todo : std::as_const(m_job.todos))
        ids.append(todo.id);
    if (Status status
        = m_job.todoWriter->run([ids](const StoreDatabase &database) { return TodoStore::deleteRows(database, ids); })
              .result();
        !status)
        return status;
    m_todosCommitted = false;
    return {};
}

void ImportWriter::finish()
{
    if (m_marked)
        ImportJournal::remove(m_job.clipboardFolder);
    m_marked = false;
}
