#include "Models/Transfer/ImportPlan.h"

#include "Models/Clipboard/ClipboardKind.h"

ImportPlan::ImportPlan(const QList<Todo> &stored, ClipboardKeys known)
    : m_known(std::move(known))
{
    m_todoIds.reserve(stored.size());
    m_todoKeys.reserve(stored.size());
    for (const Todo &todo : stored) {
        m_todoIds.insert(todo.id);
        m_todoKeys.insert(key(todo.title, todo.createdAt));
    }
}

ImportPlan::ImportPlan(VemraExport document, const QList<Todo> &stored, ClipboardKeys known)
    : ImportPlan(stored, std::move(known))
{
    addTodos(std::move(document.todos));
    for (qsizetype i = 0; i < document.clipboard.size(); ++i) {
        const ExportedClipboardItem &item = document.clipboard.at(i);
        const bool valid = item.isValid();
        addEntry(EntryKey { EntryPlace { i, 0, 0 }, valid, item.id, valid ? hash(item) : ContentDigest() });
    }
}

void ImportPlan::addTodos(QList<ExportedTodo> document)
{
    for (ExportedTodo &todo : document) {
        if (todo.title.trimmed().isEmpty()) {
            ++invalid;
            continue;
        }
        QString todoKey = key(todo.title, todo.createdAt);
        if (m_todoIds.contains(todo.id) || m_todoKeys.contains(todoKey)) {
            ++duplicateTodos;
            continue;
        }
        m_todoIds.insert(todo.id);
        m_todoKeys.insert(std::move(todoKey));
        todos.append(std::move(todo));
    }
}

void ImportPlan::takeTodos(ImportPlan &&weighed)
{
    todos += std::move(weighed.todos);
    duplicateTodos += weighed.duplicateTodos;
    invalid += weighed.invalid;
}

bool ImportPlan::addEntry(const EntryKey &key)
{
    if (!key.valid) {
        ++invalid;
        return false;
    }
    if (knowsId(key.id) || m_known.hashes.contains(key.hash)) {
        ++duplicateClipboard;
        return false;
    }
    m_fileIds.insert(key.id);
    m_known.hashes.insert(key.hash);
    clipboard.append(key.place);
    return true;
}

QString ImportPlan::key(const QString &title, const QDateTime &createdAt)
{
    const qint64 msecs = createdAt.toMSecsSinceEpoch();
    const qint64 seconds = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
    return title.trimmed() + u'|' + QString::number(seconds);
}

ContentDigest ImportPlan::hash(const ExportedClipboardItem &item)
{
    const bool image = ClipboardKinds::fromStoredValue(item.type) == ClipboardKind::Image && item.imageData;
    return ContentDigest::of(image ? *item.imageData : item.content.toUtf8());
}

void ImportPlan::addKnownHashes(QSet<ContentDigest> hashes)
{
    if (hashes.size() < m_known.hashes.size())
        std::swap(hashes, m_known.hashes);
    m_known.hashes.unite(hashes);
}

void ImportPlan::releaseKeys()
{
    m_todoIds = {};
    m_todoKeys = {};
    m_known = {};
    m_fileIds = {};
}
