#include "Services/Transfer/DataTransfer.h"

#include "Models/Common/ShortTime.h"
#include "Models/Todos/Days.h"
#include "Models/Transfer/ExportDates.h"
#include "Models/Transfer/ExportEncoder.h"
#include "Platform/AlertPresenter.h"
#include "Platform/Clock.h"
#include "Platform/DataPaths.h"
#include "Platform/FileDialogs.h"
#include "Platform/FileRevealer.h"
#include "Platform/Logging.h"
#include "Services/Clipboard/ClipboardCaptures.h"
#include "Services/Clipboard/ClipboardFiles.h"
#include "Services/Clipboard/ClipboardRowText.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Clipboard/ClipboardTransferReader.h"
#include "Services/Storage/StoreErrorText.h"
#include "Services/Storage/StoreWriter.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Transfer/BackupReader.h"
#include "Services/Transfer/BackupWriter.h"
#include "Services/Transfer/ExportRecords.h"
#include "Services/Transfer/ImportJournal.h"
#include "Services/Transfer/ImportWriter.h"

#include <QCoroFuture>
#include <QCoroSignal>
#include <QFileInfo>
#include <QFuture>
#include <QLocale>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <atomic>
#include <deque>
#include <memory>

namespace {

// Entries named in the question about entries that can't be exported, and the characters of
// each name shown there: with its date, one line of the alert.
constexpr qsizetype namedSkipped = 5;
constexpr qsizetype skippedNameLimit = 40;

// Entries an export reads and encodes as one task, and the bytes of their bodies: enough that
// handing them out costs little, few enough that every core has its share and memory holds
// little of the history.
constexpr qsizetype exportSpanEntries = 512;
constexpr qint64 exportSpanBytes = qint64(8) << 20;
// Todos encoded as one task.
constexpr qsizetype exportTodoPiece = 1 << 20;
// Spans read ahead of the one being written, and the bytes of their bodies: enough that the
// reading goes on while the todos are written.
constexpr qsizetype exportSpansAhead = 48;
constexpr qint64 exportBytesAhead = qint64(64) << 20;

QString quoted(const QString &name)
{
    return u'“' + name + u'”';
}

QString inUsersWords(const Error &error)
{
    return error.kind == Error::Kind::DiskFull ? StoreErrorText::diskFull()
                                               : StoreErrorText::inUsersWords(error.description());
}

// Writes the document from the document's thread: the todos are encoded first across the work
// pool and written on the batches' thread, one step after another, while the history is cut
// into spans, each read on a connection of its own and encoded as one task of the work pool;
// each span is written in its order once encoded, while those after it are read.
Status writeDocument(QThreadPool &batches, QThreadPool &work, const std::shared_ptr<BackupWriter> &writer,
    const QList<Todo> &todos, const ClipboardStore::TransferSource &source,
    const std::shared_ptr<StoreWriter> &storeWriter, const QDateTime &exportedAt)
{
    QList<QFuture<QByteArray>> todoRuns;
    for (qsizetype from = 0; from < todos.size(); from += exportTodoPiece) {
        todoRuns.append(QtConcurrent::run(&work, [piece = todos.mid(from, exportTodoPiece)] {
            const ExportDates::LocalZone zone;
            QList<ExportedTodo> records;
            records.reserve(piece.size());
            for (const Todo &todo : piece)
                records.append(ExportRecords::todo(todo));
            return ExportEncoder::todoRun(records, 0, records.size());
        }));
    }
    QFuture<Status> written = QtConcurrent::run(&batches, [writer, todoRuns, exportedAt] {
        QList<QByteArray> runs;
        for (const QFuture<QByteArray> &run : todoRuns)
            runs.append(run.result());
        return writer->begin(runs, exportedAt);
    });
    Result<std::unique_ptr<ClipboardTransferReader>> opened
        = ClipboardTransferReader::forExport(source, storeWriter, work.maxThreadCount());
    if (!opened) {
        written.waitForFinished();
        return opened.error();
    }
    const std::unique_ptr<ClipboardTransferReader> reader = std::move(opened).value();
    // Once a step fails, the spans not begun yet are not read.
    auto failed = std::make_shared<std::atomic<bool>>(false);
    // The spans written or being written, and the bytes of their bodies.
    std::deque<std::pair<QFuture<Status>, qint64>> ahead;
    qint64 bytesAhead = 0;
    const Status cut = reader->cut(exportSpanEntries, exportSpanBytes, [&](const ClipboardTransferReader::Span &span) {
        using Encoded = Result<BackupWriter::Piece>;
        QFuture<Encoded> encoded
            = QtConcurrent::run(&work, [&reader, failed, span, folder = source.folder]() -> Encoded {
                  BackupWriter::Piece piece;
                  if (failed->load())
                      return piece;
                  const Status read = reader->read(span, [&](const ClipboardTransferReader::ExportRow &row) {
                      ExportRecords::addEntry(piece, row, folder);
                      return Status();
                  });
                  if (!read)
                      return read.error();
                  return piece;
              });
        // Each span is waited for even after a failure, so that once the last step is done
        // no task reads on.
        written = written.then(&batches, [writer, encoded, failed](Status status) {
            const Encoded &piece = encoded.result();
            if (status)
                status = piece ? writer->write(piece.value()) : Status(piece.error());
            if (!status)
                failed->store(true);
            return status;
        });
        ahead.emplace_back(written, span.bytes);
        bytesAhead += span.bytes;
        for (; qsizetype(ahead.size()) > exportSpansAhead || bytesAhead > exportBytesAhead; ahead.pop_front()) {
            if (Status status = ahead.front().first.result(); !status)
                return status;
            bytesAhead -= ahead.front().second;
        }
        return Status();
    });
    if (!cut)
        failed->store(true);
    // Every step is waited for even after a failure: the writer and the reader are not shared.
    const Status last = written.result();
    return cut ? last : cut;
}

} // namespace

