#include "Services/Todos/TodoStore.h"

#include "Models/Todos/Days.h"
#include "Platform/Clock.h"
#include "Platform/DataPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <algorithm>

namespace {

constexpr int schemaVersion = 1;

const QStringList &columns()
{
    static const QStringList names { QStringLiteral("id"), QStringLiteral("title"), QStringLiteral("is_completed"),
        QStringLiteral("created_at"), QStringLiteral("updated_at"), QStringLiteral("completed_at"),
        QStringLiteral("sort_order"), QStringLiteral("day") };
    return names;
}

QString sqlText(const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.trimmed();
}

Error sqlError(const QString &message, const QSqlError &error)
{
    return Error { message, sqlText(error) };
}

QVariant msecs(const std::optional<QDateTime> &time)
{
    return time ? QVariant(time->toMSecsSinceEpoch()) : QVariant();
}

std::optional<QDateTime> timeFrom(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(value.toLongLong());
}

// True when the file starts like an SQLite database; an empty file counts as a new one.
bool looksLikeDatabase(const QString &path, QString *problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = file.errorString();
        return false;
    }
    if (file.size() == 0)
        return true;
    static const QByteArray magic("SQLite format 3\0", 16);
    if (file.read(magic.size()) != magic) {
        *problem = QStringLiteral("The file is not a database.");
        return false;
    }
    return true;
}

bool exec(QSqlQuery &query, const QString &sql)
{
    return query.exec(sql);
}

} // namespace

