#include "Models/Clipboard/ClearRequest.h"
#include "Models/Clipboard/ClipboardItem.h"
#include "Models/Clipboard/ClipboardPeriod.h"
#include "Models/Clipboard/CopyTime.h"

#include <QTest>

namespace {

const QTimeZone newYorkZone("America/New_York");

ClipboardCalendar calendar(Qt::DayOfWeek firstDay = Qt::Sunday)
{
    ClipboardCalendar result;
    result.timeZone = newYorkZone;
    result.firstDayOfWeek = firstDay;
    result.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    return result;
}

QDateTime local(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), newYorkZone);
}

ClipboardItem entry(const QString &rawKind, const QString &content, const QString &app = QString())
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.rawKind = rawKind;
    item.content = content;
    item.sourceAppName = app;
    return item;
}

} // namespace

class TestClipboardRecords final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void kindSearchWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("kind");
        const QList<std::pair<const char *, const char *>> rows { { "link", "url" }, { "links", "url" },
            { "url", "url" }, { "urls", "url" }, { "Links", "url" }, { "URLS", "url" }, { "images", "image" },
            { "Texts", "text" }, { "files", "file" }, { "s", "" }, { "", "" }, { "photo", "" } };
        for (const auto &[word, kind] : rows)
            QTest::newRow(word) << QString::fromLatin1(word) << QString::fromLatin1(kind);
    }

    void kindSearchWords()
    {
        QFETCH(QString, word);
        QFETCH(QString, kind);
        const std::optional<ClipboardKind> named = ClipboardKinds::fromSearchWord(word);
        QCOMPARE(named ? ClipboardKinds::storedValue(*named) : QString(), kind);
        QVERIFY(!ClipboardKinds::fromStoredValue(QStringLiteral("Text")));
    }

    void titlesAndLinks()
    {
        QCOMPARE(entry(QStringLiteral("url"), QStringLiteral("  HTTPS://www.Example.org/a//\n")).title(),
            QStringLiteral("Example.org/a/"));
        QCOMPARE(ClipboardItem::shortened(QStringLiteral("HTTP://WWW.x.org/")), QStringLiteral("x.org"));
        QCOMPARE(entry(QStringLiteral("image"), QString()).title(), QStringLiteral("Image"));
        QCOMPARE(entry(QStringLiteral("file"), QStringLiteral("\n\n")).title(), QStringLiteral("File"));
        QCOMPARE(entry(QStringLiteral("file"), QStringLiteral("/a/b.txt")).title(), QStringLiteral("b.txt"));
        QCOMPARE(entry(QStringLiteral("file"), QStringLiteral("/a/b.txt\n/c/d\n/e/f")).title(),
            QStringLiteral("b.txt and 2 more"));
        QCOMPARE(entry(QStringLiteral("text"), QStringLiteral("/a/b.txt")).filePaths(), QStringList());

        // An unknown stored kind reads as text.
        const ClipboardItem odd = entry(QStringLiteral("sticker"), QStringLiteral("  hi  "));
        QCOMPARE(odd.kind(), ClipboardKind::Text);
        QCOMPARE(odd.title(), QStringLiteral("hi"));

        // 500 user-perceived characters, never half of one.
        const QString accented = QStringLiteral("e\u0301");
        QCOMPARE(entry(QStringLiteral("text"), QString(10000, QLatin1Char('x'))).title().size(), 500);
        QCOMPARE(entry(QStringLiteral("code"), accented.repeated(600)).title(), accented.repeated(500));

        QCOMPARE(entry(QStringLiteral("url"), QStringLiteral("WWW.example.org")).url(),
            std::optional<QUrl>(QUrl(QStringLiteral("https://WWW.example.org"))));
        QCOMPARE(entry(QStringLiteral("url"), QStringLiteral("https://example.org/x")).url(),
            std::optional<QUrl>(QUrl(QStringLiteral("https://example.org/x"))));
        QVERIFY(entry(QStringLiteral("url"), QStringLiteral("mailto:a@b.org")).url());
        QVERIFY(!entry(QStringLiteral("url"), QStringLiteral("http://exa mple.org")).url());
        // Links of other schemes would open local files or programs.
        QVERIFY(!entry(QStringLiteral("url"), QStringLiteral("file:///usr/share/applications/x.desktop")).url());
        QVERIFY(!entry(QStringLiteral("url"), QStringLiteral("javascript:alert(1)")).url());
        QVERIFY(!entry(QStringLiteral("text"), QStringLiteral("https://example.org")).url());

        ClipboardItem image = entry(QStringLiteral("image"), QString());
        QVERIFY(!image.dimensions());
        image.pixelWidth = 3000;
        image.pixelHeight = 4000;
        QCOMPARE(image.dimensions(), std::optional<QString>(QStringLiteral("3000 \u00D7 4000")));
    }

    void matching_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("rawKind");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("app");
        QTest::addColumn<bool>("matches");

        QTest::newRow("plain e finds é") << "cafe"
                                         << "text"
                                         << "Un Café noir"
                                         << "" << true;
        QTest::newRow("é finds plain e") << "café"
                                         << "text"
                                         << "CAFE"
                                         << "" << true;
        QTest::newRow("case") << "HELLO"
                              << "text"
                              << "well, hello there"
                              << "" << true;
        QTest::newRow("app name") << "term"
                                  << "text"
                                  << "ls"
                                  << "Terminal" << true;
        QTest::newRow("no match") << "cafe"
                                  << "text"
                                  << "tea"
                                  << "Kitchen" << false;
        QTest::newRow("kind word") << "Links"
                                   << "url"
                                   << "example.org"
                                   << "" << true;
        QTest::newRow("kind word in content") << "Links"
                                              << "text"
                                              << "see the LINKS below"
                                              << "" << true;
        QTest::newRow("kind word elsewhere") << "Links"
                                             << "text"
                                             << "nothing"
                                             << "" << false;
        QTest::newRow("two words name no kind") << "image cat"
                                                << "image"
                                                << ""
                                                << "" << false;
        QTest::newRow("unknown stored kind") << "sticker"
                                             << "sticker"
                                             << ""
                                             << "" << false;
        QTest::newRow("query is one string") << "a b"
                                             << "text"
                                             << "a, b"
                                             << "" << false;
        QTest::newRow("ligature") << "office"
                                  << "text"
                                  << "the o\uFB03ce"
                                  << "" << true;
        QTest::newRow("hangul syllable whole") << "하"
                                               << "text"
                                               << "한국어 공부"
                                               << "" << false;
        QTest::newRow("hangul syllables") << "국어"
                                          << "text"
                                          << "한국어 공부"
                                          << "" << true;
        QTest::newRow("hangul letters apart") << "한국"
                                              << "text"
                                              << "\u1112\u1161\u11AB\u1100\u116E\u11A8\uC5B4"
                                              << "" << true;
        QTest::newRow("half-width katakana") << "カタカナ"
                                             << "text"
                                             << "\uFF76\uFF80\uFF76\uFF85"
                                             << "" << true;
        QTest::newRow("accent in query on ascii") << "CRÈME"
                                                  << "text"
                                                  << "creme brulee"
                                                  << "" << true;
    }

    void matching()
    {
        QFETCH(QString, query);
        QFETCH(QString, rawKind);
        QFETCH(QString, content);
        QFETCH(QString, app);
        QFETCH(bool, matches);
        const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
        QVERIFY(predicate);
        QCOMPARE(predicate->accepts(entry(rawKind, content, app)), matches);
        QVERIFY(!ClipboardItem::matching(QStringLiteral(" \n\t ")));
    }

    // A pasted page is searched for by its first thousand characters, never half of one.
    void aLongQueryIsSearchedForByItsStart()
    {
        const QString start = QStringLiteral("x").repeated(ClipboardItem::maximumQueryLength - 1);
        const QString query
            = QStringLiteral("  ") + start + QStringLiteral("\U0001F600") + QStringLiteral("y").repeated(500000);
        const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
        QVERIFY(predicate);
        QCOMPARE(predicate->text, start);
        QVERIFY(predicate->accepts(entry(QStringLiteral("text"), start + QStringLiteral("z"), QString())));
        QVERIFY(!predicate->accepts(entry(QStringLiteral("text"), start.chopped(1), QString())));
    }

    void periodIntervals_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("firstDay");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<QString>("dates");

        const int today = int(ClipboardPeriod::Today);
        const int week = int(ClipboardPeriod::LastWeek);
        const int month = int(ClipboardPeriod::LastMonth);
        QTest::newRow("today") << today << local(2026, 12, 6, 15) << int(Qt::Sunday) << local(2026, 12, 6)
                               << local(2026, 12, 7) << "Sunday, Dec 6";
        // 23 hours long: clocks go forward.
        QTest::newRow("today, spring forward") << today << local(2026, 3, 8, 12) << int(Qt::Sunday) << local(2026, 3, 8)
                                               << local(2026, 3, 9) << "Sunday, Mar 8";
        QTest::newRow("last week, Sunday start, on the first day")
            << week << local(2026, 12, 6, 0) << int(Qt::Sunday) << local(2026, 11, 29) << local(2026, 12, 6)
            << "Nov 29 \u2013 Dec 5";
        QTest::newRow("last week, Monday start") << week << local(2026, 12, 6, 10) << int(Qt::Monday)
                                                 << local(2026, 11, 23) << local(2026, 11, 30) << "Nov 23 \u2013 29";
        QTest::newRow("last week across the clock change")
            << week << local(2026, 11, 3, 10) << int(Qt::Sunday) << local(2026, 10, 25) << local(2026, 11, 1)
            << "Oct 25 \u2013 31";
        QTest::newRow("last week across the new year")
            << week << local(2027, 1, 5, 10) << int(Qt::Sunday) << local(2026, 12, 27) << local(2027, 1, 3)
            << "Dec 27, 2026 \u2013 Jan 2, 2027";
        QTest::newRow("last month") << month << local(2026, 12, 1, 0) << int(Qt::Sunday) << local(2026, 11, 1)
                                    << local(2026, 12, 1) << "November";
        QTest::newRow("last month in January") << month << local(2027, 1, 31, 23) << int(Qt::Sunday)
                                               << local(2026, 12, 1) << local(2027, 1, 1) << "December 2026";
        QTest::newRow("last month, February") << month << local(2026, 3, 31, 12) << int(Qt::Sunday) << local(2026, 2, 1)
                                              << local(2026, 3, 1) << "February";
    }

    void periodIntervals()
    {
        QFETCH(int, period);
        QFETCH(QDateTime, now);
        QFETCH(int, firstDay);
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, end);
        QFETCH(QString, dates);
        const ClipboardCalendar rules = calendar(Qt::DayOfWeek(firstDay));
        const DateInterval span = ClipboardPeriods::interval(ClipboardPeriod(period), now, rules);
        QCOMPARE(span.start, start);
        QCOMPARE(span.end, end);
        QVERIFY(span.contains(start));
        QVERIFY(!span.contains(end));
        QCOMPARE(ClipboardPeriods::dates(ClipboardPeriod(period), now, rules), dates);
    }

    void periodsFollowTheirTimeZone()
    {
        ClipboardCalendar tokyo = calendar();
        tokyo.timeZone = QTimeZone("Asia/Tokyo");
        const QDateTime now = local(2026, 12, 6, 15); // 05:00 on Dec 7 in Tokyo
        const DateInterval span = ClipboardPeriods::interval(ClipboardPeriod::Today, now, tokyo);
        QCOMPARE(span.start, QDateTime(QDate(2026, 12, 7), QTime(0, 0), QTimeZone("Asia/Tokyo")));
        QCOMPARE(span.start.msecsTo(span.end), qint64(24) * 3600 * 1000);
    }

    void copyTime_data()
    {
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("shortForm");
        QTest::addColumn<QString>("longForm");

        const QDateTime noon = local(2026, 12, 10, 12);
        QTest::newRow("59.9 s") << noon.addMSecs(-59900) << noon << "Just now"
                                << "Just now";
        QTest::newRow("future") << noon.addSecs(3600) << noon << "Just now"
                                << "Just now";
        QTest::newRow("60 s") << noon.addSecs(-60) << noon << "1 min ago"
                              << "1 minute ago";
        QTest::newRow("119 s") << noon.addSecs(-119) << noon << "1 min ago"
                               << "1 minute ago";
        QTest::newRow("59:59") << noon.addSecs(-3599) << noon << "59 min ago"
                               << "59 minutes ago";
        QTest::newRow("60 min") << noon.addSecs(-3600) << noon << "1 hr ago"
                                << "1 hour ago";
        QTest::newRow("119 min") << noon.addSecs(-119 * 60) << noon << "1 hr ago"
                                 << "1 hour ago";
        QTest::newRow("120 min") << noon.addSecs(-120 * 60) << noon << "2 hr ago"
                                 << "2 hours ago";
        QTest::newRow("20 min across midnight")
            << local(2026, 12, 9, 23, 50) << local(2026, 12, 10, 0, 10) << "20 min ago"
            << "20 minutes ago";
        QTest::newRow("75 min across midnight")
            << local(2026, 12, 9, 23, 30) << local(2026, 12, 10, 0, 45) << "Yesterday"
            << "Yesterday";
        QTest::newRow("six days") << local(2026, 12, 4, 18) << noon << "Friday"
                                  << "Friday";
        QTest::newRow("seven days") << local(2026, 12, 3, 18) << noon << "Dec 3"
                                    << "Dec 3";
        QTest::newRow("another year") << local(2026, 12, 31, 18) << local(2027, 1, 8, 9) << "Dec 31, 2026"
                                      << "Dec 31, 2026";
        // A 23-hour day: two calendar days back is still "Saturday", not "Yesterday".
        QTest::newRow("across the clock change") << local(2026, 3, 7, 23, 30) << local(2026, 3, 9, 0, 15) << "Saturday"
                                                 << "Saturday";
    }

    void copyTime()
    {
        QFETCH(QDateTime, date);
        QFETCH(QDateTime, now);
        QFETCH(QString, shortForm);
        QFETCH(QString, longForm);
        QCOMPARE(CopyTime::describe(date, now, false, calendar()), shortForm);
        QCOMPARE(CopyTime::describe(date, now, true, calendar()), longForm);
    }

    void clearRequestSentences()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const ClearRequest all = ClearRequest::all();
        const ClearRequest today = ClearRequest::of(ClipboardPeriod::Today);
        const ClearRequest week = ClearRequest::of(ClipboardPeriod::LastWeek);
        const ClearRequest month = ClearRequest::of(ClipboardPeriod::LastMonth);
        const QDateTime now = local(2026, 12, 6, 15);

        QCOMPARE(month.title(0), QStringLiteral("Nothing was copied last month."));
        QCOMPARE(today.title(1), QStringLiteral("Delete 1 item copied today?"));
        QCOMPARE(week.title(1234), QStringLiteral("Delete 1,234 items copied last week?"));
        QCOMPARE(all.title(0), QStringLiteral("Your clipboard history is empty."));
        QCOMPARE(all.title(2), QStringLiteral("Delete all clipboard history?"));
        QCOMPARE(all.message(0, now, calendar()), QString());
        QCOMPARE(
            all.message(1, now, calendar()), QStringLiteral("All 1 item will be deleted. This can\u2019t be undone."));
        QCOMPARE(all.message(5000, now, calendar()),
            QStringLiteral("All 5,000 items will be deleted. This can\u2019t be undone."));
        QCOMPARE(week.message(0, now, calendar()), QStringLiteral("Nov 29 \u2013 Dec 5"));
        QCOMPARE(today.id(), QStringLiteral("today"));
        QCOMPARE(week.id(), QStringLiteral("lastWeek"));
        QCOMPARE(all.id(), QStringLiteral("all"));
        QVERIFY(today != week);
        QVERIFY(week == ClearRequest::of(ClipboardPeriod::LastWeek));
    }
};

QTEST_GUILESS_MAIN(TestClipboardRecords)
#include "tst_ClipboardRecords.moc"
