#include "Services/Todos/TodoStore.h"

#include "Models/Common/Saturating.h"
#include "Models/Todos/Days.h"
#include "Platform/Clock.h"
#include "Platform/DataPaths.h"
#include "Platform/Logging.h"
#include "Services/Storage/StoreDatabase.h"
#include "Services/Storage/StoreStatement.h"
#include "Services/Storage/StoreWriter.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

const StoreSchema &schema()
{
    static const StoreSchema schema {
        1,
        { { QStringLiteral("todo"),
            { QStringLiteral("id"), QStringLiteral("title"), QStringLiteral("is_completed"),
                QStringLiteral("created_at"), QStringLiteral("updated_at"), QStringLiteral("completed_at"),
                QStringLiteral("sort_order"), QStringLiteral("day") } } },
        { QStringLiteral("CREATE TABLE todo ("
                         "id TEXT PRIMARY KEY NOT NULL, "
                         "title TEXT NOT NULL, "
                         "is_completed INTEGER NOT NULL DEFAULT 0, "
                         "created_at INTEGER NOT NULL, "
                         "updated_at INTEGER NOT NULL, "
                         "completed_at INTEGER, "
                         "sort_order INTEGER NOT NULL DEFAULT 0, "
                         "day INTEGER)") },
        0,
        {},
        0,
        QStringLiteral("Vemra couldn’t open your saved todos."),
        TodoStore::saveFailedMessage(),
    };
    return schema;
}

} // namespace

TodoStore::TodoStore(std::unique_ptr<StoreDatabase> database, QString filePath, const Clock *clock)
    : m_database(std::move(database))
    , m_filePath(std::move(filePath))
    , m_clock(clock)
{
    if (!m_clock) {
        m_ownClock = std::make_unique<SystemClock>();
        m_clock = m_ownClock.get();
    }
    connect(&m_save.retry(), &SaveRetry::due, this, [this] { writePending(Report::Quietly); });
    connect(&m_save.watcher(), &QFutureWatcherBase::finished, this, &TodoStore::finishWrite);
}

TodoStore::~TodoStore()
{
    // What is pending is written before the writer goes; a failure was told already.
    if (m_writer && !m_checking) {
        if (const Status status = flush(); !status)
            qCWarning(lcStore) << "the todos' last changes are not saved:" << status.error().detail;
    }
}

std::unique_ptr<TodoStore> TodoStore::make(const QString &filePath, const Clock *clock, IntegrityCheck check)
{
    if (check == IntegrityCheck::InBackground && DataPaths::ensureFolder(QFileInfo(filePath).absolutePath())) {
        const Result<StoreFileCheck::Contents> contents = StoreFileCheck::inspect(filePath, schema());
        if (contents && contents.value() != StoreFileCheck::Contents::Empty) {
            std::unique_ptr<TodoStore> store(new TodoStore(StoreDatabase::inMemory(schema()), filePath, clock));
            store->m_checking = true;
            connect(&store->m_check, &QFutureWatcher<CheckedFile>::finished, store.get(), &TodoStore::finishCheck);
            store->m_check.setFuture(QtConcurrent::run(
                [filePath, contents = contents.value()] { return checkAndRead(filePath, contents); }));
            return store;
        }
    }
    // The writer makes or upgrades the file before anything reads it.
    const Result<StoreFileCheck::Contents> contents = StoreDatabase::check(filePath, schema());
    Result<std::shared_ptr<StoreWriter>> writer = contents ? StoreWriter::open(filePath, schema(), contents.value())
                                                           : Result<std::shared_ptr<StoreWriter>>(contents.error());
    Result<std::unique_ptr<StoreDatabase>> opened
        = writer ? StoreDatabase::attach(filePath, schema()) : Result<std::unique_ptr<StoreDatabase>>(writer.error());
    if (opened) {
        Result<QList<Todo>> todos = read(*opened.value());
        if (todos) {
            std::unique_ptr<TodoStore> store(new TodoStore(std::move(opened).value(), filePath, clock));
            store->m_writer = std::move(writer).value();
            store->m_todos = std::move(todos).value();
            return store;
        }
        opened = todos.error();
    }
    std::unique_ptr<TodoStore> store(new TodoStore(StoreDatabase::inMemory(schema()), filePath, clock));
    store->m_loadError = Error { schema().openFailed, opened.error().detail };
    return store;
}

std::unique_ptr<TodoStore> TodoStore::makeDefault(const Clock *clock, IntegrityCheck check)
{
    return make(defaultFilePath(), clock, check);
}