// Marks the service busy for the life of one export or import.
class DataTransfer::Busy final
{
public:
    explicit Busy(DataTransfer &transfer)
        : m_transfer(transfer)
    {
        m_transfer.setBusy(true);
    }
    ~Busy()
    {
        m_transfer.setWorking(false);
        m_transfer.setBusy(false);
    }
    Busy(const Busy &) = delete;
    Busy &operator=(const Busy &) = delete;

private:
    DataTransfer &m_transfer;
};

DataTransfer::DataTransfer(TodoStore &todos, ClipboardStore &clipboard, FileDialogs &dialogs, AlertPresenter &alerts,
    const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_todos(todos)
    , m_clipboard(clipboard)
    , m_dialogs(dialogs)
    , m_alerts(alerts)
    , m_clock(clock)
{
    m_document.setMaxThreadCount(1);
    m_batches.setMaxThreadCount(1);
    // One thread of the machine's is left to the main thread and the stages above.
    m_work.setMaxThreadCount(std::max(1, QThreadPool::globalInstance()->maxThreadCount() - 1));
    // An interrupted import is looked for once both stores hold their files' contents, before
    // anything else of the transfer writes.
    const auto recoverAtStart = [this] { recoverImport(Telling::Here); };
    connect(&m_todos, &TodoStore::checked, this, recoverAtStart);
    connect(&m_clipboard, &ClipboardStore::checked, this, recoverAtStart);
    recoverAtStart();
}

QFuture<Status> DataTransfer::recoverImport(Telling telling)
{
    if (m_todos.isChecking() || m_clipboard.isChecking())
        return QtFuture::makeReadyFuture(Status());
    if (m_recovery.isValid() && !m_recovery.isFinished())
        return m_recovery;
    ImportJournal::Recovery recovery = ImportJournal::recover(m_todos, m_clipboard);
    if (recovery.takesBack) {
        setLastResult(QStringLiteral("The last import was interrupted, so nothing from it was added."));
        if (telling == Telling::Here) {
            recovery.done.then(this, [this](const Status &takenBack) {
                if (!takenBack)
                    tellNotTakenBack(takenBack.error());
            });
        }
    }
    m_recovery = recovery.done;
    return m_recovery;
}

void DataTransfer::tellNotTakenBack(const Error &error)
{
    // The stores try again on their own, and the next start or import takes the rest back.
    showAlert(QStringLiteral("Vemra is taking back an interrupted import."),
        error.kind == Error::Kind::DiskFull ? QStringLiteral("It will finish once there’s room on the disk.")
                                            : inUsersWords(error) + QStringLiteral("\n\nVemra will keep trying."));
}

QCoro::Task<Status> DataTransfer::ready()
{
    setWorking(true);
    // The stores' checks end on the main thread, which waits for neither.
    while (m_todos.isChecking() || m_clipboard.isChecking()) {
        if (m_todos.isChecking()) {
            auto checked = qCoro(&m_todos, &TodoStore::checked);
            co_await checked;
        } else {
            auto checked = qCoro(&m_clipboard, &ClipboardStore::checked);
            co_await checked;
        }
    }
    QFuture<Status> recovered = recoverImport(Telling::ByTheCaller);
    co_return co_await recovered;
}

DataTransfer::~DataTransfer() = default;

bool DataTransfer::showDataFolder(FileRevealer &revealer)
{
    if (!revealer.hasFileManager())
        return false;
    revealer.reveal(DataPaths::appFolder());
    return true;
}

QString DataTransfer::count(qint64 number, const QString &noun)
{
    return QLocale().toString(number) + u' ' + noun + (number == 1 ? QString() : QStringLiteral("s"));
}

QString DataTransfer::suggestedFileName(Scope scope, const QDate &today)
{
    const QString stem = scope == Scope::All ? QStringLiteral("Vemra Export") : QStringLiteral("Vemra Clipboard");
    return stem + u' ' + Days::isoString(today) + QStringLiteral(".json");
}

QCoro::Task<> DataTransfer::exportData(Scope scope)
{
    if (m_isBusy)
        co_return;
    const Busy busy(*this);

    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Save;
    request.suggestedName = suggestedFileName(scope, Days::dayOf(m_clock.now()));
    request.nameFilter = QStringLiteral("JSON (*.json)");
    request.defaultSuffix = QStringLiteral("json");
    const std::optional<QString> path = m_dialogs.chooseFile(request);
    if (!path)
        co_return;
    // Nothing is written to the stores: an import not yet taken back is not in what they show.
    QCoro::Task<Status> readying = ready();
    if (const Status readied = co_await readying; !readied)
        qCWarning(lcTransfer) << "exporting with an import not taken back:" << readied.error().description();

    const qsizetype todoCount = scope == Scope::All ? m_todos.allTodos().size() : 0;
    qint64 entries = 0;
    // Tasks and futures are made in statements of their own: GCC 12 mishandles temporaries
    // inside a co_await expression.
    QCoro::Task<std::optional<Status>> written = write(*path, scope, entries);
    const std::optional<Status> status = co_await written;
    if (!status)
        co_return;
    if (!*status) {
        showAlert(QStringLiteral("Vemra couldn’t export your data."), status->error().description());
        co_return;
    }
    QString result = QStringLiteral("Exported ");
    if (scope == Scope::All)
        result += count(todoCount, QStringLiteral("todo")) + QStringLiteral(" and ");
    setLastResult(result + count(entries, QStringLiteral("clipboard item")) + u'.');
}

QCoro::Task<std::optional<Status>> DataTransfer::write(const QString &path, Scope scope, qint64 &entries)
{
    // The todos and what the history's file does not hold yet are taken now; the history is
    // read and written on a worker, in one read transaction, so that the file is the history
    // as it was when the export began.
    const QList<Todo> todos = scope == Scope::All ? m_todos.allTodos() : QList<Todo>();
    const ClipboardStore::TransferSource source = m_clipboard.transferSource();
    const QDateTime exportedAt = m_clock.now();
    setWorking(true);

    auto writer = std::make_shared<BackupWriter>(path);
    QFuture<Status> step
        = QtConcurrent::run(&m_document, [this, writer, todos, source, storeWriter = m_clipboard.writer(), exportedAt] {
              return writeDocument(m_batches, m_work, writer, todos, source, storeWriter, exportedAt);
          });
    Status status = co_await step;
    if (status && !writer->skipped().isEmpty() && !exportWithout(writer->skipped())) {
        step = QtConcurrent::run(&m_document, [writer] {
            writer->cancel();
            return Status();
        });
        if (const Status cancelled = co_await step; !cancelled)
            qCWarning(lcTransfer) << "cannot cancel an export:" << cancelled.error().detail;
        co_return std::nullopt;
    }
    if (status) {
        step = QtConcurrent::run(&m_document, [writer] { return writer->finish(); });
        status = co_await step;
    }
    entries = writer->entryCount();
    co_return status;
}

bool DataTransfer::exportWithout(const QList<BackupWriter::Skipped> &skipped)
{
    const qsizetype n = skipped.size();
    Alert alert;
    alert.title = n == 1 ? QStringLiteral("One clipboard item can’t be exported.")
                         : count(n, QStringLiteral("clipboard item")) + QStringLiteral(" can’t be exported.");
    // Only the entries named are looked up for their titles, which take a while to work out.
    QList<QUuid> ids;
    for (qsizetype i = 0; i < std::min(n, namedSkipped); ++i)
        ids.append(skipped.at(i).id);
    QHash<QUuid, QString> titles;
    for (const ClipboardItem &item : m_clipboard.itemsWithIds(ids))
        titles.insert(item.id, item.title());
    QStringList names;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const QString title = titles.value(ids.at(i)).simplified();
        const QDateTime copied = skipped.at(i).lastCopiedAt.toLocalTime();
        names << quoted(
                     title.isEmpty() ? QStringLiteral("Untitled") : ClipboardRowText::capped(title, skippedNameLimit))
                + QStringLiteral(", copied ") + QLocale().toString(copied.date(), QLocale::ShortFormat) + u' '
                + ShortTime::text(copied.time(), QLocale());
    }
    if (n > namedSkipped)
        names << QStringLiteral("and ") + count(n - namedSkipped, QStringLiteral("more item"));
    alert.informativeText = (n == 1 ? QStringLiteral("Its stored data is missing or can’t be read:\n")
                                    : QStringLiteral("Their stored data is missing or can’t be read:\n"))
        + names.join(u'\n') + QStringLiteral("\n\nExport everything else?");
    alert.buttons = { n == 1 ? QStringLiteral("Export Without It") : QStringLiteral("Export Without Them"),
        QStringLiteral("Cancel") };
    alert.cancelButton = 1;
    return m_alerts.present(alert) == 0;
}

