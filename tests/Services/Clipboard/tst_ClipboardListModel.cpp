#include "ClipboardHistory.h"
#include "FixedClock.h"
#include "Services/Clipboard/ClipboardListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDateTime start(QDate(2026, 3, 2), QTime(9, 0));

QStringList contents(const ClipboardListModel &model)
{
    QStringList list;
    for (const ClipboardItem &item : model.items())
        list << item.content;
    return list;
}

} // namespace

class tst_ClipboardListModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void search_data();
    void search();
    void pagesAreReadAsTheViewReachesThem_data();
    void pagesAreReadAsTheViewReachesThem();
    void savesInOneTurnQueryOnce();
    void newCopyIsAppliedAsADifference();
    void headerCountsGroupDigits();
    void tickRewordsWithoutQuerying();
};

void tst_ClipboardListModel::search_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("header");

    QTest::newRow("case and diacritics fold") << u"CAFE"_s << QStringList { u"Caf\u00e9 au lait"_s } << u"1 Result"_s;
    QTest::newRow("a word names the kind")
        << u"links"_s << QStringList { u"https://example.com/page"_s } << u"1 Result"_s;
    QTest::newRow("the source application matches")
        << u"browser"_s << QStringList { u"https://example.com/page"_s } << u"1 Result"_s;
    QTest::newRow("spaces only list everything under the results title")
        << u"   "_s << QStringList { u"https://example.com/page"_s, u"Caf\u00e9 au lait"_s, u"meeting notes"_s }
        << u"3 Results"_s;
    QTest::newRow("no match keeps the total") << u"zebra"_s << QStringList {} << u"0 Results"_s;
    QTest::newRow("empty search") << u""_s
                                  << QStringList { u"https://example.com/page"_s, u"Caf\u00e9 au lait"_s,
                                         u"meeting notes"_s }
                                  << u"Recently Copied"_s;
}

void tst_ClipboardListModel::search()
{
    QFETCH(QString, query);
    QFETCH(QStringList, expected);
    QFETCH(QString, header);

    ClipboardHistory history;
    history.add(QStringLiteral("meeting notes"), start);
    history.add(QStringLiteral("Caf\u00e9 au lait"), start.addSecs(60));
    history.store->record(ClipboardHistory::capture(
        ClipboardKind::Url, QStringLiteral("https://example.com/page"), start.addSecs(120), QStringLiteral("Browser")));
    FixedClock clock(start.addSecs(600));
    ClipboardListModel model(*history.store, clock, 100);
    QAbstractItemModelTester tester(&model);

    model.setQuery(query);
    QCOMPARE(contents(model), expected);
    QCOMPARE(model.headerTitle(), header);
    QCOMPARE(model.totalCount(), 3);
}

void tst_ClipboardListModel::pagesAreReadAsTheViewReachesThem_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("shown");
    QTest::addColumn<bool>("hasMore");

    QTest::newRow("fewer than the first rows") << 12 << 500 << 12 << false;
    QTest::newRow("a full panel page") << 100 << 100 << 100 << false;
    QTest::newRow("one more than the panel's page") << 101 << 100 << 100 << true;
    QTest::newRow("one more than the window's page") << 501 << 500 << 500 << true;
    QTest::newRow("after one more page") << 501 << 1000 << 501 << false;
}

// The first rows come with the answer, the rest of the page as the view asks, in order and
// never past the page; a change of the history keeps every row read.
void tst_ClipboardListModel::pagesAreReadAsTheViewReachesThem()
{
    QFETCH(int, stored);
    QFETCH(int, limit);
    QFETCH(int, shown);
    QFETCH(bool, hasMore);

    ClipboardHistory history;
    history.fill(stored, start);
    FixedClock clock(start.addDays(1));
    ClipboardListModel model(*history.store, clock, limit);
    QCOMPARE(model.rowCount(), qMin(shown, ClipboardListModel::firstRows));
    QCOMPARE(model.hasMore(), hasMore);
    QCOMPARE(model.totalCount(), stored);
    // The tester reads further, as a view would.
    QAbstractItemModelTester tester(&model);
    while (model.canFetchMore())
        model.fetchMore();
    QCOMPARE(model.rowCount(), shown);
    for (int row = 0; row < shown; ++row)
        QCOMPARE(model.item(row).content, QStringLiteral("entry %1").arg(stored - row));
    QCOMPARE(model.hasMore(), hasMore);

    history.add(QStringLiteral("new"), start.addDays(1));
    QTRY_COMPARE(model.item(0).content, QStringLiteral("new"));
    QCOMPARE(model.rowCount(), qMin(qMax(ClipboardListModel::firstRows, shown), stored + 1));
    QCOMPARE(model.totalCount(), stored + 1);
}

