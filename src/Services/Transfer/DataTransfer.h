#pragma once

#include "Models/Common/Result.h"
#include "Models/Transfer/BackupError.h"
#include "Models/Transfer/ImportPlan.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Transfer/BackupReader.h"
#include "Services/Transfer/BackupWriter.h"

#include <QFuture>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <QCoroTask>

#include <optional>

class AlertPresenter;
class Clock;
class FileDialogs;
class FileRevealer;
class TodoStore;

// Export of all todos and the clipboard history (or the history alone) to one JSON file, and
// import of such a file, adding only what is new once the user has confirmed. Lives on the
// main thread and touches the stores only there; reading, planning, making the imported
// entries' side files and writing run on worker threads, so the interface never waits for a
// file. One export or import runs at a time, its dialogs included.
class DataTransfer final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isWorking READ isWorking NOTIFY isWorkingChanged)
    Q_PROPERTY(bool isBusy READ isBusy NOTIFY isBusyChanged)
    Q_PROPERTY(QString lastResult READ lastResultText NOTIFY lastResultChanged)

public:
    enum class Scope {
        All, // todos and the clipboard history
        Clipboard, // the clipboard history alone
    };

    DataTransfer(TodoStore &todos, ClipboardStore &clipboard, FileDialogs &dialogs, AlertPresenter &alerts,
        const Clock &clock, QObject *parent = nullptr);
    ~DataTransfer() override;

    // True while a file is written, read or its entries added: the panes show "Working…".
    bool isWorking() const { return m_isWorking; }
    // True from the first dialog of an export or import to its last alert: the panes' buttons
    // are disabled, and a second export or import is refused.
    bool isBusy() const { return m_isBusy; }
    // The one-line result of the last export or import that succeeded.
    std::optional<QString> lastResult() const { return m_lastResult; }
    QString lastResultText() const { return m_lastResult.value_or(QString()); }

    // Asks for a file and writes the export there. Does nothing while another export or
    // import is under way.
    QCoro::Task<> exportData(Scope scope);
    // Asks for a file, reads and checks it, and adds what is new after the user confirms.
    // Does nothing while another export or import is under way.
    QCoro::Task<> importData();

    // Shows the folder that holds Vemra's data in the file manager; false, showing nothing, where
    // the desktop has none.
    static bool showDataFolder(FileRevealer &revealer);

    // A count and its noun: the number in the user's locale, a blank, the noun, and "s"
    // unless the number is exactly 1 ("1,234 todos", "1 clipboard item").
    static QString count(qint64 number, const QString &noun);
    // The name the save dialog offers: "Vemra Export 2026-03-01.json", "Vemra Clipboard …".
    static QString suggestedFileName(Scope scope, const QDate &today);

Q_SIGNALS:
    void isWorkingChanged(bool isWorking);
    void isBusyChanged(bool isBusy);
    void lastResultChanged(const QString &lastResult);

private:
    class Busy;
    // A plan and the file it was made from, or why the file can't be imported.
    struct Planned
    {
        Planned() = default;
        Planned(BackupError error)
            : outcome(std::move(error))
        {
        } // NOLINT: implicit by design
        std::variant<std::monostate, BackupError> outcome;
        ImportPlan plan;
        // The plan's todos as they will be stored.
        QList<Todo> todos;
        BackupReader::FileStamp stamp;
    };
    // What an import added; `status` tells why it stopped short.
    struct Inserted
    {
        Status status;
        qint64 todos = 0;
        qint64 added = 0;
        qint64 unreadable = 0;
    };

    // Nothing when the user chose not to export without entries that can't be read.
    QCoro::Task<std::optional<Status>> write(const QString &path, Scope scope, qint64 &entries);
    bool exportWithout(const QList<BackupWriter::Skipped> &skipped);
    // Reads the file and plans its import against what is stored; runs on the document's thread.
    static Planned plan(QThreadPool *work, const QString &path, const QList<Todo> &stored,
        const ClipboardStore::TransferSource &source);
    QCoro::Task<Inserted> insert(QString path, Planned planned);
    bool confirm(const ImportPlan &plan, const QString &fileName);
    // Ends once both stores hold their files' contents (checked in the background at a start)
    // and an import left half done is taken back, or with why it isn't; the main thread goes
    // on meanwhile, the transfer shown at work.
    QCoro::Task<Status> ready();
    // Completes or takes back an import left half done: by the last run, or by a commit that
    // failed in this one. Joins the one under way. Who tells that it could not be taken back
    // (yet): the transfer here, at a start, or the export or import that waits for it.
    enum class Telling { Here, ByTheCaller };
    QFuture<Status> recoverImport(Telling telling);
    void tellNotTakenBack(const Error &error);
    void showAlert(const QString &message, const QString &detail);
    void setWorking(bool working);
    void setBusy(bool busy);
    void setLastResult(const QString &result);

    TodoStore &m_todos;
    ClipboardStore &m_clipboard;
    FileDialogs &m_dialogs;
    AlertPresenter &m_alerts;
    const Clock &m_clock;
    // The stages that wait on others run on threads of their own: the document's (an export's
    // reading, planning, adding) and the export's batches' (its writing, in order). The work
    // they wait on (reading the history's keys, the file's pieces, side files; encoding and
    // making entries) runs on the transfer's own bounded pool and never waits, so that no
    // thread of a pool waits on work that only that pool's threads, all waiting too, could do;
    // and Qt's global pool, which the main thread's painting waits on, stays free. The
    // document's pool goes first: its export waits for the batches it queued, and both wait on
    // the work's pool, which goes last.
    QThreadPool m_work;
    QThreadPool m_batches;
    QThreadPool m_document;
    bool m_isWorking = false;
    bool m_isBusy = false;
    QFuture<Status> m_recovery;
    std::optional<QString> m_lastResult;
};
