#pragma once

#include "Models/Todos/ExportedTodo.h"
#include "Models/Todos/Todo.h"
#include "Models/Transfer/ClipboardKeys.h"
#include "Models/Transfer/ExportedClipboardItem.h"
#include "Models/Transfer/VemraExport.h"

#include <QList>
#include <QString>

// What an import would add: the document's todos and clipboard entries that are neither
// stored already nor repeated earlier in the same file, with the counts of what is skipped.
// A plain value: built from value copies of the stores' contents, so it can be made off the
// main thread.
struct ImportPlan
{
    // Todos to add and clipboard entries to add, in file order.
    QList<ExportedTodo> todos;
    QList<ExportedClipboardItem> clipboard;
    qint64 duplicateTodos = 0;
    qint64 duplicateClipboard = 0;
    // Todos and clipboard entries together that can't be read.
    qint64 invalid = 0;

    ImportPlan() = default;
    // Takes the document's records; `stored` is every stored todo, `known` the clipboard
    // history's ids and hashes.
    ImportPlan(VemraExport document, const QList<Todo> &stored, ClipboardKeys known);

    qint64 duplicates() const { return duplicateTodos + duplicateClipboard; }
    bool isEmpty() const { return todos.isEmpty() && clipboard.isEmpty(); }

    // A todo's second identity: its trimmed title, "|", and its creation time in whole
    // seconds since 1970, rounded down.
    static QString key(const QString &title, const QDateTime &createdAt);
    // The content hash the clipboard store keeps for the entry: of the image bytes for an
    // image, else of the content as exported.
    static QString hash(const ExportedClipboardItem &item);
};
