#pragma once

#include "Models/Common/Result.h"

#include <QFuture>
#include <QList>
#include <QString>
#include <QUuid>

class ClipboardStore;
class TodoStore;

// The mark of an import in progress. The todos and the clipboard history are separate
// databases, so an import writes the mark, then commits its todos, then its entries, and
// only then drops the mark: a mark found at start, with none of its entries stored, means the
// process ended between the two commits (or while taking the todos back), and the todos are
// taken back, so that an import is whole or not at all across a crash. It is read once both
// stores hold their files' contents, and again before each later import: one whose todos could
// not be taken back when its last commit failed (a full disk) is taken back then. No import
// writes over a mark or removes one it did not write.
namespace ImportJournal {

// The mark's file in the clipboard store's folder.
QString path(const QString &clipboardFolder);
// Writes the mark naming the import's todos and entries, synced to disk. Refused while the
// mark of another import is there.
Status write(const QString &clipboardFolder, const QList<QUuid> &todos, const QList<QUuid> &entries);
void remove(const QString &clipboardFolder);
// Whether an import's mark is there.
bool exists(const QString &clipboardFolder);

struct Recovery
{
    // Whether an import is being taken back.
    bool takesBack = false;
    // Ends once the mark is gone, or with why it stays (its import not yet taken back).
    QFuture<Status> done;
};
// Completes or takes back an import that a mark says was under way, without waiting for
// either store: its todos are deleted from the file whether the store shows them (at a start) or
// not (its last commit failed in this run), on the store's writer, or, for a mark of the earlier
// form, its entries by a save of the history, and the mark goes once that is written. Neither
// store tells a failure to write it: the caller does. A mark stays while either store keeps its
// data in memory, for a start that opens both files.
Recovery recover(TodoStore &todos, ClipboardStore &clipboard);

} // namespace ImportJournal
