#pragma once

#include "Models/Common/Result.h"
#include "Models/Todos/ExportedTodo.h"
#include "Models/Todos/Todo.h"
#include "Services/Storage/StoreFileCheck.h"
#include "Services/Storage/StoreSave.h"

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class Clock;
class StoreDatabase;
class StoreWriter;
struct StoreSchema;

// The one owner of the user's todos. Every operation changes the todos in memory at once
// (views see it through `changed`) and then writes every pending change to the store file in
// one transaction, which the file's writer runs on its own thread: the main thread queues it
// and learns the outcome later. A failed write is rolled back, reported through `saveFailed`,
// and its changes stay pending: the next change, a retry every few seconds and the quit write
// them.
//
// A file that cannot be opened, or is not a todo database Vemra can read, is never written:
// the store then runs in memory and keeps the reason in `loadError`. Checked in the background,
// the store starts empty; the worker that checks the file also reads its todos, so that the
// main thread only takes them in. Changes made meanwhile wait in memory and are written once
// the file has passed (`checked`), its todos joining them.
class TodoStore final : public QObject
{
    Q_OBJECT

public:
    // Opens (or creates) the store file at `filePath`, making its folder first. `clock` gives
    // the current time; null means the system clock. Never fails: see `loadError`.
    static std::unique_ptr<TodoStore> make(
        const QString &filePath, const Clock *clock = nullptr, IntegrityCheck check = IntegrityCheck::Before);
    // The store of the user's todos: "Todos.store" in the application's data folder.
    static std::unique_ptr<TodoStore> makeDefault(
        const Clock *clock = nullptr, IntegrityCheck check = IntegrityCheck::Before);
    static QString defaultFilePath();
    ~TodoStore() override;

    // The sentence that titles the alert of a failed save.
    static QString saveFailedMessage();

    QString filePath() const { return m_filePath; }
    // Present only when the store runs in memory because its file could not be opened.
    const std::optional<Error> &loadError() const { return m_loadError; }
    // While the file is being checked in the background.
    bool isChecking() const { return m_checking; }
    bool hasPendingChanges() const { return !m_dirty.isEmpty() || !m_deleted.isEmpty() || m_save.isUnderWay(); }

    // Every todo in list order.
    QList<Todo> allTodos() const { return m_todos; }
    std::optional<Todo> todo(const QUuid &id) const;

    // Adds a todo above all others with the trimmed title; nothing for a blank title. The new
    // todo is returned even when writing it failed.
    std::optional<Todo> add(const QString &title, const std::optional<QDate> &day);
    // Gives the todo another day (none: undated) and puts it at the top; the same day again
    // changes nothing.
    void schedule(const QUuid &id, const std::optional<QDate> &day);
    // Moves the todo to `index` among `peers` (all todos when none are given), clamped to
    // their range, then numbers every todo 0…n−1 in list order. Peers no longer stored are
    // ignored.
    void move(const QUuid &id, int index, const std::optional<QList<QUuid>> &peers = std::nullopt);
    // Completes or reopens the todo.
    void toggle(const QUuid &id);
    // Sets the trimmed title; a blank or unchanged title changes nothing.
    void rename(const QUuid &id, const QString &title);
    void remove(const QUuid &id);
    // Deletes the todos in one write (an empty list still writes what is pending).
    void remove(const QList<QUuid> &ids);
    // The same for the todos of an import being taken back, which the user didn't change: a
    // failure to write it is logged and tried again, not told.
    void takeBackImported(const QList<QUuid> &ids);
    // Appends imported todos below all others in one write. Ids already stored (or repeated
    // within the list) are skipped so that a todo is never stored twice. When the write fails
    // none of them stays and the error is returned rather than reported.
    Status insertImported(const QList<ExportedTodo> &imported);
    // The same in steps, for an import written on another connection: the todos as they will
    // be stored (below all others, without ids already stored), their rows written through
    // `database` inside the caller's transaction, and, once that is committed, the todos taken
    // in without writing them again.
    QList<Todo> importedTodos(const QList<ExportedTodo> &imported) const { return importedTodos(m_todos, imported); }
    // The same against `stored`, a copy of every todo, on any thread.
    static QList<Todo> importedTodos(const QList<Todo> &stored, const QList<ExportedTodo> &imported);
    static Status insertRows(const StoreDatabase &database, const QList<Todo> &todos);
    // Deletes the rows of `ids` in one transaction: an import's todos taken back.
    static Status deleteRows(const StoreDatabase &database, const QList<QUuid> &ids);
    void adoptImported(const QList<Todo> &todos);
    // The database file, for another connection to it; empty for a store in memory.
    QString databasePath() const;
    // The file's one writer, which an import's jobs join; none for a store in memory.
    std::shared_ptr<StoreWriter> writer() const { return m_writer; }
    static const StoreSchema &databaseSchema();

    // Waits for the write under way, then writes what is pending and waits for it, returning
    // the outcome instead of reporting it: the last try before quitting.
    Status flush();
    // Waits for the check of the file in the background to end (an export or an import reads
    // and writes the file itself).
    void waitForCheck();
    // How soon a failed save is tried again on its own.
    void setRetryInterval(std::chrono::milliseconds interval);

Q_SIGNALS:
    // The todos in memory changed (whether or not the change could be written yet).
    void changed();
    // Writing a change failed: `message` titles the alert, `error` says why.
    void saveFailed(const QString &message, const Error &error);
    // The check in the background is over: the file's todos are in, or `loadError` says why
    // the store runs in memory.
    void checked();

private:
    // What the check's worker hands over: the file's todos in list order once it has passed,
    // or why it did not.
    struct CheckedFile
    {
        Status status;
        QList<Todo> todos;
        std::shared_ptr<StoreWriter> writer;
    };

    TodoStore(std::unique_ptr<StoreDatabase> database, QString filePath, const Clock *clock);
    static CheckedFile checkAndRead(const QString &filePath, StoreFileCheck::Contents contents);
    static Result<QList<Todo>> read(const StoreDatabase &database);
    void finishCheck();
    // What a save writes: the ids deleted and the todos changed, as they are now.
    struct Changes
    {
        QSet<QUuid> deleted;
        QList<Todo> todos;
    };
    Changes pendingChanges() const;
    static Status write(const StoreDatabase &database, const Changes &changes);
    using Save = StoreSave<Changes, Status>;
    using Report = Save::Report;
    void writePending(Report report);
    void finishWrite();
    void settle(const Changes &written);
    void failed(const Error &error, Report report);
    qsizetype indexOf(const QUuid &id) const;
    qint64 topOrder() const;
    QDateTime now() const;
    void sort();
    void markDirty(const QUuid &id);
    // Takes the todos out of the list and stages their deletion; whether any was there.
    bool drop(const QList<QUuid> &ids);
    // Emits `changed` and writes every pending change.
    void commitChange();
    void save();

    // The file's one writer, which outlives the reading connection: the last connection to go
    // folds the log back, which only a writer can.
    std::shared_ptr<StoreWriter> m_writer;
    std::unique_ptr<StoreDatabase> m_database;
    QString m_filePath;
    std::unique_ptr<Clock> m_ownClock;
    const Clock *m_clock = nullptr;
    std::optional<Error> m_loadError;
    QList<Todo> m_todos;
    QSet<QUuid> m_dirty;
    QSet<QUuid> m_deleted;
    // The save under way on the writer's thread.
    Save m_save { QStringLiteral("the todos") };
    // The check in the background.
    QFutureWatcher<CheckedFile> m_check;
    bool m_checking = false;
};
