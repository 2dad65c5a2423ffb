#include "Services/Transfer/ImportJournal.h"

#include "Platform/Logging.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Todos/TodoStore.h"

#include <QFile>
#include <QSaveFile>

namespace {

const QByteArray heading("Vemra import 1\n");

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
    const QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    QList<QUuid> todoIds;
    QList<QUuid> entryIds;
    for (const QByteArray &line : lines) {
        if (line.startsWith("todo "))
            todoIds.append(QUuid::fromString(QLatin1StringView(line.mid(5))));
        else if (line.startsWith("entry "))
            entryIds.append(QUuid::fromString(QLatin1StringView(line.mid(6))));
    }
    // The todos are committed last, in one transaction: any of them stored means all of it is.
    const bool whole = todoIds.isEmpty()
        || std::any_of(todoIds.cbegin(), todoIds.cend(), [&todos](const QUuid &id) { return todos.todo(id); });
    if (whole) {
        remove(clipboard.folder());
        return false;
    }
    QList<ClipboardItem> added;
    for (qsizetype at = 0; at < entryIds.size(); at += lookupBatch)
        added += clipboard.itemsWithIds(entryIds.mid(at, lookupBatch));
    qCInfo(lcTransfer) << "taking back" << added.size() << "clipboard items of an interrupted import";
    clipboard.deleteItems(added);
    // Kept while the deletion waits to be written, so that a later start tries again.
    if (!clipboard.hasPendingChanges())
        remove(clipboard.folder());
    return true;
}

} // namespace ImportJournal
