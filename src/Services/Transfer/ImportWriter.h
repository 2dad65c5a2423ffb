#pragma once

#include "Models/Clipboard/ClipboardCapture.h"
#include "Models/Clipboard/ClipboardItem.h"
#include "Models/Common/Result.h"
#include "Models/Todos/Todo.h"
#include "Models/Transfer/EntryKey.h"
#include "Services/Clipboard/ClipboardDatabase.h"
#include "Services/Transfer/BackupReader.h"

#include <QFuture>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <memory>

class QThreadPool;
class StoreDatabase;
class StoreWriter;

// Adds what an import plan chose, off the main thread: reads the chosen entries again where
// the plan found them in the file, makes them and their side files several at a time, and has
// each store's writer write their rows and the todos' rows as jobs of its own, each store in
// one transaction (a session of its writer: the saves asked for meanwhile wait in its queue
// and follow the commit). Both transactions stay open until everything is written, and the
// entries' until the todos are committed, so that any failure before the entries' commit takes
// back everything by rolling back, which needs no free space; only a failed commit of the
// entries, the last step, has the few todos deleted again. The import's mark (ImportJournal),
// made before either commit and gone once both are done or taken back, covers the moment
// between them.
//
// With a store in memory, which no other connection can reach, the entries are only made,
// and taken from here by the caller.
//
// Dropping it takes back whatever is not committed.
class ImportWriter final
{
public:
    struct Job
    {
        QString filePath;
        // The file as it was planned: a file changed since is refused.
        BackupReader::FileStamp stamp;
        // Where the chosen entries lie in the file, in the file's order.
        QList<EntryPlace> entries;
        QList<Todo> todos;
        QString clipboardFolder;
        // The stores' writers; none for a store in memory.
        std::shared_ptr<StoreWriter> clipboardWriter;
        std::shared_ptr<StoreWriter> todoWriter;
        // Where the entries are made and the side files synced: never a pool whose threads
        // wait on this writer. Qt's global pool when none is given.
        QThreadPool *pool = nullptr;
    };

    explicit ImportWriter(Job job);
    ~ImportWriter();
    ImportWriter(const ImportWriter &) = delete;
    ImportWriter &operator=(const ImportWriter &) = delete;

    // Whether both stores are files, which the writer writes itself.
    bool writesStores() const { return m_job.clipboardWriter && m_job.todoWriter; }

    // Makes the chosen entries and writes the rows, uncommitted, and marks the import as under
    // way when it adds to both stores.
    Status write();
    // Commits the todos, then the entries. After a failure nothing of the import stays, or,
    // when deleting the committed todos failed too, the mark stays so that the next start
    // takes them back.
    Status commit();
    // The steps of commit, one by one.
    Status markInProgress();
    Status commitTodos();
    Status commitEntries();
    void finish();

    // Entries made (and, once committed, added), and chosen entries that couldn't be made.
    qint64 added() const { return m_added; }
    qint64 unreadable() const { return m_unreadable; }
    // The entries made, when the writer does not write the stores.
    QList<ClipboardCapture> takeCaptures() { return std::move(m_captures); }

private:
    // Opens a transaction on `writer` for the session it gives.
    static Status begin(StoreWriter &writer, quint64 &session);
    // What begin() runs on the writer's connection.
    static Status open(const StoreDatabase &database);
    // Commits (or rolls back) the session's transaction, ending the session.
    static Status end(StoreWriter &writer, quint64 &session, bool commit);
    static void rollBack(StoreWriter &writer, quint64 &session);
    // An entry made, or none when it couldn't be; `changed` when the file no longer holds an
    // entry where the plan found it.
    struct Made
    {
        std::optional<ClipboardCapture> capture;
        // Its row, made beside it when the writer writes the rows.
        std::optional<ClipboardDatabase::Row> row;
        bool changed = false;
        // Why its side files couldn't be written (as the system told it): the import fails
        // rather than skip it.
        std::optional<Error> unsaved;
    };

    // Makes the chosen entries and writes their rows in a transaction of their own, and brings
    // their side files to the disk with the import's mark.
    Status writeEntries();
    // Reads the chosen entries, makes them and hands their rows to the writer, the last ones
    // without waiting for them.
    Status makeEntries();
    // Starts making a batch of entries on the pool from `span`, the file's bytes from `start`.
    QFuture<Made> make(QByteArray span, qint64 start, QList<EntryPlace> places) const;
    // Waits for a batch being made and gathers its rows (or only notes its side files).
    Status take(QFuture<Made> &made, bool writeRows = true);
    // Hands the rows gathered to the clipboard store's writer once the rows handed before are
    // written; with `last`, waits for them too.
    Status queueRows(bool last);
    Status takeBackTodos();

    Job m_job;
    // The writers' sessions of the two transactions, 0 when none is open.
    quint64 m_entries = 0;
    quint64 m_todos = 0;
    bool m_entriesCommitted = false;
    bool m_todosCommitted = false;
    bool m_marked = false;
    QList<QUuid> m_entryIds;
    QStringList m_sideFiles;
    QList<ClipboardCapture> m_captures;
    // Rows made and not yet handed to the writer, and the writer's job for those handed last.
    QList<ClipboardDatabase::Row> m_rows;
    struct Written
    {
        Status status;
        QList<ClipboardDatabase::Row> rows;
    };
    QFuture<Written> m_rowsWritten;
    qint64 m_added = 0;
    qint64 m_unreadable = 0;
    // Entries whose side files couldn't be written, and why the first couldn't.
    qint64 m_unsaved = 0;
    QString m_unsavedReason;
};
