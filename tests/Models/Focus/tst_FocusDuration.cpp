#include "Models/Focus/FocusClock.h"
#include "Models/Focus/FocusDuration.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

class TestFocusDuration final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void durationWordings_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("shortName");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("spokenName");
        QTest::addColumn<QString>("adjective");
        QTest::newRow("0") << 0 << u"0m"_s << u"0 min"_s << QString() << u"0-minute"_s;
        QTest::newRow("1") << 1 << u"1m"_s << u"1 min"_s << u"1 minute"_s << u"1-minute"_s;
        QTest::newRow("25") << 25 << u"25m"_s << u"25 min"_s << u"25 minutes"_s << u"25-minute"_s;
        QTest::newRow("60") << 60 << u"1h"_s << u"1 hr"_s << u"1 hour"_s << u"1-hour"_s;
        QTest::newRow("61") << 61 << u"1h 1m"_s << u"1 hr 1 min"_s << u"1 hour 1 minute"_s << u"1 hr 1 min"_s;
        QTest::newRow("90") << 90 << u"1h 30m"_s << u"1 hr 30 min"_s << u"1 hour 30 minutes"_s << u"1 hr 30 min"_s;
        QTest::newRow("120") << 120 << u"2h"_s << u"2 hr"_s << u"2 hours"_s << u"2-hour"_s;
        QTest::newRow("121") << 121 << u"2h 1m"_s << u"2 hr 1 min"_s << u"2 hours 1 minute"_s << u"2 hr 1 min"_s;
        QTest::newRow("360") << 360 << u"6h"_s << u"6 hr"_s << u"6 hours"_s << u"6-hour"_s;
        QTest::newRow("1439") << 1439 << u"23h 59m"_s << u"23 hr 59 min"_s << u"23 hours 59 minutes"_s
                              << u"23 hr 59 min"_s;
        QTest::newRow("1440") << 1440 << u"24h"_s << u"24 hr"_s << u"24 hours"_s << u"24-hour"_s;
    }

    void durationWordings()
    {
        QFETCH(int, minutes);
        QTEST(FocusDuration::shortName(minutes), "shortName");
        QTEST(FocusDuration::name(minutes), "name");
        QTEST(FocusDuration::spokenName(minutes), "spokenName");
        QTEST(FocusDuration::adjective(minutes), "adjective");
    }

    void clockWordings_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("0") << 0.0 << u"00:00"_s << u"0 seconds remaining"_s;
        QTest::newRow("0.2") << 0.2 << u"00:01"_s << u"1 second remaining"_s;
        QTest::newRow("59.2") << 59.2 << u"01:00"_s << u"1 minute remaining"_s;
        QTest::newRow("61") << 61.0 << u"01:01"_s << u"1 minute 1 second remaining"_s;
        QTest::newRow("119.5") << 119.5 << u"02:00"_s << u"2 minutes remaining"_s;
        QTest::newRow("1499.37") << 1499.37 << u"25:00"_s << u"25 minutes remaining"_s;
        QTest::newRow("3599.01") << 3599.01 << u"1:00:00"_s << u"1 hour remaining"_s;
        QTest::newRow("3600") << 3600.0 << u"1:00:00"_s << u"1 hour remaining"_s;
        QTest::newRow("3661") << 3661.0 << u"1:01:01"_s << u"1 hour 1 minute 1 second remaining"_s;
        QTest::newRow("7199") << 7199.0 << u"1:59:59"_s << u"1 hour 59 minutes 59 seconds remaining"_s;
        QTest::newRow("7200") << 7200.0 << u"2:00:00"_s << u"2 hours remaining"_s;
        QTest::newRow("86400") << 86400.0 << u"24:00:00"_s << u"24 hours remaining"_s;
        // Never given by the system, but must not overflow or go negative.
        QTest::newRow("negative") << -5.0 << u"00:00"_s << u"0 seconds remaining"_s;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << u"00:00"_s
                                      << u"0 seconds remaining"_s;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << u"277777777:46:40"_s
                                  << u"277777777 hours 46 minutes 40 seconds remaining"_s;
    }

    void clockWordings()
    {
        QFETCH(double, seconds);
        QTEST(FocusClock::text(seconds), "text");
        QTEST(FocusClock::spoken(seconds), "spoken");
    }

    void minutesFromHoursAndMinutes_data()
    {
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("expected"); // 0: none
        QTest::newRow("0 h 0 min") << 0 << 0 << 0;
        QTest::newRow("0 h 1 min") << 0 << 1 << 1;
        QTest::newRow("1 h 30 min") << 1 << 30 << 90;
        QTest::newRow("24 h 0 min") << 24 << 0 << 1440;
        QTest::newRow("24 h 1 min") << 24 << 1 << 0;
        QTest::newRow("25 h 0 min") << 25 << 0 << 0;
        QTest::newRow("0 h 60 min") << 0 << 60 << 0;
        QTest::newRow("-1 h 30 min") << -1 << 30 << 0;
        QTest::newRow("1 h -1 min") << 1 << -1 << 0;
    }

    void minutesFromHoursAndMinutes()
    {
        QFETCH(int, hours);
        QFETCH(int, minutes);
        QFETCH(int, expected);
        QCOMPARE(FocusDuration::minutes(hours, minutes).value_or(0), expected);
    }
};

QTEST_GUILESS_MAIN(TestFocusDuration)
#include "tst_FocusDuration.moc"
