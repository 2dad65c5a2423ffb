#include "Services/Transfer/ImportJournal.h"

#include "Platform/Logging.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Storage/StoreWriter.h"
#include "Services/Todos/TodoStore.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>

namespace {

// The second form commits the todos first; the first, of earlier versions, the entries.
const QByteArray heading("Vemra import 2\n");
const QByteArray entriesFirst("Vemra import 1\n");

// Entries looked up at a time: within SQLite's limit on bound values.
constexpr qsizetype lookupBatch = 500;

// Removes the mark once its import is taken back; kept otherwise, so that it is tried again.
auto removeOnceTakenBack(const QString &folder)
{
    return [folder](const Status &takenBack) {
        if (takenBack)
            ImportJournal::remove(folder);
        else
            qCWarning(lcTransfer) << "cannot take back an interrupted import yet:" << takenBack.error().description();
        return takenBack;
    };
}

} // namespace

namespace ImportJournal {

QString path(const QString &clipboardFolder)
{
    return clipboardFolder + QStringLiteral("/Import.journal");
}

Status write(const QString &clipboardFolder, const QList<QUuid> &todos, const QList<QUuid> &entries)
{
    // Written over, another import's mark would leave that import's todos for good.
    if (exists(clipboardFolder))
        return Error { QStringLiteral("The last import isn’t taken back yet."), {} };
    QByteArray text = heading;
    text.reserve(text.size() + (todos.size() + entries.size()) * 43);
    for (const QUuid &id : todos)
        text += "todo " + id.toByteArray(QUuid::WithoutBraces) + '\n';
    for (const QUuid &id : entries)
        text += "entry " + id.toByteArray(QUuid::WithoutBraces) + '\n';
    QSaveFile file(path(clipboardFolder));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        const bool full = file.errorString().contains(qt_error_string(ENOSPC));
        return Error { QStringLiteral("Vemra couldn’t prepare the import."), full ? QString() : file.errorString(),
            full ? Error::Kind::DiskFull : Error::Kind::Other };
    }
    return {};
}

bool exists(const QString &clipboardFolder)
{
    return QFile::exists(path(clipboardFolder));
}

void remove(const QString &clipboardFolder)
{
    QFile file(path(clipboardFolder));
    if (file.exists() && !file.remove())
        qCWarning(lcTransfer) << "cannot remove the import's mark" << file.fileName() << file.errorString();
}

Recovery recover(TodoStore &todos, ClipboardStore &clipboard)
{
    const auto ready = [](Status status = {}) { return QtFuture::makeReadyFuture(std::move(status)); };
    const QString folder = clipboard.folder();
    // Either file may hold what the mark names though its store can't read it now.
    if (!exists(folder) || !todos.writer() || !clipboard.writer())
        return { false, ready() };
    QFile file(path(folder));
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcTransfer) << "cannot read the import's mark" << file.errorString();
        return { false, ready(Error { QStringLiteral("The last import isn’t taken back yet."), file.errorString() }) };
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
    // Each store's part is committed in one transaction, the second store's last: any of its
    // rows stored means all of the import is.
    if (text.startsWith(entriesFirst)) {
        QList<QUuid> storedTodos;
        for (const QUuid &id : std::as_const(todoIds)) {
            if (todos.todo(id))
                storedTodos.append(id);
        }
        if (todoIds.isEmpty() || !storedTodos.isEmpty()) {
            remove(folder);
            return { false, ready() };
        }
        qCInfo(lcTransfer) << "taking back" << entries.size() << "clipboard items of an interrupted import";
        // Written by the store's writer after what it queued, which then removes the mark too.
        const std::shared_ptr<StoreWriter> writer = clipboard.writer();
        QFuture<Status> deleted = clipboard.takeBackImported(entries);
        return { true,
            deleted
                .then([writer, folder](const Status &written) {
                    return writer->run(
                        [folder, written](const StoreDatabase &) { return removeOnceTakenBack(folder)(written); });
                })
                .unwrap() };
    }
    if (entryIds.isEmpty() || !entries.isEmpty()) {
        remove(folder);
        return { false, ready() };
    }
    qCInfo(lcTransfer) << "taking back" << todoIds.size() << "todos of an interrupted import";
    // Those shown go from the list; the file loses them all on the writer, after what the store
    // queued, whether it shows them or not.
    todos.takeBackImported(todoIds);
    QFuture<Status> deleted = todos.writer()->run(
        [todoIds](const StoreDatabase &database) { return TodoStore::deleteRows(database, todoIds); });
    return { true, deleted.then(removeOnceTakenBack(folder)) };
}

} // namespace ImportJournal
