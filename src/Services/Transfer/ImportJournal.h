#pragma once

#include "Models/Common/Result.h"

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
// stores hold their files' contents.
namespace ImportJournal {

// The mark's file in the clipboard store's folder.
QString path(const QString &clipboardFolder);
// Writes the mark naming the import's todos and entries, synced to disk.
Status write(const QString &clipboardFolder, const QList<QUuid> &todos, const QList<QUuid> &entries);
void remove(const QString &clipboardFolder);
// Completes or takes back an import that a mark says was under way; true when one was
// taken back. Waits for the taking back to be written.
bool recover(TodoStore &todos, ClipboardStore &clipboard);

} // namespace ImportJournal