TodoStore::CheckedFile TodoStore::checkAndRead(const QString &filePath, StoreFileCheck::Contents contents)
{
    CheckedFile file { StoreFileCheck::verify(filePath, schema()), {}, {} };
    if (!file.status)
        return file;
    // The writer upgrades an older file, on its own thread, while this one waits.
    Result<std::shared_ptr<StoreWriter>> writer = StoreWriter::open(filePath, schema(), contents);
    if (!writer) {
        file.status = writer.error();
        return file;
    }
    file.writer = std::move(writer).value();
    // Worked out here, each stored time's local form costs the main thread nothing.
    const Result<std::unique_ptr<StoreDatabase>> attached = StoreDatabase::attach(filePath, schema());
    if (!attached) {
        file.status = Error { schema().openFailed, attached.error().detail };
        return file;
    }
    Result<QList<Todo>> todos = read(*attached.value());
    if (todos)
        file.todos = std::move(todos).value();
    else
        file.status = todos.error();
    return file;
}

void TodoStore::finishCheck()
{
    if (!m_checking)
        return;
    m_checking = false;
    // Taken, not copied: a copy kept by the future would make the first change copy every todo.
    CheckedFile file = m_check.future().takeResult();
    Status status = file.status;
    if (status) {
        Result<std::unique_ptr<StoreDatabase>> opened = StoreDatabase::attach(m_filePath, schema());
        if (opened) {
            m_writer = std::move(file.writer);
            m_database = std::move(opened).value();
        } else {
            status = Error { schema().openFailed, opened.error().detail };
        }
        if (status) {
            // What was made meanwhile stays above the file's todos, in its own order.
            const qint64 top = file.todos.isEmpty() ? 0 : file.todos.constFirst().sortOrder;
            const qsizetype earlier = m_todos.size();
            for (qsizetype i = 0; i < earlier; ++i) {
                Todo &todo = m_todos[i];
                todo.sortOrder = Saturating::add(top, -(earlier - i));
                markDirty(todo.id);
            }
            m_todos.append(std::move(file.todos));
            // Orders at the integers' end can tie.
            if (!std::is_sorted(m_todos.cbegin(), m_todos.cend(), &Todo::listOrder))
                sort();
        }
    }
    if (!status) {
        m_loadError = status.error();
        qCWarning(lcStore) << "keeping the todos in memory:" << m_loadError->detail;
    }
    Q_EMIT changed();
    save();
    Q_EMIT checked();
}

void TodoStore::waitForCheck()
{
    if (!m_checking)
        return;
    m_check.waitForFinished();
    finishCheck();
}

QString TodoStore::defaultFilePath()
{
    return DataPaths::appFolder() + QStringLiteral("/Todos.store");
}

QString TodoStore::saveFailedMessage()
{
    return QStringLiteral("Vemra couldn’t save your latest change.");
}

Result<QList<Todo>> TodoStore::read(const StoreDatabase &database)
{
    StoreStatement select(
        database, "SELECT id, title, is_completed, created_at, updated_at, completed_at, sort_order, day FROM todo");
    const auto time = [&select](int column) -> std::optional<QDateTime> {
        if (select.isNull(column))
            return std::nullopt;
        return QDateTime::fromMSecsSinceEpoch(select.integer(column));
    };
    QList<Todo> todos;
    while (select.next()) {
        Todo todo;
        todo.id = QUuid::fromString(select.text(0));
        // A row that names no todo cannot be shown or changed; it stays in the file as it is.
        if (todo.id.isNull())
            continue;
        todo.title = select.text(1);
        todo.isCompleted = select.integer(2) != 0;
        todo.createdAt = QDateTime::fromMSecsSinceEpoch(select.integer(3));
        todo.updatedAt = QDateTime::fromMSecsSinceEpoch(select.integer(4));
        todo.completedAt = time(5);
        todo.sortOrder = select.integer(6);
        todo.day = time(7);
        todos.append(todo);
    }
    if (!select.status())
        return Error { schema().openFailed, select.status().error().detail };
    std::stable_sort(todos.begin(), todos.end(), &Todo::listOrder);
    return todos;
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
    m_save.touch(id);
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
    const Todo todo(trimmed, day, Saturating::add(topOrder(), -1), now());
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
    todo.sortOrder = Saturating::add(top, -1);
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
    if (drop(ids))
        Q_EMIT changed();
    save();
}

void TodoStore::takeBackImported(const QList<QUuid> &ids)
{
    if (!drop(ids))
        return;
    Q_EMIT changed();
    writePending(Report::Quietly);
}

bool TodoStore::drop(const QList<QUuid> &ids)
{
    bool removed = false;
    for (const QUuid &id : ids) {
        const qsizetype index = indexOf(id);
        if (index < 0)
            continue;
        m_todos.removeAt(index);
        m_save.touch(id);
        m_dirty.remove(id);
        m_deleted.insert(id);
        removed = true;
    }
    return removed;
}

