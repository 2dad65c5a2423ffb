#include "FixedClock.h"
#include "FullDisk.h"
#include "Models/Todos/Days.h"
#include "Platform/DataPaths.h"
#include "Services/Todos/TodoStore.h"
#include "TestHome.h"
#include "TodoTitles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <limits>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QDate today(2026, 3, 6);

QList<qint64> orders(const QList<Todo> &todos)
{
    QList<qint64> result;
    for (const Todo &t : todos)
        result.append(t.sortOrder);
    return result;
}

QByteArray fingerprint(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// A second, independent connection to a store file, as another process would have it.
class RawDatabase final
{
public:
    explicit RawDatabase(const QString &path)
        : m_name(u"raw-"_s + QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_name);
        db.setDatabaseName(path);
        db.open();
    }
    ~RawDatabase()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }

    bool exec(const QString &sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name));
        return query.exec(sql);
    }

    QVariant value(const QString &sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name));
        if (!query.exec(sql) || !query.next())
            return {};
        return query.value(0);
    }

private:
    QString m_name;
};

} // namespace

class TestTodoStore final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    FixedClock m_clock { QDateTime(today, QTime(9, 0)) };
    int m_file = 0;

    QString newPath() { return m_dir.filePath(u"store-%1/Todos.store"_s.arg(++m_file)); }