QCoro::Task<> DataTransfer::importData()
{
    if (m_isBusy)
        co_return;
    const Busy busy(*this);

    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Open;
    request.acceptLabel = QStringLiteral("Import");
    request.nameFilter = QStringLiteral("JSON (*.json)");
    const std::optional<QString> path = m_dialogs.chooseFile(request);
    if (!path)
        co_return;
    const QString fileName = QFileInfo(*path).fileName();
    const auto failed = [&](const Error &error) {
        setWorking(false);
        showAlert(QStringLiteral("Vemra couldn’t import ") + quoted(fileName) + u'.',
            inUsersWords(error) + QStringLiteral("\n\nNothing from the file was added."));
    };

    // The plan is made against stores holding nothing of an earlier import left half done.
    QCoro::Task<Status> readying = ready();
    if (const Status readied = co_await readying; !readied) {
        failed(readied.error());
        co_return;
    }
    // What is stored is taken here, after the dialog, so that the plan sees the stores as they
    // are when the user is asked; the history's keys are read on the worker.
    QFuture<Planned> planning = QtConcurrent::run(&m_document,
        [work = &m_work, path = *path, stored = m_todos.allTodos(), source = m_clipboard.transferSource()] {
            return plan(work, path, stored, source);
        });
    Planned planned = co_await planning;
    planning = {};
    setWorking(false);
    if (const BackupError *error = std::get_if<BackupError>(&planned.outcome)) {
        showAlert(QStringLiteral("Vemra can’t import ") + quoted(fileName) + u'.', error->description());
        co_return;
    }
    if (!confirm(planned.plan, fileName))
        co_return;

    setWorking(true);
    QCoro::Task<Inserted> inserting = insert(*path, std::move(planned));
    const Inserted inserted = co_await inserting;
    if (!inserted.status) {
        // Nothing of a failed import stays: both stores took it back, or the next import or
        // start will, with the todos its last commit left.
        failed(inserted.status.error());
        co_return;
    }
    QString result = QStringLiteral("Imported ") + count(inserted.todos, QStringLiteral("todo"))
        + QStringLiteral(" and ") + count(inserted.added, QStringLiteral("clipboard item")) + u'.';
    if (inserted.unreadable >= 1)
        result += u' ' + count(inserted.unreadable, QStringLiteral("item")) + QStringLiteral(" couldn’t be read.");
    setLastResult(result);
}

