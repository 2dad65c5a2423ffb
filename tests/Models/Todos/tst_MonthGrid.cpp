#include "Models/Todos/MonthGrid.h"

#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QList<QDate> firstDays(const QList<QList<QDate>> &rows)
{
    QList<QDate> days;
    for (const QList<QDate> &row : rows)
        days.append(row.first());
    return days;
}

} // namespace

class TestMonthGrid final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void leadAndGrid_data()
    {
        QTest::addColumn<QDate>("month");
        QTest::addColumn<int>("firstWeekday");
        QTest::addColumn<int>("lead");
        QTest::addColumn<QDate>("firstDay");
        QTest::addColumn<QDate>("lastDay");
        QTest::newRow("March 2026, Sunday first")
            << QDate(2026, 3, 1) << int(Qt::Sunday) << 0 << QDate(2026, 3, 1) << QDate(2026, 4, 11);
        QTest::newRow("March 2026, Monday first")
            << QDate(2026, 3, 1) << int(Qt::Monday) << 6 << QDate(2026, 2, 23) << QDate(2026, 4, 5);
        QTest::newRow("April 2026, Sunday first")
            << QDate(2026, 4, 1) << int(Qt::Sunday) << 3 << QDate(2026, 3, 29) << QDate(2026, 5, 9);
        QTest::newRow("February 2026, Saturday first")
            << QDate(2026, 2, 1) << int(Qt::Saturday) << 1 << QDate(2026, 1, 31) << QDate(2026, 3, 13);
    }

    void leadAndGrid()
    {
        QFETCH(QDate, month);
        QFETCH(int, firstWeekday);
        QFETCH(int, lead);
        QFETCH(QDate, firstDay);
        QFETCH(QDate, lastDay);
        const auto first = Qt::DayOfWeek(firstWeekday);
        QCOMPARE(MonthGrid::lead(month, first), lead);
        // A month after today: all six rows of 42 consecutive days.
        const QList<QList<QDate>> rows = MonthGrid::rows(month, QDate(2025, 1, 1), first);
        QCOMPARE(rows.size(), 6);
        QCOMPARE(rows.first().first(), firstDay);
        QCOMPARE(rows.last().last(), lastDay);
        QDate expected = firstDay;
        for (const QList<QDate> &row : rows) {
            QCOMPARE(row.size(), 7);
            QCOMPARE(row.first().dayOfWeek(), firstWeekday);
            for (const QDate &day : row) {
                QCOMPARE(day, expected);
                expected = expected.addDays(1);
            }
        }
    }

    void monthOfTodayStartsWithTodaysWeek()
    {
        const QList<QList<QDate>> rows = MonthGrid::rows(QDate(2026, 3, 1), QDate(2026, 3, 28), Qt::Sunday);
        QCOMPARE(firstDays(rows), (QList<QDate> { QDate(2026, 3, 22), QDate(2026, 3, 29), QDate(2026, 4, 5) }));
        QCOMPARE(rows.first().last(), QDate(2026, 3, 28));
        // The day after, that row is gone too.
        QCOMPARE(MonthGrid::rows(QDate(2026, 3, 1), QDate(2026, 3, 29), Qt::Sunday).size(), 2);
    }

    void monthBeforeTodayHasNoRows()
    {
        QVERIFY(MonthGrid::rows(QDate(2026, 1, 1), QDate(2026, 3, 28), Qt::Sunday).isEmpty());
    }

    void rowsFollowTheLocale()
    {
        QCOMPARE(MonthGrid::rows(QDate(2026, 3, 1), QDate(2025, 1, 1)).first().first(), QDate(2026, 3, 1));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QDate german = MonthGrid::rows(QDate(2026, 3, 1), QDate(2025, 1, 1)).first().first();
        const QStringList symbols = MonthGrid::weekdaySymbols();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(german, QDate(2026, 2, 23));
        QCOMPARE(symbols.size(), 7);
        QCOMPARE(symbols.first(), QLocale(QLocale::German).standaloneDayName(1, QLocale::NarrowFormat));
        QCOMPARE(MonthGrid::weekdaySymbols().join(QString()), u"SMTWTFS"_s);
        QCOMPARE(MonthGrid::weekdaySymbols(Qt::Monday).join(QString()), u"MTWTFSS"_s);
    }

    void steppingMonths_data()
    {
        QTest::addColumn<QDate>("selection");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QDate>("month");
        QTest::addColumn<QString>("title");
        QTest::newRow("the selection's month") << QDate(2026, 3, 28) << 0 << QDate(2026, 3, 1) << u"March 2026"_s;
        QTest::newRow("December forwards") << QDate(2026, 12, 15) << 1 << QDate(2027, 1, 1) << u"January 2027"_s;
        QTest::newRow("31 January never clamps") << QDate(2026, 1, 31) << 1 << QDate(2026, 2, 1) << u"February 2026"_s;
        QTest::newRow("back over a year") << QDate(2026, 2, 10) << -3 << QDate(2025, 11, 1) << u"November 2025"_s;
    }

    void steppingMonths()
    {
        QFETCH(QDate, selection);
        QFETCH(int, offset);
        QFETCH(QDate, month);
        QFETCH(QString, title);
        QCOMPARE(MonthGrid::month(selection, offset), month);
        QCOMPARE(MonthGrid::title(month), title);
    }

    void onlyLaterMonthsGoBack()
    {
        const QDate today(2026, 3, 28);
        QVERIFY(!MonthGrid::canGoBack(MonthGrid::month(today, 0), today));
        QVERIFY(MonthGrid::canGoBack(MonthGrid::month(today, 1), today));
        QVERIFY(!MonthGrid::canGoBack(MonthGrid::month(today, -1), today));
        // Today on the 1st: its own month still cannot go back.
        QVERIFY(!MonthGrid::canGoBack(QDate(2026, 4, 1), QDate(2026, 4, 1)));
    }
};

QTEST_GUILESS_MAIN(TestMonthGrid)
#include "tst_MonthGrid.moc"