TodoStore::TodoStore(const QString &filePath, const Clock *clock, QObject *parent)
    : QObject(parent)
    , m_filePath(filePath)
    , m_connection(QStringLiteral("Vemra.TodoStore.") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    , m_clock(clock)
{
    if (!m_clock) {
        m_ownClock = std::make_unique<SystemClock>();
        m_clock = m_ownClock.get();
    }
    const Status opened = openFile(filePath);
    if (!opened) {
        m_loadError = opened.error();
        closeConnection();
        m_todos.clear();
        openInMemory();
    }
}

TodoStore::~TodoStore()
{
    closeConnection();
}

std::unique_ptr<TodoStore> TodoStore::makeDefault()
{
    return std::make_unique<TodoStore>(defaultFilePath());
}

QString TodoStore::defaultFilePath()
{
    return DataPaths::appFolder() + QStringLiteral("/Todos.store");
}

QString TodoStore::saveFailedMessage()
{
    return QStringLiteral("Vemra couldn’t save your latest change.");
}

Status TodoStore::openFile(const QString &filePath)
{
    const QFileInfo info(filePath);
    if (!DataPaths::ensureFolder(info.absolutePath()))
        return Error { QStringLiteral("The folder for your todos couldn’t be created."), info.absolutePath() };

    // Check what is there before SQLite is given the file: nothing may be written to a file
    // that is not ours.
    if (info.exists()) {
        if (!info.isFile())
            return Error { QStringLiteral("The todo database is not a file."), filePath };
        QString problem;
        if (!looksLikeDatabase(filePath, &problem))
            return Error { QStringLiteral("The todo database couldn’t be read."), problem };
    }

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(filePath);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open())
        return sqlError(QStringLiteral("The todo database couldn’t be opened."), db.lastError());

    // Only reads until the file has been recognised.
    QSqlQuery query(db);
    const QString unreadable = QStringLiteral("The todo database couldn’t be read.");
    if (!exec(query, QStringLiteral("PRAGMA user_version")) || !query.next())
        return sqlError(unreadable, query.lastError());
    const int version = query.value(0).toInt();
    if (!exec(query, QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next())
        return sqlError(unreadable, query.lastError());
    const bool isEmpty = query.value(0).toInt() == 0;

    if (version > schemaVersion)
        return Error { QStringLiteral("The todos were saved by a newer version of Vemra."), filePath };
    if (version == 0 && !isEmpty)
        return Error { QStringLiteral("The file is not a Vemra todo database."), filePath };

    if (version == schemaVersion) {
        if (!exec(query, QStringLiteral("PRAGMA quick_check")) || !query.next())
            return sqlError(unreadable, query.lastError());
        if (query.value(0).toString() != QStringLiteral("ok"))
            return Error { QStringLiteral("The todo database is damaged."), query.value(0).toString() };
        if (!exec(query, QStringLiteral("PRAGMA table_info(todo)")))
            return sqlError(unreadable, query.lastError());
        QStringList found;
        while (query.next())
            found.append(query.value(1).toString());
        for (const QString &column : columns()) {
            if (!found.contains(column))
                return Error { QStringLiteral("The file is not a Vemra todo database."), filePath };
        }
        if (!exec(
                query, QStringLiteral("SELECT ") + columns().join(QStringLiteral(", ")) + QStringLiteral(" FROM todo")))
            return sqlError(unreadable, query.lastError());
        while (query.next()) {
            Todo todo;
            todo.id = QUuid::fromString(query.value(0).toString());
            // A row that names no todo cannot be shown or changed; it stays in the file as it is.
            if (todo.id.isNull())
                continue;
            todo.title = query.value(1).toString();
            todo.isCompleted = query.value(2).toLongLong() != 0;
            todo.createdAt = QDateTime::fromMSecsSinceEpoch(query.value(3).toLongLong());
            todo.updatedAt = QDateTime::fromMSecsSinceEpoch(query.value(4).toLongLong());
            todo.completedAt = timeFrom(query.value(5));
            todo.sortOrder = query.value(6).toLongLong();
            todo.day = timeFrom(query.value(7));
            m_todos.append(todo);
        }
        if (query.lastError().isValid())
            return sqlError(unreadable, query.lastError());
        sort();
    }

    // Recognised: from here on the file is ours to write.
    const QString unwritable = QStringLiteral("The todo database couldn’t be prepared.");
    if (!exec(query, QStringLiteral("PRAGMA journal_mode=WAL"))
        || !exec(query, QStringLiteral("PRAGMA synchronous=NORMAL")))
        return sqlError(unwritable, query.lastError());
    if (version == 0) {
        const bool created = exec(query, QStringLiteral("BEGIN IMMEDIATE"))
            && exec(query,
                QStringLiteral("CREATE TABLE todo ("
                               "id TEXT PRIMARY KEY NOT NULL, "
                               "title TEXT NOT NULL, "
                               "is_completed INTEGER NOT NULL DEFAULT 0, "
                               "created_at INTEGER NOT NULL, "
                               "updated_at INTEGER NOT NULL, "
                               "completed_at INTEGER, "
                               "sort_order INTEGER NOT NULL DEFAULT 0, "
                               "day INTEGER)"))
            && exec(query, QStringLiteral("PRAGMA user_version=%1").arg(schemaVersion))
            && exec(query, QStringLiteral("COMMIT"));
        if (!created) {
            const QSqlError error = query.lastError();
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            return sqlError(unwritable, error);
        }
    }
    return Status();
}

void TodoStore::openInMemory()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(QStringLiteral(":memory:"));
    // An in-memory database has nothing that can fail to open short of running out of memory;
    // should it fail anyway, saves report their errors like any other failed write.
    if (db.open()) {
        QSqlQuery query(db);
        query.exec(QStringLiteral("CREATE TABLE todo (id TEXT PRIMARY KEY NOT NULL, title TEXT NOT NULL, "
                                  "is_completed INTEGER NOT NULL DEFAULT 0, created_at INTEGER NOT NULL, "
                                  "updated_at INTEGER NOT NULL, completed_at INTEGER, "
                                  "sort_order INTEGER NOT NULL DEFAULT 0, day INTEGER)"));
    }
}

void TodoStore::closeConnection()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

std::optional<Todo> TodoStore::todo(const QUuid &id) const
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return std::nullopt;
    return m_todos.at(index);
}