DataTransfer::Planned DataTransfer::plan(
    QThreadPool *work, const QString &path, const QList<Todo> &stored, const ClipboardStore::TransferSource &source)
{
    // The history's ids are read while the file's reading begins, and shared with the
    // file's readers once read, which hash no entry the history holds by its id; the
    // plan waits for them at the first entry. Its hashes are read only at the first
    // entry whose id it doesn't hold: a second import of a file needs none.
    QSet<QUuid> storedIds;
    std::atomic<const QSet<QUuid> *> sharedIds { nullptr };
    QFuture<Status> readingIds = QtConcurrent::run(work, [&source, &storedIds, &sharedIds] {
        Result<QSet<QUuid>> ids = ClipboardTransferReader::readKnownIds(source);
        if (!ids)
            return Status(ids.error());
        storedIds = std::move(ids).value();
        sharedIds.store(&storedIds, std::memory_order_release);
        return Status();
    });
    // The todos are planned on the pool as soon as they are read, while the entries are.
    using TodosPlanned = std::pair<ImportPlan, QList<Todo>>;
    const auto planTodos = [stored](const QList<ExportedTodo> &todos) {
        ImportPlan weighed(stored, {});
        weighed.addTodos(todos);
        weighed.releaseKeys();
        QList<Todo> made = TodoStore::importedTodos(stored, weighed.todos);
        return TodosPlanned(std::move(weighed), std::move(made));
    };
    QFuture<TodosPlanned> todosPlanned;
    const BackupReader::TodoSink todosRead
        = [&](const QList<ExportedTodo> &todos) { todosPlanned = QtConcurrent::run(work, planTodos, todos); };
    Planned planned;
    ImportPlan &plan = planned.plan;
    std::optional<Error> unknown;
    bool hashesRead = false;
    const auto begin = [&] {
        if (readingIds.isValid()) {
            const Status read = readingIds.result();
            readingIds = {};
            if (read)
                plan = ImportPlan({}, ClipboardKeys { storedIds, {} });
            else
                unknown = read.error();
        }
        return !unknown;
    };
    const auto weigh = [&](const EntryKey &key) {
        if (!begin())
            return false;
        if (!hashesRead && key.valid && !plan.knowsId(key.id)) {
            hashesRead = true;
            Result<QSet<ContentDigest>> hashes = ClipboardTransferReader::readKnownHashes(source);
            if (!hashes) {
                unknown = hashes.error();
                return false;
            }
            plan.addKnownHashes(std::move(hashes).value());
        }
        plan.addEntry(key);
        return true;
    };
    // The entries are read and hashed across the cores, and planned in the file's order.
    BackupReader::Splitting splitting;
    splitting.pool = work;
    splitting.knownId = [&sharedIds](const QUuid &id) {
        const QSet<QUuid> *ids = sharedIds.load(std::memory_order_acquire);
        return ids && ids->contains(id);
    };
    const BackupReader::Outcome outcome = BackupReader::readKeys(path, weigh, &planned.stamp, splitting, todosRead);
    // Waited for whatever the outcome: it borrows nothing, but its pool is the transfer's.
    std::optional<TodosPlanned> todos;
    if (todosPlanned.isValid())
        todos = todosPlanned.takeResult();
    if (!begin())
        return BackupError::unreadable(unknown->description());
    if (const BackupError *error = std::get_if<BackupError>(&outcome))
        return *error;
    if (!todos)
        todos = planTodos(std::get<VemraExport>(outcome).todos);
    plan.takeTodos(std::move(todos->first));
    plan.releaseKeys();
    planned.todos = std::move(todos->second);
    return planned;
}