Status TodoStore::insertImported(const QList<ExportedTodo> &imported)
{
    // Placed among the file's todos, and written to the file after what is queued.
    waitForCheck();
    const QList<Todo> todos = importedTodos(imported);
    if (todos.isEmpty())
        return {};
    // Nothing of an import that could not be written stays, not even for a later retry.
    const auto insert = [todos](const StoreDatabase &database) {
        return database.write([&database, &todos] { return insertRows(database, todos); });
    };
    if (Status status = m_writer ? m_writer->run(insert).result() : insert(*m_database); !status)
        return status;
    adoptImported(todos);
    return {};
}

QList<Todo> TodoStore::importedTodos(const QList<Todo> &stored, const QList<ExportedTodo> &imported)
{
    qint64 base = 0;
    if (!stored.isEmpty()) {
        base = stored.constFirst().sortOrder;
        for (const Todo &todo : stored)
            base = std::max(base, todo.sortOrder);
    }
    // Numbering on from the last stays clear of the integers' end.
    base = std::min(base, std::numeric_limits<qint64>::max() / 2);

    QList<ExportedTodo> ordered = imported;
    std::stable_sort(ordered.begin(), ordered.end(), [](const ExportedTodo &a, const ExportedTodo &b) {
        const qint64 orderA = a.sortOrder.value_or(0);
        const qint64 orderB = b.sortOrder.value_or(0);
        if (orderA != orderB)
            return orderA < orderB;
        return a.createdAt > b.createdAt;
    });

    QSet<QUuid> known;
    known.reserve(stored.size() + ordered.size());
    for (const Todo &todo : stored)
        known.insert(todo.id);
    qint64 k = 0;
    QList<Todo> todos;
    todos.reserve(ordered.size());
    for (const ExportedTodo &record : std::as_const(ordered)) {
        if (known.contains(record.id))
            continue;
        known.insert(record.id);
        ++k;
        // Made field by field: a new todo's fresh id, thrown away here, costs the system's random
        // source a call, which adds up to a noticeable wait at an import of many.
        Todo todo;
        todo.id = record.id;
        todo.title = record.title.trimmed();
        if (const std::optional<QDate> day = record.day ? Days::dayFromIso(*record.day) : std::nullopt)
            todo.day = Days::midday(*day);
        todo.sortOrder = Saturating::add(base, k);
        todo.createdAt = record.createdAt;
        todo.isCompleted = record.isCompleted;
        if (record.isCompleted)
            todo.completedAt = record.completedAt.value_or(record.updatedAt.value_or(record.createdAt));
        todo.updatedAt = record.updatedAt.value_or(record.createdAt);
        todos.append(todo);
    }
    return todos;
}

Status TodoStore::insertRows(const StoreDatabase &database, const QList<Todo> &todos)
{
    StoreStatement insert(database,
        "INSERT INTO todo (id, title, is_completed, created_at, updated_at, completed_at, sort_order, day) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    for (const Todo &todo : todos) {
        const QString id = todo.idString();
        insert.bind(1, id);
        insert.bind(2, todo.title);
        insert.bind(3, qint64(todo.isCompleted ? 1 : 0));
        insert.bind(4, todo.createdAt.toMSecsSinceEpoch());
        insert.bind(5, todo.updatedAt.toMSecsSinceEpoch());
        if (todo.completedAt)
            insert.bind(6, todo.completedAt->toMSecsSinceEpoch());
        else
            insert.bindNull(6);
        insert.bind(7, todo.sortOrder);
        if (todo.day)
            insert.bind(8, todo.day->toMSecsSinceEpoch());
        else
            insert.bindNull(8);
        if (Status status = insert.run(); !status)
            return status;
    }
    return insert.prepared();
}

Status TodoStore::deleteRows(const StoreDatabase &database, const QList<QUuid> &ids)
{
    return write(database, Changes { QSet<QUuid>(ids.cbegin(), ids.cend()), {} });
}

void TodoStore::adoptImported(const QList<Todo> &todos)
{
    QSet<QUuid> known;
    known.reserve(m_todos.size());
    for (const Todo &todo : std::as_const(m_todos))
        known.insert(todo.id);
    bool added = false;
    for (const Todo &todo : todos) {
        if (known.contains(todo.id))
            continue;
        m_todos.append(todo);
        added = true;
    }
    if (!added)
        return;
    sort();
    Q_EMIT changed();
}

QString TodoStore::databasePath() const
{
    return m_database->filePath();
}

const StoreSchema &TodoStore::databaseSchema()
{
    return schema();
}

void TodoStore::save()
{
    writePending(Report::Failure);
}

