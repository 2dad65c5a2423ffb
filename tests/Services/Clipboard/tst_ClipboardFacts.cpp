#include "Services/Clipboard/ClipboardFacts.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ClipboardItem)

namespace {

const QDateTime copied(QDate(2026, 3, 2), QTime(14, 5));

ClipboardItem entry(ClipboardKind kind, const QString &content)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.rawKind = ClipboardKinds::storedValue(kind);
    item.content = content;
    item.createdAt = copied;
    item.lastCopiedAt = copied;
    item.copyCount = 1;
    return item;
}

ClipboardCalendar english()
{
    ClipboardCalendar calendar;
    calendar.timeZone = QTimeZone("America/New_York");
    calendar.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    return calendar;
}

} // namespace

class tst_ClipboardFacts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void size_data();
    void size();
    void byteCount_data();
    void byteCount();
    void factRowsFollowTheEntry();
    void timesAreShortenedAsTheLocaleWritesThem_data();
    void timesAreShortenedAsTheLocaleWritesThem();
};

void tst_ClipboardFacts::size_data()
{
    QTest::addColumn<ClipboardItem>("item");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one character") << entry(ClipboardKind::Text, QStringLiteral("x")) << u"1 character"_s;
    QTest::newRow("characters are what a reader counts")
        << entry(ClipboardKind::Code, QStringLiteral("e\u0301\U0001F600")) << u"2 characters"_s;
    QTest::newRow("grouped") << entry(ClipboardKind::Url, QString(1234, QLatin1Char('a'))) << u"1,234 characters"_s;
    QTest::newRow("empty") << entry(ClipboardKind::Text, QString()) << u"0 characters"_s;
    ClipboardItem head = entry(ClipboardKind::Text, QString(20000, QLatin1Char('a')));
    head.textPath = QStringLiteral("Text/A.txt");
    head.byteCount = 345000;
    QTest::newRow("a text kept in a side file counts bytes") << head << u"345 KB"_s;
    QTest::newRow("one file") << entry(ClipboardKind::File, QStringLiteral("/tmp/a.txt")) << u"1 file"_s;
    QTest::newRow("two files") << entry(ClipboardKind::File, QStringLiteral("/tmp/a.txt\n/tmp/b.txt")) << u"2 files"_s;
    ClipboardItem picture = entry(ClipboardKind::Image, QString());
    picture.pixelWidth = 1200;
    picture.pixelHeight = 800;
    picture.byteCount = 345000;
    picture.mimeType = QStringLiteral("public.png");
    QTest::newRow("a picture") << picture << u"1200 \u00D7 800 \u00B7 345 KB \u00B7 PNG image"_s;
    picture.pixelWidth = 0;
    QTest::newRow("a picture of unknown size") << picture << u"345 KB \u00B7 PNG image"_s;
    picture.mimeType = QStringLiteral("com.example.unknown");
    QTest::newRow("an unknown type drops its part") << picture << u"345 KB"_s;
}

void tst_ClipboardFacts::size()
{
    QFETCH(ClipboardItem, item);
    QFETCH(QString, expected);
    QCOMPARE(ClipboardFacts::size(item, QLocale(QLocale::English, QLocale::UnitedStates)), expected);
}

void tst_ClipboardFacts::byteCount_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << qint64(0) << u"Zero KB"_s;
    QTest::newRow("one byte") << qint64(1) << u"1 byte"_s;
    QTest::newRow("bytes") << qint64(999) << u"999 bytes"_s;
    QTest::newRow("kilobytes") << qint64(345'499) << u"345 KB"_s;
    QTest::newRow("megabytes with a decimal") << qint64(1'240'000) << u"1.2 MB"_s;
    QTest::newRow("whole megabytes") << qint64(2'000'000) << u"2 MB"_s;
    QTest::newRow("gigabytes") << qint64(3'456'000'000) << u"3.46 GB"_s;
}

void tst_ClipboardFacts::byteCount()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, expected);
    QCOMPARE(ClipboardFacts::byteCount(bytes, QLocale(QLocale::English, QLocale::UnitedStates)), expected);
}

void tst_ClipboardFacts::factRowsFollowTheEntry()
{
    ClipboardItem item = entry(ClipboardKind::Text, QStringLiteral("hello"));
    item.sourceAppName = QString();
    using Fact = ClipboardFacts::Fact;
    QCOMPARE(ClipboardFacts::facts(item, english()),
        (QList<Fact> { { u"Copied"_s, u"Once"_s }, { u"Last copied"_s, u"Mar 2, 2026, 2:05 PM"_s },
            { u"Size"_s, u"5 characters"_s } }));

    item.copyCount = 2;
    item.lastCopiedAt = copied.addDays(1);
    item.sourceAppName = QStringLiteral("Editor");
    QCOMPARE(ClipboardFacts::facts(item, english()),
        (QList<Fact> { { u"Copied"_s, u"2 times"_s }, { u"Last copied"_s, u"Mar 3, 2026, 2:05 PM"_s },
            { u"First copied"_s, u"Mar 2, 2026, 2:05 PM"_s }, { u"From"_s, u"Editor"_s },
            { u"Size"_s, u"5 characters"_s } }));

    // A name of megabytes (an imported entry) is cut to what a view can show.
    item.sourceAppName = QString(50'000'000, u'n');
    QCOMPARE(ClipboardFacts::facts(item, english()).at(3).value, QString(200, u'n') + u"\u2026"_s);
}

void tst_ClipboardFacts::timesAreShortenedAsTheLocaleWritesThem_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("time");
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << u"2:05 PM"_s;
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << u"14:05"_s;
    QTest::newRow("Finnish") << QLocale(QLocale::Finnish, QLocale::Finland) << u"14.05"_s;
    // Its own short time carries the seconds.
    QTest::newRow("C") << QLocale::c() << u"14:05"_s;
}

// Hours and minutes, the seconds never.
void tst_ClipboardFacts::timesAreShortenedAsTheLocaleWritesThem()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, time);
    ClipboardCalendar calendar;
    calendar.timeZone = QTimeZone::utc();
    calendar.locale = locale;
    const QString shown
        = ClipboardFacts::dateTime(QDateTime(QDate(2026, 3, 2), QTime(14, 5, 7), QTimeZone::utc()), calendar);
    QVERIFY2(shown.endsWith(u", "_s + time), qPrintable(shown));
}

QTEST_GUILESS_MAIN(tst_ClipboardFacts)
#include "tst_ClipboardFacts.moc"