QCoro::Task<DataTransfer::Inserted> DataTransfer::insert(QString path, Planned planned)
{
    ImportWriter::Job job;
    job.filePath = std::move(path);
    job.stamp = planned.stamp;
    job.entries = std::move(planned.plan.clipboard);
    job.todos = std::move(planned.todos);
    job.clipboardFolder = m_clipboard.folder();
    job.clipboardWriter = m_clipboard.writer();
    job.todoWriter = m_todos.writer();
    job.pool = &m_work;
    const QList<Todo> todos = job.todos;

    struct Written
    {
        Status status;
        qint64 added = 0;
        qint64 unreadable = 0;
        bool wroteStores = false;
        QList<ClipboardCapture> captures;
    };
    QFuture<Written> writing = QtConcurrent::run(&m_document, [job = std::move(job)]() mutable {
        ImportWriter writer(std::move(job));
        Written written;
        written.wroteStores = writer.writesStores();
        written.status = writer.write();
        if (written.status)
            written.status = writer.commit();
        written.added = writer.added();
        written.unreadable = writer.unreadable();
        written.captures = writer.takeCaptures();
        return written;
    });
    Written written = co_await writing;
    writing = {};

    Inserted inserted;
    inserted.unreadable = written.unreadable;
    if (written.wroteStores) {
        inserted.status = written.status;
        if (written.status) {
            m_clipboard.adoptImported(written.added);
            inserted.added = written.added;
            m_todos.adoptImported(todos);
            inserted.todos = todos.size();
        }
        co_return inserted;
    }

    // A store in memory: its connection is the main thread's, so the rows are written here,
    // the entries first, and the entries are taken back if the todos can't be written.
    QStringList sideFiles;
    for (const ClipboardCapture &capture : std::as_const(written.captures))
        sideFiles += capture.filePaths();
    inserted.status = written.status;
    if (inserted.status)
        inserted.status = m_clipboard.insertImported(written.captures);
    if (!inserted.status) {
        ClipboardFiles::remove(sideFiles, m_clipboard.folder());
        co_return inserted;
    }
    if (Status saved = m_todos.insertImported(planned.plan.todos); !saved) {
        QList<ClipboardItem> added;
        for (const ClipboardCapture &capture : std::as_const(written.captures))
            added.append(ClipboardItem(capture));
        m_clipboard.deleteItems(added);
        inserted.status = saved;
        co_return inserted;
    }
    inserted.added = written.added;
    inserted.todos = todos.size();
    co_return inserted;
}

