#include "Services/Transfer/DataTransfer.h"

#include "Models/Todos/Days.h"
#include "Platform/AlertPresenter.h"
#include "Platform/Clock.h"
#include "Platform/FileDialogs.h"
#include "Platform/Logging.h"
#include "Services/Clipboard/ClipboardCaptures.h"
#include "Services/Clipboard/ClipboardFiles.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Transfer/BackupReader.h"
#include "Services/Transfer/BackupWriter.h"

#include <QCoroFuture>
#include <QFileInfo>
#include <QLocale>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>

namespace {

// Entries fetched from the store and handed to the writer at a time: small enough that
// neither the main thread nor memory notices one batch.
constexpr qsizetype exportBatch = 256;

ExportedTodo exported(const Todo &todo)
{
    ExportedTodo record;
    record.id = todo.id;
    record.title = todo.title;
    record.isCompleted = todo.isCompleted;
    record.createdAt = todo.createdAt;
    record.updatedAt = todo.updatedAt;
    record.completedAt = todo.completedAt;
    if (const std::optional<QDate> day = todo.dayStart())
        record.day = Days::isoString(*day);
    record.sortOrder = todo.sortOrder;
    return record;
}

QString quoted(const QString &name)
{
    return u'“' + name + u'”';
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
}

DataTransfer::~DataTransfer() = default;

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

    const qsizetype todoCount = scope == Scope::All ? m_todos.allTodos().size() : 0;
    qint64 entries = 0;
    // Tasks and futures are made in statements of their own: GCC 12 mishandles temporaries
    // inside a co_await expression.
    QCoro::Task<Status> written = write(*path, scope, entries);
    const Status status = co_await written;
    if (!status) {
        showAlert(QStringLiteral("Vemra couldn’t export your data."), status.error().description());
        co_return;
    }
    QString result = QStringLiteral("Exported ");
    if (scope == Scope::All)
        result += count(todoCount, QStringLiteral("todo")) + QStringLiteral(" and ");
    setLastResult(result + count(entries, QStringLiteral("clipboard item")) + u'.');
}

QCoro::Task<Status> DataTransfer::write(const QString &path, Scope scope, qint64 &entries)
{
    // The todos and the order of the history are taken now; each batch of entries is read
    // from the store just before it is written, so memory holds one batch at a time.
    QList<ExportedTodo> todos;
    if (scope == Scope::All) {
        const QList<Todo> stored = m_todos.allTodos();
        todos.reserve(stored.size());
        for (const Todo &todo : stored)
            todos.append(exported(todo));
    }
    const QList<QUuid> ids = m_clipboard.ids();
    const QDateTime exportedAt = m_clock.now();
    setWorking(true);

    auto writer = std::make_shared<BackupWriter>(path);
    const auto batchAt = [this, &ids](qsizetype at) {
        QList<PendingExportItem> batch;
        for (const ClipboardItem &item : m_clipboard.itemsWithIds(ids.mid(at, exportBatch)))
            batch.append(m_clipboard.pendingExport(item));
        return batch;
    };

    QFuture<Status> step = QtConcurrent::run(
        [writer, todos = std::move(todos), exportedAt] { return writer->begin(todos, exportedAt); });
    Status status = co_await step;
    for (qsizetype at = 0; status && at < ids.size(); at += exportBatch) {
        QList<PendingExportItem> batch = batchAt(at);
        step = QtConcurrent::run([writer, batch = std::move(batch)] { return writer->write(batch); });
        status = co_await step;
    }
    if (status) {
        step = QtConcurrent::run([writer] { return writer->finish(); });
        status = co_await step;
    }
    entries = writer->entryCount();
    co_return status;
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

    setWorking(true);
    QFuture<BackupReader::Outcome> reading = QtConcurrent::run([path = *path] { return BackupReader::read(path); });
    BackupReader::Outcome outcome = co_await reading;
    reading = {};
    if (const BackupError *error = std::get_if<BackupError>(&outcome)) {
        setWorking(false);
        showAlert(QStringLiteral("Vemra can’t import ") + quoted(fileName) + u'.', error->description());
        co_return;
    }
    // What is stored is read here, after the file, so that the plan sees the stores as they
    // are when the user is asked.
    QFuture<ImportPlan> planning
        = QtConcurrent::run([document = std::get<VemraExport>(std::move(outcome)), stored = m_todos.allTodos(),
                                known = m_clipboard.knownKeys()]() mutable {
              return ImportPlan(std::move(document), stored, std::move(known));
          });
    ImportPlan plan = co_await planning;
    planning = {};
    setWorking(false);

    if (!confirm(plan, fileName))
        co_return;

    setWorking(true);
    qint64 added = 0;
    qint64 unreadable = 0;
    const qsizetype todoCount = plan.todos.size();
    QCoro::Task<Status> inserted = insert(std::move(plan), added, unreadable);
    const Status status = co_await inserted;
    if (!status) {
        setWorking(false);
        showAlert(QStringLiteral("Vemra couldn’t import ") + quoted(fileName) + u'.',
            status.error().description() + QStringLiteral("\n\nNothing from the file was added."));
        co_return;
    }
    QString result = QStringLiteral("Imported ") + count(todoCount, QStringLiteral("todo")) + QStringLiteral(" and ")
        + count(added, QStringLiteral("clipboard item")) + u'.';
    if (unreadable >= 1)
        result += u' ' + count(unreadable, QStringLiteral("item")) + QStringLiteral(" couldn’t be read.");
    setLastResult(result);
}

