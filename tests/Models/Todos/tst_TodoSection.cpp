#include "Models/Todos/Days.h"
#include "Models/Todos/Todo.h"
#include "Models/Todos/TodoSection.h"
#include "TodoTitles.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDate today(2026, 3, 6); // a Friday
const QDateTime now(today, QTime(9, 0));

Todo todo(const QString &title, std::optional<int> dayOffset, qint64 sortOrder, bool done = false, int minutes = 0)
{
    Todo t(title, dayOffset ? std::optional<QDate>(today.addDays(*dayOffset)) : std::nullopt, sortOrder,
        now.addSecs(minutes * 60));
    t.isCompleted = done;
    if (done)
        t.completedAt = t.createdAt;
    return t;
}

} // namespace

class TestTodoSection final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newRecord()
    {
        const Todo dated(u"Call"_s, QDate(2026, 3, 7), -3, now);
        QVERIFY(!dated.id.isNull());
        QCOMPARE(dated.title, u"Call"_s);
        QCOMPARE(dated.createdAt, now);
        QCOMPARE(dated.updatedAt, now);
        QVERIFY(!dated.isCompleted);
        QCOMPARE(dated.completedAt, std::nullopt);
        QCOMPARE(dated.sortOrder, -3);
        QCOMPARE(dated.day, std::optional<QDateTime>(QDateTime(QDate(2026, 3, 7), QTime(12, 0))));
        QCOMPARE(dated.dayStart(), std::optional<QDate>(QDate(2026, 3, 7)));
        QCOMPARE(dated.idString(), dated.id.toString(QUuid::WithoutBraces).toUpper());

        const Todo undated(u"  spaces kept  "_s, std::nullopt, 0, now);
        QCOMPARE(undated.title, u"  spaces kept  "_s);
        QCOMPARE(undated.day, std::nullopt);
        QCOMPARE(undated.dayStart(), std::nullopt);
        QVERIFY(undated.id != dated.id);
    }

    void listDay_data()
    {
        QTest::addColumn<std::optional<int>>("offset");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("undated") << std::optional<int>() << today;
        QTest::newRow("yesterday") << std::optional<int>(-1) << today;
        QTest::newRow("last month") << std::optional<int>(-40) << today;
        QTest::newRow("today") << std::optional<int>(0) << today;
        QTest::newRow("tomorrow") << std::optional<int>(1) << today.addDays(1);
    }

    void listDay()
    {
        QFETCH(std::optional<int>, offset);
        QFETCH(QDate, expected);
        QCOMPARE(todo(u"t"_s, offset, 0).listDay(today), expected);
    }

    void listOrderIsSortOrderThenNewestFirst()
    {
        QList<Todo> todos { todo(u"old"_s, {}, 0, false, 0), todo(u"new"_s, {}, 0, false, 5),
            todo(u"first"_s, {}, -1, false, 0), todo(u"last"_s, {}, 3, false, 9) };
        std::sort(todos.begin(), todos.end(), &Todo::listOrder);
        QCOMPARE(titles(todos), (QStringList { u"first"_s, u"new"_s, u"old"_s, u"last"_s }));
    }

    void noTodos()
    {
        QVERIFY(TodoSection::sections({}, std::nullopt, today).isEmpty());
        QVERIFY(TodoSection::sections({}, today.addDays(3), today).isEmpty());
        QVERIFY(TodoSection::marks({}, today).isEmpty());
    }

    void overdueAndUndatedStandUnderToday()
    {
        const QList<Todo> todos { todo(u"overdue"_s, -3, 1), todo(u"undated"_s, {}, 0) };
        const QList<TodoSection> sections = TodoSection::sections(todos, std::nullopt, today);
        QCOMPARE(sections.size(), 1);
        QCOMPARE(sections.first().day, today);
        QCOMPARE(titles(sections.first().todos), (QStringList { u"undated"_s, u"overdue"_s }));
        QCOMPARE(TodoSection::marks(todos, today), (QMap<QDate, bool> { { today, true } }));
    }

    void completedTodosMarkFalse()
    {
        const QList<Todo> todos { todo(u"today"_s, 0, 0, true), todo(u"yesterday"_s, -1, 1, true) };
        const QList<TodoSection> sections = TodoSection::sections(todos, std::nullopt, today);
        QCOMPARE(sections.size(), 1);
        QCOMPARE(sections.first().todos.size(), 2);
        QCOMPARE(TodoSection::marks(todos, today), (QMap<QDate, bool> { { today, false } }));
    }

    void daysInOrderEachInListOrder()
    {
        const QDate monday = today.addDays(3);
        const QList<Todo> todos { todo(u"monday b"_s, 3, 5), todo(u"today"_s, {}, 2), todo(u"monday a"_s, 3, 1),
            todo(u"tuesday"_s, 4, -9) };
        const QList<TodoSection> sections = TodoSection::sections(todos, std::nullopt, today);
        QCOMPARE(sections.size(), 3);
        QCOMPARE(sections.at(0).day, today);
        QCOMPARE(sections.at(1).day, monday);
        QCOMPARE(titles(sections.at(1).todos), (QStringList { u"monday a"_s, u"monday b"_s }));
        QCOMPARE(sections.at(2).day, today.addDays(4));
    }

    void futureFilterShowsOnlyThatDay()
    {
        const QList<Todo> todos { todo(u"monday b"_s, 3, 5), todo(u"today"_s, {}, 2), todo(u"monday a"_s, 3, 1),
            todo(u"overdue"_s, -2, 0), todo(u"later"_s, 9, 0) };
        const QList<TodoSection> monday = TodoSection::sections(todos, today.addDays(3), today);
        QCOMPARE(monday.size(), 1);
        QCOMPARE(monday.first().day, today.addDays(3));
        QCOMPARE(titles(monday.first().todos), (QStringList { u"monday a"_s, u"monday b"_s }));
        QVERIFY(TodoSection::sections(todos, today.addDays(4), today).isEmpty());
    }

    void filterOnTodayOrEarlierIsIgnored_data()
    {
        QTest::addColumn<int>("filter");
        QTest::newRow("today") << 0;
        QTest::newRow("yesterday") << -1;
    }

    void filterOnTodayOrEarlierIsIgnored()
    {
        QFETCH(int, filter);
        const QList<Todo> todos { todo(u"a"_s, 3, 0), todo(u"b"_s, {}, 1), todo(u"c"_s, -1, 2) };
        QCOMPARE(TodoSection::sections(todos, today.addDays(filter), today),
            TodoSection::sections(todos, std::nullopt, today));
    }

    void equalSortOrderListsNewestFirst()
    {
        const QList<Todo> todos { todo(u"earlier"_s, {}, 0, false, 0), todo(u"later"_s, {}, 0, false, 1) };
        QCOMPARE(titles(TodoSection::sections(todos, std::nullopt, today).first().todos),
            (QStringList { u"later"_s, u"earlier"_s }));
    }

    void anOpenTodoMarksTrueInAnyOrder()
    {
        const Todo done = todo(u"done"_s, 2, 0, true);
        const Todo open = todo(u"open"_s, 2, 1);
        const QDate day = today.addDays(2);
        QCOMPARE(TodoSection::marks({ done, open }, today).value(day), true);
        QCOMPARE(TodoSection::marks({ open, done }, today).value(day), true);
        QCOMPARE(TodoSection::marks({ done }, today).value(day, true), false);
        QVERIFY(!TodoSection::marks({ done }, today).contains(today));
    }
};

QTEST_GUILESS_MAIN(TestTodoSection)
#include "tst_TodoSection.moc"