bool DataTransfer::confirm(const ImportPlan &plan, const QString &fileName)
{
    Alert alert;
    if (plan.isEmpty()) {
        alert.title = QStringLiteral("Nothing new to import.");
        alert.informativeText = plan.duplicates() >= 1
            ? QString(QStringLiteral("Everything in ") + quoted(fileName) + QStringLiteral(" is already in Vemra."))
            : QString(quoted(fileName) + QStringLiteral(" has no todos or clipboard items Vemra can read."));
        m_alerts.present(alert);
        return false;
    }
    alert.title = QStringLiteral("Import from ") + quoted(fileName) + QStringLiteral("?");
    QStringList lines { count(plan.todos.size(), QStringLiteral("todo")) + QStringLiteral(" and ")
        + count(plan.clipboard.size(), QStringLiteral("clipboard item")) + QStringLiteral(" will be added.") };
    if (plan.duplicates() >= 1)
        lines << QStringLiteral("Already in Vemra, so skipped: ") + count(plan.duplicateTodos, QStringLiteral("todo"))
                + QStringLiteral(" and ") + count(plan.duplicateClipboard, QStringLiteral("clipboard item")) + u'.';
    if (plan.invalid >= 1)
        lines << count(plan.invalid, QStringLiteral("item")) + QStringLiteral(" can’t be read and will be skipped.");
    lines << QStringLiteral("Nothing already in Vemra will be changed or deleted.");
    alert.informativeText = lines.join(QStringLiteral("\n\n"));
    alert.buttons = { QStringLiteral("Import"), QStringLiteral("Cancel") };
    alert.cancelButton = 1;
    return m_alerts.present(alert) == 0;
}

void DataTransfer::showAlert(const QString &message, const QString &detail)
{
    Alert alert;
    alert.title = message;
    alert.informativeText = detail;
    m_alerts.present(alert);
}

void DataTransfer::setWorking(bool working)
{
    if (m_isWorking == working)
        return;
    m_isWorking = working;
    Q_EMIT isWorkingChanged(working);
}

void DataTransfer::setBusy(bool busy)
{
    if (m_isBusy == busy)
        return;
    m_isBusy = busy;
    Q_EMIT isBusyChanged(busy);
}

void DataTransfer::setLastResult(const QString &result)
{
    if (m_lastResult == result)
        return;
    m_lastResult = result;
    Q_EMIT lastResultChanged(result);
}
