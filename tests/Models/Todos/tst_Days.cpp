#include "Models/Todos/Days.h"

#include <QLocale>
#include <QTest>

#include <ctime>

using namespace Qt::StringLiterals;

// Runs with TZ=America/New_York and en_US (see vemra_add_test): 8 March and 1 November 2026
// are the daylight-saving days.
class TestDays final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void adding_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<int>("days");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("into next year") << QDate(2026, 12, 31) << 1 << QDate(2027, 1, 1);
        QTest::newRow("back over February") << QDate(2026, 3, 1) << -1 << QDate(2026, 2, 28);
        QTest::newRow("back over a leap February") << QDate(2028, 3, 1) << -1 << QDate(2028, 2, 29);
        QTest::newRow("zero") << QDate(2026, 3, 7) << 0 << QDate(2026, 3, 7);
        QTest::newRow("over spring forward") << QDate(2026, 3, 7) << 2 << QDate(2026, 3, 9);
        QTest::newRow("over fall back") << QDate(2026, 10, 31) << 2 << QDate(2026, 11, 2);
    }

    void adding()
    {
        QFETCH(QDate, from);
        QFETCH(int, days);
        QFETCH(QDate, expected);
        QCOMPARE(Days::adding(days, from), expected);
        QCOMPARE(Days::distance(from, expected), days);
    }

    void distanceCountsCalendarDays_data()
    {
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QDateTime>("to");
        QTest::addColumn<int>("expected");
        QTest::newRow("23:59 to 00:01") << QDateTime(QDate(2026, 6, 1), QTime(23, 59))
                                        << QDateTime(QDate(2026, 6, 2), QTime(0, 1)) << 1;
        QTest::newRow("same day, other hour")
            << QDateTime(QDate(2026, 6, 1), QTime(0, 0)) << QDateTime(QDate(2026, 6, 1), QTime(23, 59)) << 0;
        QTest::newRow("23-hour day") << QDateTime(QDate(2026, 3, 8), QTime(0, 0))
                                     << QDateTime(QDate(2026, 3, 9), QTime(0, 0)) << 1;
        QTest::newRow("25-hour day") << QDateTime(QDate(2026, 11, 1), QTime(23, 0))
                                     << QDateTime(QDate(2026, 11, 2), QTime(0, 30)) << 1;
        QTest::newRow("backwards") << QDateTime(QDate(2026, 6, 2), QTime(1, 0))
                                   << QDateTime(QDate(2026, 5, 31), QTime(22, 0)) << -2;
    }

    void distanceCountsCalendarDays()
    {
        QFETCH(QDateTime, from);
        QFETCH(QDateTime, to);
        QFETCH(int, expected);
        QCOMPARE(Days::distance(Days::dayOf(from), Days::dayOf(to)), expected);
    }

    void startAndMiddayOnDaylightSavingDays_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<int>("hoursLong");
        QTest::newRow("spring forward") << QDate(2026, 3, 8) << 23;
        QTest::newRow("fall back") << QDate(2026, 11, 1) << 25;
        QTest::newRow("ordinary") << QDate(2026, 6, 1) << 24;
    }

    void startAndMiddayOnDaylightSavingDays()
    {
        QFETCH(QDate, day);
        QFETCH(int, hoursLong);
        QCOMPARE(Days::start(day).time(), QTime(0, 0));
        QCOMPARE(Days::start(day).date(), day);
        QCOMPARE(Days::start(day).secsTo(Days::start(day.addDays(1))), hoursLong * 3600);
        const QDateTime noon = Days::midday(day);
        QCOMPARE(noon.date(), day);
        QCOMPARE(noon.time(), QTime(12, 0));
        QCOMPARE(Days::dayOf(noon), day);
        // The stored noon survives a round trip through UTC milliseconds.
        QCOMPARE(Days::dayOf(QDateTime::fromMSecsSinceEpoch(noon.toMSecsSinceEpoch())), day);
    }

    void namesRelativeToToday_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shortName");
        QTest::addColumn<QString>("phrase");
        // Today is Friday 6 March 2026.
        QTest::newRow("-2") << QDate(2026, 3, 4) << u"Wed, Mar 4"_s << u"Mar 4"_s << u" on Wed, Mar 4"_s;
        QTest::newRow("-1") << QDate(2026, 3, 5) << u"Yesterday"_s << u"Mar 5"_s << u" on Yesterday"_s;
        QTest::newRow("0") << QDate(2026, 3, 6) << u"Today"_s << u"Today"_s << QString();
        QTest::newRow("1") << QDate(2026, 3, 7) << u"Tomorrow"_s << u"Tomorrow"_s << u" tomorrow"_s;
        QTest::newRow("2") << QDate(2026, 3, 8) << u"Sunday"_s << u"Sun"_s << u" on Sunday"_s;
        QTest::newRow("6") << QDate(2026, 3, 12) << u"Thursday"_s << u"Thu"_s << u" on Thursday"_s;
        QTest::newRow("7") << QDate(2026, 3, 13) << u"Fri, Mar 13"_s << u"Mar 13"_s << u" on Fri, Mar 13"_s;
        QTest::newRow("next year") << QDate(2027, 1, 9) << u"Sat, Jan 9, 2027"_s << u"Jan 9"_s
                                   << u" on Sat, Jan 9, 2027"_s;
        QTest::newRow("last year") << QDate(2025, 12, 31) << u"Wed, Dec 31, 2025"_s << u"Dec 31"_s
                                   << u" on Wed, Dec 31, 2025"_s;
    }

    void namesRelativeToToday()
    {
        QFETCH(QDate, day);
        QFETCH(QString, name);
        QFETCH(QString, shortName);
        QFETCH(QString, phrase);
        const QDate today(2026, 3, 6);
        QCOMPARE(Days::name(day, today), name);
        QCOMPARE(Days::shortName(day, today), shortName);
        QCOMPARE(Days::phrase(day, today), phrase);
        QCOMPARE(Days::phrase(std::nullopt, today), QString());
    }

    void dayStringsRoundTrip_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("text");
        QTest::newRow("ordinary") << QDate(2026, 3, 7) << u"2026-03-07"_s;
        QTest::newRow("year below 1000") << QDate(999, 1, 2) << u"0999-01-02"_s;
        QTest::newRow("year 10000") << QDate(10000, 12, 31) << u"10000-12-31"_s;
        QTest::newRow("leap day") << QDate(2028, 2, 29) << u"2028-02-29"_s;
    }

    void dayStringsRoundTrip()
    {
        QFETCH(QDate, day);
        QFETCH(QString, text);
        QCOMPARE(Days::isoString(day), text);
        QCOMPARE(Days::dayFromIso(text), std::optional<QDate>(day));
    }

    void parserRejectsAnythingButTheCanonicalForm_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("unpadded") << u"2026-2-3"_s;
        QTest::newRow("unpadded month") << u"2026-3-07"_s;
        QTest::newRow("30 February") << u"2026-02-30"_s;
        QTest::newRow("29 February, no leap year") << u"2026-02-29"_s;
        QTest::newRow("month 13") << u"2026-13-01"_s;
        QTest::newRow("day 0") << u"2026-03-00"_s;
        QTest::newRow("four parts") << u"2026-03-07-01"_s;
        QTest::newRow("two parts") << u"2026-03"_s;
        QTest::newRow("empty") << QString();
        QTest::newRow("slashes") << u"2026/03/07"_s;
        QTest::newRow("plus sign") << u"+2026-03-07"_s;
        QTest::newRow("minus sign") << u"-2026-03-07"_s;
        QTest::newRow("double dash") << u"2026--03-07"_s;
        QTest::newRow("trailing text") << u"2026-03-07x"_s;
        QTest::newRow("trailing time") << u"2026-03-07T12:00"_s;
        QTest::newRow("trailing newline") << u"2026-03-07\n"_s;
        QTest::newRow("leading blank") << u" 2026-03-07"_s;
        QTest::newRow("other digits") << u"\u0662\u0660\u0662\u0666-\u0660\u0663-\u0660\u0667"_s;
        QTest::newRow("year zero") << u"0000-01-01"_s;
        QTest::newRow("padded year") << u"02026-03-07"_s;
        QTest::newRow("huge year") << u"99999999999-01-01"_s;
    }

    void parserRejectsAnythingButTheCanonicalForm()
    {
        QFETCH(QString, text);
        QCOMPARE(Days::dayFromIso(text), std::nullopt);
    }

    void firstWeekdayFollowsTheLocale()
    {
        QCOMPARE(Days::firstWeekday(), Qt::Sunday);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const Qt::DayOfWeek german = Days::firstWeekday();
        const QString dayFirst = Days::shortName(QDate(2026, 3, 20), QDate(2026, 3, 6));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(german, Qt::Monday);
        QCOMPARE(dayFirst, u"20 März"_s);
        QCOMPARE(Days::firstWeekday(), Qt::Sunday);
    }

    void timeZoneIsReadAtEachUse()
    {
        // 03:00 UTC on 7 March is still the evening of the 6th in New York and morning of the
        // 7th in Tokyo.
        const QDateTime instant(QDate(2026, 3, 7), QTime(3, 0), Qt::UTC);
        const QByteArray oldZone = qgetenv("TZ");
        QCOMPARE(Days::dayOf(instant), QDate(2026, 3, 6));
        qputenv("TZ", "Asia/Tokyo");
        tzset();
        const QDate tokyo = Days::dayOf(instant);
        qputenv("TZ", oldZone);
        tzset();
        QCOMPARE(tokyo, QDate(2026, 3, 7));
        QCOMPARE(Days::dayOf(instant), QDate(2026, 3, 6));
    }
};

QTEST_GUILESS_MAIN(TestDays)
#include "tst_Days.moc"
