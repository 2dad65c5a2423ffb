#pragma once

#include "Models/Todos/ExportedTodo.h"
#include "Models/Todos/Todo.h"
#include "Models/Transfer/ClipboardKeys.h"
#include "Models/Transfer/EntryKey.h"
#include "Models/Transfer/ExportedClipboardItem.h"
#include "Models/Transfer/VemraExport.h"

#include <QList>
#include <QSet>
#include <QString>

// What an import would add: the document's todos and clipboard entries that are neither
// stored already nor repeated earlier in the same file, with the counts of what is skipped.
// A plain value: built from value copies of the stores' contents, so it can be made off the
// main thread, one entry at a time as the file is read, without holding the entries.
struct ImportPlan
{
    // Todos to add, in file order.
    QList<ExportedTodo> todos;
    // Clipboard entries to add: where they lie in the file, in file order.
    QList<EntryPlace> clipboard;
    qint64 duplicateTodos = 0;
    qint64 duplicateClipboard = 0;
    // Todos and clipboard entries together that can't be read.
    qint64 invalid = 0;

    ImportPlan() = default;
    // An empty plan against what is stored: `stored` is every stored todo, `known` the
    // clipboard history's ids and hashes.
    ImportPlan(const QList<Todo> &stored, ClipboardKeys known);
    // The plan of a whole document, read with its entries.
    ImportPlan(VemraExport document, const QList<Todo> &stored, ClipboardKeys known);

    // Takes the document's todos.
    void addTodos(QList<ExportedTodo> document);
    // Takes what another plan that weighed only todos chose, with its counts: the todos and the
    // entries can be weighed apart, at once.
    void takeTodos(ImportPlan &&weighed);
    // Takes what the plan weighs of one of the document's entries; true when it is to be
    // added. Its hash is weighed only when its id is neither stored nor met before.
    bool addEntry(const EntryKey &key);
    // Whether an entry with this id is skipped whatever its content: stored, or met earlier in
    // the document.
    bool knowsId(const QUuid &id) const { return m_known.ids.contains(id) || m_fileIds.contains(id); }
    // Adds the history's content hashes, which a plan made without them needs before it takes
    // an entry whose id it doesn't know.
    void addKnownHashes(QSet<ContentDigest> hashes);

    // Lets go of what the entries and todos were weighed against, once all of them are: sets
    // as large as the history and the file together, whose freeing is no work for the thread
    // that only shows the plan.
    void releaseKeys();

    qint64 duplicates() const { return duplicateTodos + duplicateClipboard; }
    bool isEmpty() const { return todos.isEmpty() && clipboard.isEmpty(); }

    // A todo's second identity: its trimmed title, "|", and its creation time in whole
    // seconds since 1970, rounded down.
    static QString key(const QString &title, const QDateTime &createdAt);
    // The content hash the clipboard store keeps for the entry: of the image bytes for an
    // image, else of the content as exported.
    static ContentDigest hash(const ExportedClipboardItem &item);

private:
    QSet<QUuid> m_todoIds;
    QSet<QString> m_todoKeys;
    // The history's keys, never changed here: its ids may be shared with the readers of the
    // file, which hash no entry whose id it holds. The document's own ids are kept apart.
    ClipboardKeys m_known;
    QSet<QUuid> m_fileIds;
};
