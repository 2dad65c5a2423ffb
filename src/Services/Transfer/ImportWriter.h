#pragma once

#include "Models/Clipboard/ClipboardCapture.h"
#include "Models/Clipboard/ClipboardItem.h"
#include "Models/Common/Result.h"
#include "Models/Todos/Todo.h"
#include "Models/Transfer/EntryKey.h"
#include "Services/Transfer/BackupReader.h"

#include <QFuture>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <memory>

class StoreDatabase;
struct StoreSchema;

// Adds what an import plan chose, off the main thread: reads the chosen entries again where
// the plan found them in the file, makes them and their side files several at a time, and writes their rows and the
// todos' rows on connections of its own, each store in one transaction. Both transactions
// stay open until everything is written, so that any failure before the commits takes back
// everything by rolling back, which needs no free space; the import's mark (ImportJournal),
// made before either commit and gone once both are done or taken back, covers the moment
// between them.
//
// With a store in memory, which no other connection can reach, the entries are only made,
// and taken from here by the caller.
//
// Made, used and dropped on one thread: its connections belong to it. Dropping it takes back
// whatever is not committed.
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
        // The stores' files; empty for a store in memory.
        QString clipboardDatabase;
        QString todoDatabase;
    };

    explicit ImportWriter(Job job);
    ~ImportWriter();
    ImportWriter(const ImportWriter &) = delete;
    ImportWriter &operator=(const ImportWriter &) = delete;

    // Whether both stores are files, which the writer writes itself.
    bool writesStores() const { return !m_job.clipboardDatabase.isEmpty() && !m_job.todoDatabase.isEmpty(); }

    // Makes the chosen entries and writes the rows, uncommitted, and marks the import as under
    // way when it adds to both stores.
    Status write();
    // Commits the entries, then the todos. After a failure nothing of the import stays,
    // unless taking back the committed entries failed too (see entriesKept).
    Status commit();
    // The steps of commit, one by one.
    Status markInProgress();
    Status commitEntries();
    Status commitTodos();
    void finish();

    // Entries made (and, once committed, added), and chosen entries that couldn't be made.
    qint64 added() const { return m_added; }
    qint64 unreadable() const { return m_unreadable; }
    // After a failed commit of the todos: the entries stayed, since taking them back failed.
    bool entriesKept() const { return m_entriesKept; }
    // The entries made, when the writer does not write the stores.
    QList<ClipboardCapture> takeCaptures() { return std::move(m_captures); }

private:
    Status begin(std::unique_ptr<StoreDatabase> &database, const QString &path, const StoreSchema &schema);
    // An entry made, or none when it couldn't be; `changed` when the file no longer holds an
    // entry where the plan found it.
    struct Made
    {
        std::optional<ClipboardCapture> capture;
        // Its row, made beside it when the writer writes the rows.
        std::optional<ClipboardItem> row;
        bool changed = false;
    };

    // Reads the chosen entries, makes them and writes their rows.
    Status writeEntries();
    // Starts making a batch of entries on the pool from `span`, the file's bytes from `start`.
    QFuture<Made> make(QByteArray span, qint64 start, QList<EntryPlace> places) const;
    // Waits for a batch being made and writes its rows (or only notes its side files).
    Status take(QFuture<Made> &made, bool writeRows = true);
    Status takeBackEntries();
    static void rollBack(std::unique_ptr<StoreDatabase> &database);

    Job m_job;
    std::unique_ptr<StoreDatabase> m_entries;
    std::unique_ptr<StoreDatabase> m_todos;
    bool m_entriesCommitted = false;
    bool m_todosCommitted = false;
    bool m_entriesKept = false;
    bool m_marked = false;
    QList<QUuid> m_entryIds;
    QStringList m_sideFiles;
    QList<ClipboardCapture> m_captures;
    qint64 m_added = 0;
    qint64 m_unreadable = 0;
};