qsizetype TodoStore::indexOf(const QUuid &id) const
{
    for (qsizetype i = 0; i < m_todos.size(); ++i) {
        if (m_todos.at(i).id == id)
            return i;
    }
    return -1;
}

qint64 TodoStore::topOrder() const
{
    return m_todos.isEmpty() ? 0 : m_todos.constFirst().sortOrder;
}

QDateTime TodoStore::now() const
{
    return m_clock->now();
}

void TodoStore::sort()
{
    std::stable_sort(m_todos.begin(), m_todos.end(), &Todo::listOrder);
}

void TodoStore::markDirty(const QUuid &id)
{
    m_deleted.remove(id);
    m_dirty.insert(id);
}

void TodoStore::commitChange()
{
    Q_EMIT changed();
    save();
}

std::optional<Todo> TodoStore::add(const QString &title, const std::optional<QDate> &day)
{
    const QString trimmed = title.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const Todo todo(trimmed, day, topOrder() - 1, now());
    m_todos.append(todo);
    sort();
    markDirty(todo.id);
    commitChange();
    return todo;
}

void TodoStore::schedule(const QUuid &id, const std::optional<QDate> &day)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return;
    Todo &todo = m_todos[index];
    if (todo.dayStart() == day)
        return;
    todo.day = day ? std::optional<QDateTime>(Days::midday(*day)) : std::nullopt;
    todo.updatedAt = now();
    // The top of the list is read with this todo among the others, so it lands above all.
    qint64 top = todo.sortOrder;
    for (const Todo &other : std::as_const(m_todos))
        top = std::min(top, other.sortOrder);
    todo.sortOrder = top - 1;
    sort();
    markDirty(id);
    commitChange();
}

void TodoStore::move(const QUuid &id, int index, const std::optional<QList<QUuid>> &peers)
{
    QList<Todo> all = m_todos;
    QList<qsizetype> places; // positions in `all` that belong to the group, ascending
    QList<Todo> group;
    if (peers) {
        QSet<QUuid> seen;
        for (const QUuid &peer : *peers) {
            const qsizetype at = indexOf(peer);
            if (at < 0 || seen.contains(peer))
                continue;
            seen.insert(peer);
            group.append(all.at(at));
            places.append(at);
        }
        std::sort(places.begin(), places.end());
    } else {
        group = all;
        for (qsizetype i = 0; i < all.size(); ++i)
            places.append(i);
    }

    qsizetype from = -1;
    for (qsizetype i = 0; i < group.size(); ++i) {
        if (group.at(i).id == id) {
            from = i;
            break;
        }
    }
    if (from < 0)
        return;
    const qsizetype target = std::clamp<qsizetype>(index, 0, group.size() - 1);
    if (target == from)
        return;
    group.move(from, target);
    for (qsizetype k = 0; k < places.size(); ++k)
        all[places.at(k)] = group.at(k);

    for (qsizetype position = 0; position < all.size(); ++position) {
        Todo &todo = all[position];
        if (todo.sortOrder != position) {
            todo.sortOrder = position;
            markDirty(todo.id);
        }
    }
    m_todos = all;
    commitChange();
}

void TodoStore::toggle(const QUuid &id)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return;
    const QDateTime time = now();
    Todo &todo = m_todos[index];
    todo.isCompleted = !todo.isCompleted;
    todo.completedAt = todo.isCompleted ? std::optional<QDateTime>(time) : std::nullopt;
    todo.updatedAt = time;
    markDirty(id);
    commitChange();
}

void TodoStore::rename(const QUuid &id, const QString &title)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return;
    const QString trimmed = title.trimmed();
    Todo &todo = m_todos[index];
    if (trimmed.isEmpty() || trimmed == todo.title)
        return;
    todo.title = trimmed;
    todo.updatedAt = now();
    markDirty(id);
    commitChange();
}

void TodoStore::remove(const QUuid &id)
{
    remove(QList<QUuid> { id });
}