Status TodoStore::flush()
{
    waitForCheck();
    m_save.drain([this] { finishWrite(); });
    if (m_checking || !hasPendingChanges())
        return {};
    // On this thread, waiting for the writer: the application is about to end.
    const Changes changes = pendingChanges();
    const auto job = [changes](const StoreDatabase &database) { return write(database, changes); };
    Status status = m_writer ? m_writer->run(job).result() : job(*m_database);
    if (!status) {
        m_save.retryLater();
        return status;
    }
    settle(changes);
    return {};
}

void TodoStore::setRetryInterval(std::chrono::milliseconds interval)
{
    m_save.setRetryInterval(interval);
}

TodoStore::Changes TodoStore::pendingChanges() const
{
    Changes changes { m_deleted, {} };
    changes.todos.reserve(m_dirty.size());
    for (const QUuid &id : m_dirty) {
        if (const qsizetype index = indexOf(id); index >= 0)
            changes.todos.append(m_todos.at(index));
    }
    return changes;
}

void TodoStore::writePending(Report report)
{
    // Kept in memory until the file has passed its check; what changes while a write is under
    // way goes out once it is done.
    if (m_checking)
        return;
    const std::optional<Report> admitted = m_save.admit(report);
    if (!admitted)
        return;
    if (m_dirty.isEmpty() && m_deleted.isEmpty()) {
        m_save.nothingPending();
        return;
    }
    const Changes changes = pendingChanges();
    if (!m_writer) {
        if (Status status = write(*m_database, changes); !status)
            failed(status.error(), *admitted);
        else
            settle(changes);
        return;
    }
    m_save.begin(changes, *admitted,
        m_writer->run([changes](const StoreDatabase &database) { return write(database, changes); }));
}

void TodoStore::finishWrite()
{
    const std::optional<Save::Done> done = m_save.finish();
    if (!done)
        return;
    if (!done->outcome) {
        m_save.forgetTouched();
        failed(done->outcome.error(), done->report);
        // A change made meanwhile asked for a save of its own, which is tried (and told) once.
        if (const std::optional<Report> asked = m_save.asked())
            writePending(*asked);
        return;
    }
    settle(done->taken);
    m_save.forgetTouched();
    // Then what changed meanwhile.
    writePending(m_save.asked().value_or(Report::Quietly));
}

void TodoStore::settle(const Changes &written)
{
    for (const QUuid &id : written.deleted) {
        if (!m_save.touched().contains(id))
            m_deleted.remove(id);
    }
    for (const Todo &todo : written.todos) {
        if (!m_save.touched().contains(todo.id))
            m_dirty.remove(todo.id);
    }
    if (m_dirty.isEmpty() && m_deleted.isEmpty())
        m_save.nothingPending();
}

void TodoStore::failed(const Error &error, Report report)
{
    // A change made while the failure is being told (an edit its alert ends) is saved, and a
    // failure of it not told again.
    m_save.failed(error, report, [this](const Error &failure) { Q_EMIT saveFailed(saveFailedMessage(), failure); });
}

Status TodoStore::write(const StoreDatabase &database, const Changes &changes)
{
    return database.write([&database, &changes]() -> Status {
        Result<QSqlQuery> erase = database.prepare(QStringLiteral("DELETE FROM todo WHERE id = ?"));
        if (!erase)
            return erase.error();
        QSqlQuery remove = std::move(erase).value();
        for (const QUuid &id : changes.deleted) {
            remove.bindValue(0, StoreDatabase::idText(id));
            if (Status status = database.run(remove); !status)
                return status;
        }

        Result<QSqlQuery> prepared = database.prepare(QStringLiteral(
            "INSERT INTO todo (id, title, is_completed, created_at, updated_at, completed_at, sort_order, day) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?) "
            "ON CONFLICT(id) DO UPDATE SET title = excluded.title, is_completed = excluded.is_completed, "
            "created_at = excluded.created_at, updated_at = excluded.updated_at, "
            "completed_at = excluded.completed_at, sort_order = excluded.sort_order, day = excluded.day"));
        if (!prepared)
            return prepared.error();
        QSqlQuery upsert = std::move(prepared).value();
        for (const Todo &todo : changes.todos) {
            const QVariantList values { todo.idString(), todo.title, todo.isCompleted ? 1 : 0,
                todo.createdAt.toMSecsSinceEpoch(), todo.updatedAt.toMSecsSinceEpoch(),
                StoreDatabase::timeValue(todo.completedAt), todo.sortOrder, StoreDatabase::timeValue(todo.day) };
            for (qsizetype i = 0; i < values.size(); ++i)
                upsert.bindValue(int(i), values.at(i));
            if (Status status = database.run(upsert); !status)
                return status;
        }
        return {};
    });
}
