#include "Screenshots.h"
#include "Views/Todos/EmptyState.h"

#include <QHBoxLayout>
#include <QTest>

class TestEmptyState final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(Screenshots::lightPalette());
    }

    void headlineNamesTheFilteredDay_data()
    {
        QTest::addColumn<int>("offset"); // days from today; 99 for no filter
        QTest::addColumn<QString>("headline");
        // Sunday 6 December 2026.
        QTest::newRow("no filter") << 99 << QStringLiteral("Nothing here yet.");
        QTest::newRow("today") << 0 << QStringLiteral("Nothing yet.");
        QTest::newRow("tomorrow") << 1 << QStringLiteral("Nothing tomorrow yet.");
        QTest::newRow("this week") << 3 << QStringLiteral("Nothing on Wednesday yet.");
        QTest::newRow("yesterday") << -1 << QStringLiteral("Nothing on Yesterday yet.");
    }

    void headlineNamesTheFilteredDay()
    {
        QFETCH(int, offset);
        const QDate today(2026, 12, 6);
        EmptyState state(Density::Compact);
        state.setDay(today.addDays(1), today); // a filter set before is replaced
        state.setDay(offset == 99 ? std::nullopt : std::optional<QDate>(today.addDays(offset)), today);
        QTEST(state.headline(), "headline");
        QCOMPARE(state.hint(), QStringLiteral("Add a todo above."));
    }
};

QTEST_MAIN(TestEmptyState)
#include "tst_EmptyState.moc"