void TodoStore::remove(const QList<QUuid> &ids)
{
    bool removed = false;
    for (const QUuid &id : ids) {
        const qsizetype index = indexOf(id);
        if (index < 0)
            continue;
        m_todos.removeAt(index);
        m_dirty.remove(id);
        m_deleted.insert(id);
        removed = true;
    }
    if (removed)
        Q_EMIT changed();
    save();
}

void TodoStore::insertImported(const QList<ExportedTodo> &imported)
{
    if (imported.isEmpty())
        return;
    qint64 base = 0;
    if (!m_todos.isEmpty()) {
        base = m_todos.constFirst().sortOrder;
        for (const Todo &todo : std::as_const(m_todos))
            base = std::max(base, todo.sortOrder);
    }

    QList<ExportedTodo> ordered = imported;
    std::stable_sort(ordered.begin(), ordered.end(), [](const ExportedTodo &a, const ExportedTodo &b) {
        const qint64 orderA = a.sortOrder.value_or(0);
        const qint64 orderB = b.sortOrder.value_or(0);
        if (orderA != orderB)
            return orderA < orderB;
        return a.createdAt > b.createdAt;
    });

    QSet<QUuid> known;
    for (const Todo &todo : std::as_const(m_todos))
        known.insert(todo.id);
    qint64 k = 0;
    for (const ExportedTodo &record : std::as_const(ordered)) {
        if (known.contains(record.id))
            continue;
        known.insert(record.id);
        ++k;
        const std::optional<QDate> day = record.day ? Days::dayFromIso(*record.day) : std::nullopt;
        Todo todo(record.title.trimmed(), day, base + k, record.createdAt);
        todo.id = record.id;
        todo.isCompleted = record.isCompleted;
        if (record.isCompleted)
            todo.completedAt = record.completedAt.value_or(record.updatedAt.value_or(record.createdAt));
        todo.updatedAt = record.updatedAt.value_or(record.createdAt);
        m_todos.append(todo);
        markDirty(todo.id);
    }
    if (k == 0)
        return;
    sort();
    commitChange();
}

void TodoStore::save()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    const auto fail = [&](const QSqlError &error) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        if (onError)
            onError(saveFailedMessage(), sqlError(QStringLiteral("The todo database couldn’t be written."), error));
    };

    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(query.lastError());

    QSqlQuery remove(db);
    remove.prepare(QStringLiteral("DELETE FROM todo WHERE id = ?"));
    for (const QUuid &id : std::as_const(m_deleted)) {
        remove.bindValue(0, id.toString(QUuid::WithoutBraces).toUpper());
        if (!remove.exec())
            return fail(remove.lastError());
    }

    QSqlQuery upsert(db);
    upsert.prepare(QStringLiteral(
        "INSERT INTO todo (id, title, is_completed, created_at, updated_at, completed_at, sort_order, day) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?) "
        "ON CONFLICT(id) DO UPDATE SET title = excluded.title, is_completed = excluded.is_completed, "
        "created_at = excluded.created_at, updated_at = excluded.updated_at, "
        "completed_at = excluded.completed_at, sort_order = excluded.sort_order, day = excluded.day"));
    for (const QUuid &id : std::as_const(m_dirty)) {
        const qsizetype index = indexOf(id);
        if (index < 0)
            continue;
        const Todo &todo = m_todos.at(index);
        upsert.bindValue(0, todo.idString());
        upsert.bindValue(1, todo.title);
        upsert.bindValue(2, todo.isCompleted ? 1 : 0);
        upsert.bindValue(3, todo.createdAt.toMSecsSinceEpoch());
        upsert.bindValue(4, todo.updatedAt.toMSecsSinceEpoch());
        upsert.bindValue(5, msecs(todo.completedAt));
        upsert.bindValue(6, todo.sortOrder);
        upsert.bindValue(7, msecs(todo.day));
        if (!upsert.exec())
            return fail(upsert.lastError());
    }

    if (!query.exec(QStringLiteral("COMMIT")))
        return fail(query.lastError());
    m_dirty.clear();
    m_deleted.clear();
}