QCoro::Task<Status> DataTransfer::insert(ImportPlan plan, qint64 &added, qint64 &unreadable)
{
    // The entries' side files are made first, off the main thread; the two stores then take
    // their records one after the other, and a store that can't save takes back the other's
    // additions, so an import is added whole or not at all.
    const qsizetype planned = plan.clipboard.size();
    // Entries are independent of each other and write files of their own names: several are
    // made at once.
    QFuture<QList<ClipboardCapture>> making
        = QtConcurrent::run([items = std::move(plan.clipboard), folder = m_clipboard.folder()] {
              QList<std::optional<ClipboardCapture>> made
                  = QtConcurrent::blockingMapped(items, [&folder](const ExportedClipboardItem &item) {
                        Result<std::optional<ClipboardCapture>> capture = ClipboardCaptures::makeImported(item, folder);
                        if (capture)
                            return capture.value();
                        qCWarning(lcTransfer)
                            << "An imported clipboard item was skipped:" << capture.error().description();
                        return std::optional<ClipboardCapture>();
                    });
              QList<ClipboardCapture> kept;
              kept.reserve(made.size());
              for (std::optional<ClipboardCapture> &capture : made) {
                  if (capture)
                      kept.append(std::move(*capture));
              }
              return kept;
          });
    QList<ClipboardCapture> captures = co_await making;
    making = {};
    added = captures.size();
    unreadable = planned - added;

    QStringList sideFiles;
    for (const ClipboardCapture &capture : std::as_const(captures))
        sideFiles += capture.filePaths();

    if (const Status saved = m_todos.insertImported(plan.todos); !saved) {
        ClipboardFiles::remove(sideFiles, m_clipboard.folder());
        co_return saved;
    }
    if (const Status saved = m_clipboard.insertImported(captures); !saved) {
        ClipboardFiles::remove(sideFiles, m_clipboard.folder());
        QList<QUuid> todoIds;
        for (const ExportedTodo &todo : std::as_const(plan.todos))
            todoIds.append(todo.id);
        if (!todoIds.isEmpty())
            m_todos.remove(todoIds);
        co_return saved;
    }
    co_return Status();
}

bool DataTransfer::confirm(const ImportPlan &plan, const QString &fileName)
{
    Alert alert;
    if (plan.isEmpty()) {
        alert.title = QStringLiteral("Nothing new to import.");
        alert.informativeText = plan.duplicates() >= 1
            ? QStringLiteral("Everything in ") + quoted(fileName) + QStringLiteral(" is already in Vemra.")
            : quoted(fileName) + QStringLiteral(" has no todos or clipboard items Vemra can read.");
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
    m_alerts.present(Alert { Alert::Style::Warning, message, detail, {}, -1 });
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
