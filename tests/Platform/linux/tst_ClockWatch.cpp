#include "FixedClock.h"
#include "Platform/linux/ClockWatch.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QDateTime local(int year, int month, int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

} // namespace

class TestClockWatch final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newDayIsReportedOnceWhenTheDateTurns()
    {
        FixedClock clock(local(2026, 5, 4, 23, 59, 50));
        qint64 monotonic = 0;
        ClockWatch watch(clock, [&] { return monotonic; });
        QSignalSpy day(&watch, &ClockWatch::dayChanged);
        QSignalSpy jumped(&watch, &ClockWatch::clockJumped);

        clock.advance(5'000);
        monotonic += 5'000;
        watch.check();
        QCOMPARE(day.count(), 0);

        clock.advance(6'000);
        monotonic += 6'000;
        watch.check();
        QCOMPARE(day.count(), 1);
        watch.check();
        QCOMPARE(day.count(), 1);
        QCOMPARE(jumped.count(), 0);
        QVERIFY(watch.isMidnightTimerActive());
    }

    void sleepThroughMidnightReportsAJumpAndTheDay()
    {
        FixedClock clock(local(2026, 5, 4, 22, 0));
        qint64 monotonic = 1'000;
        ClockWatch watch(clock, [&] { return monotonic; });
        QSignalSpy day(&watch, &ClockWatch::dayChanged);
        QSignalSpy jumped(&watch, &ClockWatch::clockJumped);

        // Ten hours asleep: the wall clock moved, the monotonic clock did not.
        clock.advance(10 * 3600 * 1000);
        monotonic += 2'000;
        watch.check();
        QCOMPARE(jumped.count(), 1);
        QCOMPARE(day.count(), 1);
        QCOMPARE(watch.msecsToNextDay(), qint64(16 * 3600 * 1000 + 500));
    }

    void smallDriftAndBackwardJumps_data()
    {
        QTest::addColumn<qint64>("wallMs");
        QTest::addColumn<qint64>("monotonicMs");
        QTest::addColumn<bool>("jump");
        QTest::newRow("in step") << qint64(15'000) << qint64(15'000) << false;
        QTest::newRow("small correction") << qint64(15'000 + 2'000) << qint64(15'000) << false;
        QTest::newRow("set forward") << qint64(15'000 + 120'000) << qint64(15'000) << true;
        QTest::newRow("set back") << qint64(15'000 - 120'000) << qint64(15'000) << true;
    }

    void smallDriftAndBackwardJumps()
    {
        QFETCH(qint64, wallMs);
        QFETCH(qint64, monotonicMs);
        QFETCH(bool, jump);
        FixedClock clock(local(2026, 5, 4, 12, 0));
        qint64 monotonic = 0;
        ClockWatch watch(clock, [&] { return monotonic; });
        QSignalSpy jumped(&watch, &ClockWatch::clockJumped);
        clock.advance(wallMs);
        monotonic += monotonicMs;
        watch.check();
        QCOMPARE(jumped.count(), jump ? 1 : 0);
    }

    void nextDayFollowsLocalTime_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<qint64>("wait");
        QTest::newRow("a minute before") << local(2026, 5, 4, 23, 59) << qint64(60'500);
        QTest::newRow("just after midnight") << local(2026, 5, 4, 0, 0) << qint64(24LL * 3600 * 1000 + 500);
        // The spring-forward day in New York has 23 hours.
        QTest::newRow("short day") << local(2026, 3, 8, 0, 30) << qint64(22LL * 3600 * 1000 + 1800 * 1000 + 500);
        QTest::newRow("long day") << local(2026, 11, 1, 0, 0) << qint64(25LL * 3600 * 1000 + 500);
    }

    void nextDayFollowsLocalTime()
    {
        QFETCH(QDateTime, now);
        QFETCH(qint64, wait);
        FixedClock clock(now);
        ClockWatch watch(clock, [] { return qint64(0); });
        QCOMPARE(watch.msecsToNextDay(), wait);
    }
};

QTEST_GUILESS_MAIN(TestClockWatch)
#include "tst_ClockWatch.moc"
