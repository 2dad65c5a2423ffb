#include "Models/Transfer/ImportPlan.h"

#include "Models/Clipboard/ClipboardKind.h"

#include <QCryptographicHash>
#include <QSet>

ImportPlan::ImportPlan(VemraExport document, const QList<Todo> &stored, ClipboardKeys known)
{
    QSet<QUuid> todoIds;
    QSet<QString> todoKeys;
    todoIds.reserve(stored.size());
    todoKeys.reserve(stored.size());
    for (const Todo &todo : stored) {
        todoIds.insert(todo.id);
        todoKeys.insert(key(todo.title, todo.createdAt));
    }
    for (ExportedTodo &todo : document.todos) {
        if (todo.title.trimmed().isEmpty()) {
            ++invalid;
            continue;
        }
        QString todoKey = key(todo.title, todo.createdAt);
        if (todoIds.contains(todo.id) || todoKeys.contains(todoKey)) {
            ++duplicateTodos;
            continue;
        }
        todoIds.insert(todo.id);
        todoKeys.insert(std::move(todoKey));
        todos.append(std::move(todo));
    }
    document.todos.clear();

    for (ExportedClipboardItem &item : document.clipboard) {
        if (!item.isValid()) {
            ++invalid;
            continue;
        }
        QString itemHash = hash(item);
        if (known.ids.contains(item.id) || known.hashes.contains(itemHash)) {
            ++duplicateClipboard;
            continue;
        }
        known.ids.insert(item.id);
        known.hashes.insert(std::move(itemHash));
        clipboard.append(std::move(item));
    }
}

QString ImportPlan::key(const QString &title, const QDateTime &createdAt)
{
    const qint64 msecs = createdAt.toMSecsSinceEpoch();
    const qint64 seconds = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
    return title.trimmed() + u'|' + QString::number(seconds);
}

QString ImportPlan::hash(const ExportedClipboardItem &item)
{
    const bool image = ClipboardKinds::fromStoredValue(item.type) == ClipboardKind::Image && item.imageData;
    const QByteArray bytes = image ? *item.imageData : item.content.toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}