void tst_ClipboardListModel::savesInOneTurnQueryOnce()
{
    ClipboardHistory history;
    history.fill(3, start);
    FixedClock clock(start.addDays(1));
    ClipboardListModel model(*history.store, clock, 100);
    QSignalSpy summaries(&model, &ClipboardListModel::summaryChanged);

    for (int i = 0; i < 5; ++i)
        history.add(QStringLiteral("burst %1").arg(i), start.addSecs(3600 + i));
    QCOMPARE(model.rowCount(), 3);
    QTRY_COMPARE(model.rowCount(), 8);
    QCoreApplication::processEvents();
    QCOMPARE(summaries.count(), 1);
    QCOMPARE(model.totalCount(), 8);
}

void tst_ClipboardListModel::newCopyIsAppliedAsADifference()
{
    ClipboardHistory history;
    history.fill(5, start);
    FixedClock clock(start.addDays(1));
    ClipboardListModel model(*history.store, clock, 4);
    QAbstractItemModelTester tester(&model);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);

    // A new copy comes in at the top; the page's last row drops off, as only a page is held.
    history.add(QStringLiteral("new"), start.addSecs(3600));
    QTRY_COMPARE(model.item(0).content, QStringLiteral("new"));
    QCOMPARE(contents(model), (QStringList { u"new"_s, u"entry 5"_s, u"entry 4"_s, u"entry 3"_s }));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(removed.count(), 1);

    // Copying an older entry again moves its row up rather than rebuilding the list.
    history.add(QStringLiteral("entry 3"), start.addSecs(7200));
    QTRY_COMPARE(model.item(0).content, QStringLiteral("entry 3"));
    QCOMPARE(contents(model), (QStringList { u"entry 3"_s, u"new"_s, u"entry 5"_s, u"entry 4"_s }));
    QCOMPARE(moved.count(), 1);
    QCOMPARE(model.item(0).copyCount, 2);
    QCOMPARE(resets.count(), 0);
}

void tst_ClipboardListModel::headerCountsGroupDigits()
{
    ClipboardHistory history;
    for (int i = 0; i < 1204; ++i)
        history.store->record(ClipboardHistory::capture(ClipboardKind::Text, QStringLiteral("match %1").arg(i), start));
    FixedClock clock(start.addDays(1));
    ClipboardListModel model(*history.store, clock, 100);
    model.setQuery(QStringLiteral("match"));
    QCOMPARE(model.headerTitle(), QStringLiteral("1,204 Results"));
    QVERIFY(model.hasMore());
    // A copy that does not match still counts in the total of everything.
    history.add(QStringLiteral("other"), start.addSecs(1));
    QTRY_COMPARE(model.totalCount(), 1205);
    QCOMPARE(model.headerTitle(), QStringLiteral("1,204 Results"));
}

void tst_ClipboardListModel::tickRewordsWithoutQuerying()
{
    ClipboardHistory history;
    history.fill(2, start);
    FixedClock clock(start.addSecs(180));
    ClipboardListModel model(*history.store, clock, 100);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy summaries(&model, &ClipboardListModel::summaryChanged);

    clock.advance(ClipboardListModel::tickInterval);
    model.tick();
    QCOMPARE(model.now(), clock.now());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(1).toModelIndex().row(), 1);
    QCOMPARE(summaries.count(), 0);
}

QTEST_GUILESS_MAIN(tst_ClipboardListModel)
#include "tst_ClipboardListModel.moc"