private Q_SLOTS:
    void init() { m_clock.set(QDateTime(today, QTime(9, 0))); }

    void addTrimsAndGoesOnTop()
    {
        const auto store = TodoStore::make(newPath(), &m_clock);
        QVERIFY(!store->loadError());
        QSignalSpy changed(store.get(), &TodoStore::changed);

        QCOMPARE(store->add(u"   \n\t "_s, std::nullopt), std::nullopt);
        QCOMPARE(changed.count(), 0);

        const std::optional<Todo> first = store->add(u"  Buy milk \n"_s, std::nullopt);
        QVERIFY(first);
        QCOMPARE(first->title, u"Buy milk"_s);
        QCOMPARE(first->sortOrder, -1);
        QCOMPARE(first->day, std::nullopt);
        QCOMPARE(first->createdAt, m_clock.now());
        m_clock.advance(1000);
        const std::optional<Todo> second = store->add(u"Call Ana"_s, today.addDays(2));
        QCOMPARE(second->sortOrder, -2);
        QCOMPARE(second->dayStart(), std::optional<QDate>(today.addDays(2)));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(titles(store->allTodos()), (QStringList { u"Call Ana"_s, u"Buy milk"_s }));
        QTRY_VERIFY(!store->hasPendingChanges());
    }

    void everyFieldSurvivesReopening()
    {
        const QString path = newPath();
        Todo written;
        {
            const auto store = TodoStore::make(path, &m_clock);
            store->add(u"undated"_s, std::nullopt);
            written = *store->add(u"dated"_s, QDate(2026, 3, 8));
            m_clock.advance(60'000);
            store->toggle(written.id);
            written = *store->todo(written.id);
        }
        const auto again = TodoStore::make(path, &m_clock);
        QVERIFY(!again->loadError());
        QCOMPARE(again->allTodos().size(), 2);
        QCOMPARE(again->allTodos().first(), written);
        QCOMPARE(again->allTodos().last().completedAt, std::nullopt);
        QCOMPARE(again->allTodos().last().day, std::nullopt);

        RawDatabase raw(path);
        QCOMPARE(raw.value(u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
        QCOMPARE(raw.value(u"PRAGMA user_version"_s).toInt(), 1);
        QCOMPARE(raw.value(u"SELECT id FROM todo WHERE title = 'dated'"_s).toString(), written.idString());
        QCOMPARE(raw.value(u"SELECT created_at FROM todo WHERE title = 'dated'"_s).toLongLong(),
            written.createdAt.toMSecsSinceEpoch());
        QCOMPARE(raw.value(u"SELECT day FROM todo WHERE title = 'dated'"_s).toLongLong(),
            QDateTime(QDate(2026, 3, 8), QTime(12, 0)).toMSecsSinceEpoch());
    }

    void scheduleToAnotherDayGoesOnTop()
    {
        const auto store = TodoStore::make(newPath(), &m_clock);
        const Todo moved = *store->add(u"moved"_s, std::nullopt);
        store->toggle(moved.id);
        store->add(u"b"_s, std::nullopt);
        store->add(u"c"_s, std::nullopt);
        m_clock.advance(5000);
        store->schedule(moved.id, today.addDays(1));
        const Todo now = *store->todo(moved.id);
        QCOMPARE(now.day, std::optional<QDateTime>(QDateTime(today.addDays(1), QTime(12, 0))));
        QCOMPARE(now.sortOrder, -4);
        QCOMPARE(now.updatedAt, m_clock.now());
        QVERIFY(now.isCompleted);
        QCOMPARE(store->allTodos().first().id, moved.id);

        // The same day again, at another hour, changes nothing.
        QSignalSpy changed(store.get(), &TodoStore::changed);
        m_clock.advance(5000);
        store->schedule(moved.id, today.addDays(1));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(*store->todo(moved.id), now);

        // Already on top: it still goes one above itself, and undating works the same way.
        store->schedule(moved.id, std::nullopt);
        QCOMPARE(store->todo(moved.id)->day, std::nullopt);
        QCOMPARE(store->todo(moved.id)->sortOrder, -5);
        store->schedule(moved.id, std::nullopt);
        QCOMPARE(changed.count(), 1);
    }

    void moveWithinPeers_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QStringList>("expected");
        // The list is a b c d e; b, d and e are the peers (one day's section).
        QTest::newRow("to the front") << 2 << 0 << QStringList { u"a"_s, u"e"_s, u"c"_s, u"b"_s, u"d"_s };
        QTest::newRow("below zero") << 1 << -5 << QStringList { u"a"_s, u"d"_s, u"c"_s, u"b"_s, u"e"_s };
        QTest::newRow("past the end") << 0 << 99 << QStringList { u"a"_s, u"d"_s, u"c"_s, u"e"_s, u"b"_s };
    }

    void moveWithinPeers()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QStringList, expected);
        const auto store = TodoStore::make(newPath(), &m_clock);
        for (const QString &title : { u"e"_s, u"d"_s, u"c"_s, u"b"_s, u"a"_s })
            store->add(title, std::nullopt);
        const QList<Todo> all = store->allTodos();
        const QList<QUuid> peers { all.at(1).id, all.at(3).id, all.at(4).id };
        const QDateTime updated = all.at(1).updatedAt;
        m_clock.advance(5000);

        store->move(peers.at(from), to, peers);
        QCOMPARE(titles(store->allTodos()), expected);
        QCOMPARE(orders(store->allTodos()), (QList<qint64> { 0, 1, 2, 3, 4 }));
        QCOMPARE(store->todo(all.at(1).id)->updatedAt, updated);
        QTRY_VERIFY(!store->hasPendingChanges());
    }

    void moveToItsOwnPlaceSavesNothing()
    {
        const auto store = TodoStore::make(newPath(), &m_clock);
        store->add(u"b"_s, std::nullopt);
        const Todo a = *store->add(u"a"_s, std::nullopt);
        QSignalSpy changed(store.get(), &TodoStore::changed);
        store->move(a.id, 0);
        store->move(a.id, -3);
        store->move(QUuid::createUuid(), 1);
        store->move(a.id, 1, QList<QUuid> {});
        QCOMPARE(changed.count(), 0);
        QCOMPARE(orders(store->allTodos()), (QList<qint64> { -2, -1 }));
    }

    void moveIgnoresPeersNoLongerStored()
    {
        const auto store = TodoStore::make(newPath(), &m_clock);
        const Todo c = *store->add(u"c"_s, std::nullopt);
        const Todo gone = *store->add(u"gone"_s, std::nullopt);
        const Todo a = *store->add(u"a"_s, std::nullopt);
        store->remove(gone.id);
        store->move(a.id, 1, QList<QUuid> { a.id, gone.id, c.id });
        QCOMPARE(titles(store->allTodos()), (QStringList { u"c"_s, u"a"_s }));
        QCOMPARE(orders(store->allTodos()), (QList<qint64> { 0, 1 }));
    }

    void toggleAndRename()
    {
        const auto store = TodoStore::make(newPath(), &m_clock);
        const Todo todo = *store->add(u"Title"_s, std::nullopt);
        QSignalSpy changed(store.get(), &TodoStore::changed);
        m_clock.advance(1000);
        store->rename(todo.id, u"  Title \n"_s);
        store->rename(todo.id, u"   "_s);
        QCOMPARE(changed.count(), 0);
        store->toggle(todo.id);
        QCOMPARE(store->todo(todo.id)->completedAt, std::optional<QDateTime>(m_clock.now()));
        m_clock.advance(1000);
        store->toggle(todo.id);
        QVERIFY(!store->todo(todo.id)->isCompleted);
        QCOMPARE(store->todo(todo.id)->completedAt, std::nullopt);
        QCOMPARE(store->todo(todo.id)->updatedAt, m_clock.now());
        m_clock.advance(1000);
        store->rename(todo.id, u" New title "_s);
        QCOMPARE(store->todo(todo.id)->title, u"New title"_s);
        QCOMPARE(store->todo(todo.id)->updatedAt, m_clock.now());
        QCOMPARE(store->todo(todo.id)->sortOrder, todo.sortOrder);
    }

    void removeSeveralAtOnce()
    {
        const QString path = newPath();
        QList<QUuid> removed;
        {
            const auto store = TodoStore::make(path, &m_clock);
            store->add(u"keep"_s, std::nullopt);
            removed.append(store->add(u"x"_s, std::nullopt)->id);
            removed.append(store->add(u"y"_s, today.addDays(1))->id);
            store->toggle(removed.last());
            QSignalSpy changed(store.get(), &TodoStore::changed);
            store->remove(removed);
            store->remove(QList<QUuid> {});
            QCOMPARE(changed.count(), 1);
            QCOMPARE(titles(store->allTodos()), QStringList { u"keep"_s });
        }
        QCOMPARE(titles(TodoStore::make(path, &m_clock)->allTodos()), QStringList { u"keep"_s });
    }

    void insertImportedAppendsBelow()
    {
        const auto store = TodoStore::make(newPath(), &m_clock);
        for (int i = 0; i < 8; ++i)
            store->add(QString::number(i), std::nullopt);
        store->move(store->allTodos().first().id, 7); // orders 0…7
        const Todo stored = store->allTodos().first();

        const auto at = [](int hour) { return QDateTime(QDate(2026, 1, 5), QTime(hour, 0)); };
        const ExportedTodo absent { QUuid::createUuid(), u" absent "_s, false, at(10), {}, at(12), u"2026-03-10"_s,
            {} };
        const ExportedTodo two { QUuid::createUuid(), u"two"_s, true, at(9), {}, {}, u"2026-02-30"_s, 2 };
        const ExportedTodo zero { QUuid::createUuid(), u"zero"_s, true, at(11), at(13), {}, u"2026-3-10"_s, 0 };
        const ExportedTodo already { stored.id, u"replaced?"_s, false, at(8), {}, {}, {}, -4 };
        QVERIFY(store->insertImported({ absent, two, zero, already, zero }));

        QCOMPARE(store->allTodos().size(), 11);
        QCOMPARE(*store->todo(stored.id), stored);
        const Todo importedZero = *store->todo(zero.id);
        const Todo importedAbsent = *store->todo(absent.id);
        const Todo importedTwo = *store->todo(two.id);
        QCOMPARE(orders({ importedZero, importedAbsent, importedTwo }), (QList<qint64> { 8, 9, 10 }));
        QCOMPARE(importedAbsent.title, u"absent"_s);
        QCOMPARE(importedAbsent.completedAt, std::nullopt);
        QCOMPARE(importedAbsent.dayStart(), std::optional<QDate>(QDate(2026, 3, 10)));
        QCOMPARE(importedZero.createdAt, at(11));
        QCOMPARE(importedZero.completedAt, std::optional<QDateTime>(at(13)));
        QCOMPARE(importedZero.day, std::nullopt);
        QCOMPARE(importedTwo.completedAt, std::optional<QDateTime>(at(9)));
        QCOMPARE(importedTwo.updatedAt, at(9));
        QCOMPARE(importedTwo.day, std::nullopt);

        const auto empty = TodoStore::make(newPath(), &m_clock);
        QVERIFY(empty->insertImported({ absent }));
        QCOMPARE(empty->todo(absent.id)->sortOrder, 1);
    }

    void failedSaveKeepsTheChangeForTheNextSave()
    {
        const QString path = newPath();
        const auto store = TodoStore::make(path, &m_clock);
        QStringList messages;
        QList<Error> errors;
        connect(store.get(), &TodoStore::saveFailed, this, [&](const QString &message, const Error &error) {
            messages.append(message);
            errors.append(error);
        });
        const Todo kept = *store->add(u"kept"_s, std::nullopt);
        QTRY_VERIFY(!store->hasPendingChanges());

        RawDatabase raw(path);
        QVERIFY(raw.exec(
            u"CREATE TRIGGER refuse_insert BEFORE INSERT ON todo BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s));
        QVERIFY(raw.exec(
            u"CREATE TRIGGER refuse_delete BEFORE DELETE ON todo BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s));

        QSignalSpy changed(store.get(), &TodoStore::changed);
        const std::optional<Todo> pending = store->add(u"pending"_s, std::nullopt);
        QVERIFY(pending);
        QCOMPARE(changed.count(), 1);
        QTRY_COMPARE(messages, QStringList { u"Vemra couldn’t save your latest change."_s });
        QVERIFY(errors.first().detail.contains(u"disk full"_s));
        QVERIFY(store->hasPendingChanges());
        QCOMPARE(titles(store->allTodos()), (QStringList { u"pending"_s, u"kept"_s }));
        store->remove(kept.id);
        QTRY_COMPARE(messages.size(), 2);
        QCOMPARE(titles(store->allTodos()), QStringList { u"pending"_s });
        // Nothing of the failed saves reached the file.
        QCOMPARE(raw.value(u"SELECT group_concat(title) FROM todo"_s).toString(), u"kept"_s);

        QVERIFY(raw.exec(u"DROP TRIGGER refuse_insert"_s));
        QVERIFY(raw.exec(u"DROP TRIGGER refuse_delete"_s));
        store->rename(pending->id, u"written"_s);
        QTRY_VERIFY(!store->hasPendingChanges());
        QCOMPARE(messages.size(), 2);
        QCOMPARE(raw.value(u"SELECT group_concat(title) FROM todo"_s).toString(), u"written"_s);
    }

    void aFailedSaveIsTriedAgainUntilTheDiskHasRoom()
    {
        const QString path = newPath();
        FullDisk disk(QFileInfo(path).absolutePath());
        const auto store = TodoStore::make(path, &m_clock);
        store->setRetryInterval(20ms);
        store->add(u"saved"_s, std::nullopt);
        QTRY_VERIFY(!store->hasPendingChanges());
        QList<Error> errors;
        connect(
            store.get(), &TodoStore::saveFailed, this, [&](const QString &, const Error &error) { errors << error; });

        disk.fill();
        const Todo waiting = *store->add(u"waiting"_s, std::nullopt);
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(errors.first().kind, Error::Kind::DiskFull);
        // The retries that fail again while the disk stays full are not told again.
        QTest::qWait(120);
        QCOMPARE(errors.size(), 1);
        QVERIFY(store->hasPendingChanges());
        QCOMPARE(store->flush().error().kind, Error::Kind::DiskFull);

        // Room comes back: the next retry writes it, without another change.
        disk.free();
        QTRY_VERIFY_WITH_TIMEOUT(!store->hasPendingChanges(), 2000);
        QCOMPARE(errors.size(), 1);
        RawDatabase raw(path);
        QCOMPARE(
            raw.value(u"SELECT title FROM todo WHERE id = '%1'"_s.arg(waiting.idString())).toString(), u"waiting"_s);
        QVERIFY(store->flush());
    }

    void changesMadeDuringTheCheckWaitForIt_data()
    {
        QTest::addColumn<bool>("damaged");
        QTest::newRow("a whole file") << false;
        QTest::newRow("a file damaged inside") << true;
    }

    void changesMadeDuringTheCheckWaitForIt()
    {
        QFETCH(bool, damaged);
        const QString path = newPath();
        QList<ExportedTodo> stored;
        for (int i = 0; i < 1000; ++i) {
            ExportedTodo record;
            record.id = QUuid::createUuid();
            record.title = u"stored %1 "_s.arg(i) + QString(200, u'x');
            record.createdAt = m_clock.now();
            record.sortOrder = i;
            stored << record;
        }
        QVERIFY(TodoStore::make(path, &m_clock)->insertImported(stored));
        {
            // Far above what an empty list starts from.
            RawDatabase raw(path);
            QVERIFY(raw.exec(u"UPDATE todo SET sort_order = sort_order - 5000"_s));
        }
        if (damaged) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.size() > 40 * 4096);
            file.seek(file.size() / 2 / 4096 * 4096);
            file.write(QByteArray(4096, '\x5a'));
        }
        const QByteArray before = fingerprint(path);

        const auto store = TodoStore::make(path, &m_clock, IntegrityCheck::InBackground);
        QVERIFY(store->isChecking());
        QSignalSpy checked(store.get(), &TodoStore::checked);
        QSignalSpy failed(store.get(), &TodoStore::saveFailed);
        const Todo second = *store->add(u"second"_s, std::nullopt);
        // The worker is done with the file; its todos wait for the main thread to take them in.
        QThreadPool::globalInstance()->waitForDone();
        QVERIFY(store->isChecking());
        store->add(u"first"_s, std::nullopt);
        store->toggle(second.id);
        QCOMPARE(titles(store->allTodos()), (QStringList { u"first"_s, u"second"_s }));
        QCOMPARE(fingerprint(path), before);

        QVERIFY(checked.wait());
        QVERIFY(!store->isChecking());
        QCOMPARE(failed.count(), 0);
        if (damaged) {
            QVERIFY(store->loadError());
            QVERIFY(store->loadError()->detail.contains(u"damaged"_s));
            QCOMPARE(titles(store->allTodos()), (QStringList { u"first"_s, u"second"_s }));
            QCOMPARE(fingerprint(path), before);
            QVERIFY(!QFileInfo::exists(path + u"-wal"_s));
            return;
        }
        QVERIFY(!store->loadError());
        QTRY_VERIFY(!store->hasPendingChanges());
        // Made meanwhile, they stay above the file's todos.
        const QStringList all = titles(store->allTodos());
        QCOMPARE(all.size(), 1002);
        QCOMPARE(all.mid(0, 3), (QStringList { u"first"_s, u"second"_s, u"stored 0 "_s + QString(200, u'x') }));
        const auto reopened = TodoStore::make(path, &m_clock);
        QCOMPARE(titles(reopened->allTodos()), all);
        QVERIFY(reopened->todo(second.id)->isCompleted);
    }

    void theCheckReadsTheTodosAsSaved()
    {
        // The clocks change in New York (the tests' zone) on 8 March and 1 November 2026.
        const QDate spring(2026, 3, 8);
        const QDate autumn(2026, 11, 1);
        const QString path = newPath();
        QUuid early;
        QUuid late;
        {
            const auto store = TodoStore::make(path, &m_clock);
            m_clock.set(QDateTime(spring.addDays(-1), QTime(23, 30)));
            early = store->add(u"before the change"_s, spring)->id;
            store->add(u"undated"_s, std::nullopt);
            m_clock.set(QDateTime(spring, QTime(3, 30)));
            late = store->add(u"after the change"_s, autumn)->id;
            store->toggle(late);
        }
        {
            // Stored in the other order, equal orders fall to the newest first.
            RawDatabase raw(path);
            QVERIFY(raw.exec(u"UPDATE todo SET sort_order = 0 WHERE title != 'undated'"_s));
            QVERIFY(raw.exec(u"UPDATE todo SET sort_order = 1 WHERE title = 'undated'"_s));
        }
        const QList<Todo> readFirst = TodoStore::make(path, &m_clock)->allTodos();

        const auto store = TodoStore::make(path, &m_clock, IntegrityCheck::InBackground);
        QVERIFY(store->isChecking());
        QSignalSpy checked(store.get(), &TodoStore::checked);
        QVERIFY(checked.wait());
        QVERIFY(!store->loadError());
        const QList<Todo> todos = store->allTodos();
        QCOMPARE(todos, readFirst);
        QCOMPARE(titles(todos), (QStringList { u"after the change"_s, u"before the change"_s, u"undated"_s }));
        const Todo after = todos.at(0);
        const Todo before = todos.at(1);
        QCOMPARE(after.id, late);
        QCOMPARE(before.id, early);
        QVERIFY(after.isCompleted);
        QCOMPARE(after.completedAt, std::optional<QDateTime>(QDateTime(spring, QTime(3, 30))));
        QCOMPARE(before.createdAt, QDateTime(spring.addDays(-1), QTime(23, 30)));
        QVERIFY(!before.isCompleted);
        QCOMPARE(before.completedAt, std::nullopt);
        // Each day is its noon, on its own side of the change.
        QCOMPARE(before.dayStart(), std::optional<QDate>(spring));
        QCOMPARE(after.dayStart(), std::optional<QDate>(autumn));
        QCOMPARE(before.day->time(), QTime(12, 0));
        QCOMPARE(after.day->time(), QTime(12, 0));
        QCOMPARE(*after.day, Days::midday(autumn));
        QCOMPARE(todos.at(2).day, std::nullopt);
    }

    void ordersStopAtTheirLimits_data()
    {
        QTest::addColumn<bool>("schedule");
        QTest::newRow("added above the lowest") << false;
        QTest::newRow("scheduled above the lowest") << true;
    }

    void ordersStopAtTheirLimits()
    {
        QFETCH(bool, schedule);
        const QString path = newPath();
        {
            const auto store = TodoStore::make(path, &m_clock);
            store->add(u"old"_s, std::nullopt);
            m_clock.set(m_clock.now().addSecs(60));
            store->add(u"new"_s, std::nullopt);
        }
        {
            RawDatabase raw(path);
            QVERIFY(raw.exec(
                u"UPDATE todo SET sort_order = %1 WHERE title = 'old'"_s.arg(std::numeric_limits<qint64>::min())));
            QVERIFY(raw.exec(schedule ? u"UPDATE todo SET sort_order = 5 WHERE title = 'new'"_s
                                      : u"DELETE FROM todo WHERE title = 'new'"_s));
        }
        const auto store = TodoStore::make(path, &m_clock);
        std::optional<Todo> moved;
        if (schedule) {
            QCOMPARE(titles(store->allTodos()), (QStringList { u"old"_s, u"new"_s }));
            moved = store->allTodos().constLast();
            store->schedule(moved->id, today);
            moved = store->todo(moved->id);
        } else {
            moved = store->add(u"new"_s, std::nullopt);
        }
        QVERIFY(moved);
        QCOMPARE(moved->sortOrder, std::numeric_limits<qint64>::min());
        QCOMPARE(titles(store->allTodos()), (QStringList { u"new"_s, u"old"_s }));
        QVERIFY(store->flush());
        QCOMPARE(titles(TodoStore::make(path, &m_clock)->allTodos()), (QStringList { u"new"_s, u"old"_s }));
    }

    void unreadableFilesAreLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("setup");
        QTest::newRow("garbage") << QByteArray("this is not a database\n", 23) << QString();
        QTest::newRow("truncated database header") << QByteArray("SQLite format 3\0garbage garbage", 32) << QString();
        QTest::newRow("newer version") << QByteArray() << u"PRAGMA user_version=7"_s;
        QTest::newRow("another program's database") << QByteArray() << u"CREATE TABLE notes (body TEXT)"_s;
        QTest::newRow("missing column")
            << QByteArray() << u"CREATE TABLE todo (id TEXT PRIMARY KEY, title TEXT); PRAGMA user_version=1"_s;
    }

    void unreadableFilesAreLeftAlone()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, setup);
        const QString path = newPath();
        QVERIFY(DataPaths::ensureFolder(QFileInfo(path).absolutePath()));
        if (setup.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(contents);
        } else {
            RawDatabase raw(path);
            for (const QString &statement : setup.split(u"; "_s))
                QVERIFY(raw.exec(statement));
        }
        const QByteArray before = fingerprint(path);
        const QStringList filesBefore = QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files);

        {
            const auto store = TodoStore::make(path, &m_clock);
            QVERIFY(store->loadError());
            QVERIFY(!store->loadError()->message.isEmpty());
            QVERIFY(store->allTodos().isEmpty());
            bool failed = false;
            connect(store.get(), &TodoStore::saveFailed, this, [&] { failed = true; });
            const Todo todo = *store->add(u"in memory"_s, today.addDays(1));
            store->toggle(todo.id);
            QVERIFY(!failed);
            QVERIFY(!store->hasPendingChanges());
            QCOMPARE(titles(store->allTodos()), QStringList { u"in memory"_s });
        }
        QCOMPARE(fingerprint(path), before);
        QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files), filesBefore);
    }

    void unopenablePaths()
    {
        // The store file is a folder->
        const QString folderPath = newPath();
        QVERIFY(QDir().mkpath(folderPath));
        const auto folder = TodoStore::make(folderPath, &m_clock);
        QVERIFY(folder->loadError());
        QVERIFY(QFileInfo(folderPath).isDir());
        QVERIFY(folder->add(u"works"_s, std::nullopt));

        // Its folder cannot be made because a file stands in the way.
        const QString blocked = newPath();
        QVERIFY(QDir().mkpath(QFileInfo(QFileInfo(blocked).absolutePath()).absolutePath()));
        QFile blocker(QFileInfo(blocked).absolutePath());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.write("mine");
        blocker.close();
        const auto noFolder = TodoStore::make(blocked, &m_clock);
        QVERIFY(noFolder->loadError());
        QVERIFY(noFolder->add(u"works"_s, std::nullopt));
        QCOMPARE(fingerprint(QFileInfo(blocked).absolutePath()),
            QCryptographicHash::hash("mine", QCryptographicHash::Sha256));
    }

    void storesLiveSideBySide()
    {
        const QString path = newPath();
        const auto one = TodoStore::make(path, &m_clock);
        const auto other = TodoStore::make(newPath(), &m_clock);
        one->add(u"one"_s, std::nullopt);
        other->add(u"other"_s, std::nullopt);
        QVERIFY(one->flush() && other->flush());
        const auto sameFile = TodoStore::make(path, &m_clock);
        QCOMPARE(titles(sameFile->allTodos()), QStringList { u"one"_s });
        QCOMPARE(titles(other->allTodos()), QStringList { u"other"_s });
        one->add(u"two"_s, std::nullopt);
        QTRY_VERIFY(!one->hasPendingChanges());
    }

    void defaultStoreLivesInTheDataFolder()
    {
        TestHome home;
        QCOMPARE(TodoStore::defaultFilePath(), home.dataFolder() + u"/Todos.store"_s);
        // An empty file is a new store, not a damaged one->
        QVERIFY(DataPaths::ensureFolder(home.dataFolder()));
        QFile empty(TodoStore::defaultFilePath());
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        {
            const std::unique_ptr<TodoStore> store = TodoStore::makeDefault();
            QVERIFY(!store->loadError());
            QCOMPARE(store->filePath(), TodoStore::defaultFilePath());
            store->add(u"saved"_s, std::nullopt);
        }
        QVERIFY(QFileInfo(home.dataFolder() + u"/Todos.store"_s).isFile());
        QCOMPARE(QFileInfo(home.dataFolder()).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
            QFileDevice::Permissions());
        QCOMPARE(titles(TodoStore::makeDefault()->allTodos()), QStringList { u"saved"_s });
    }
};

QTEST_GUILESS_MAIN(TestTodoStore)
#include "tst_TodoStore.moc"
