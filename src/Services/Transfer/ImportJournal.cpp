#include "Services/Transfer/ImportJournal.h"

#include "Platform/Logging.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Todos/TodoStore.h"

#include <QFile>
#include <QSaveFile>

namespace {

// The second form commits the todos first; the first, of earlier versions, the entries.
const QByteArray heading("Vemra import 2\n");
const QByteArray entriesFirst("Vemra import 1\n");

// Entries looked up at a time: within SQLite's limit on bound values.
constexpr qsizetype lookupBatch = 500;

} // namespace

namespace ImportJournal {

QString path(const QString &clipboardFolder)
{
    return clipboardFolder + QStringLiteral("/Import.journal");
}

Status write(const QString &clipboardFolder, const QList<QUuid> &todos, const QList<QUuid> &entries)
{
    QByteArray text = heading;
    text.reserve(text.size() + (todos.size() + entries.size()) * 43);
    for (const QUuid &id : todos)
        text += "todo " + id.toByteArray(QUuid::WithoutBraces) + '\n';
    for (const QUuid &id : entries)
        text += "entry " + id.toByteArray(QUuid::WithoutBraces) + '\n';
    QSaveFile file(path(clipboardFolder));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return Error { QStringLiteral("Vemra couldn’t prepare the import."), file.errorString() };
    return {};
}

void remove(const QString &clipboardFolder)
{
    QFile file(path(clipboardFolder));
    if (file.exists() && !file.remove())
        qCWarning(lcTransfer) << "cannot remove the import's mark" << file.fileName() << file.errorString();
}

bool recover(TodoStore &todos, ClipboardStore &clipboard)
{
    QFile file(path(clipboard.folder()));
    if (!file.exists())
        return false;
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcTransfer) << "cannot read the import's mark" << file.errorString();
        return false;
    }
    const QByteArray text = file.readAll();
    file.close();
    QList<QUuid> todoIds;
    QList<QUuid> entryIds;
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith("todo "))
            todoIds.append(QUuid::fromString(QLatin1StringView(line.mid(5))));
        else if (line.startsWith("entry "))
            entryIds.append(QUuid::fromString(QLatin1StringView(line.mid(6))));
    }
    QList<ClipboardItem> entries;
    for (qsizetype at = 0; at < entryIds.size(); at += lookupBatch)
        entries += clipboard.itemsWithIds(entryIds.mid(at, lookupBatch));
    QList<QUuid> storedTodos;
    for (const QUuid &id : std::as_const(todoIds)) {
        if (todos.todo(id))
            storedTodos.append(id);
    }
    // Each store's part is committed in one transaction, the second store's last: any of its
    // rows stored means all of the import is.
    Status takenBack;
    if (text.startsWith(entriesFirst)) {
        if (todoIds.isEmpty() || !storedTodos.isEmpty()) {
            remove(clipboard.folder());
            return false;
        }
        qCInfo(lcTransfer) << "taking back" << entries.size() << "clipboard items of an interrupted import";
        clipboard.deleteItems(entries);
        takenBack = clipboard.flush();
    } else {
        if (entryIds.isEmpty() || !entries.isEmpty()) {
            remove(clipboard.folder());
            return false;
        }
        qCInfo(lcTransfer) << "taking back" << storedTodos.size() << "todos of an interrupted import";
        todos.remove(storedTodos);
        takenBack = todos.flush();
    }
    // Kept until the taking back is written, so that a later start tries again.
    if (takenBack)
        remove(clipboard.folder());
    else
        qCWarning(lcTransfer) << "cannot take back an interrupted import yet:" << takenBack.error().description();
    return true;
}

} // namespace ImportJournal
