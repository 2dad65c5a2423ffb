#include "ClipboardHistory.h"
#include "FixedClock.h"
#include "MainThreadSql.h"
#include "Services/Clipboard/ClipboardListModel.h"
#include "Services/Storage/StoreWriter.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

#include <sqlite3.h>

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

// A history large enough to be searched in its column; one entry in 90 matches "plover", a
// minute apart.
bool writeLargeHistory(const QString &folder)
{
    auto store = ClipboardStore::make(folder);
    QList<ClipboardCapture> captures;
    for (int i = 1; i <= 9000; ++i) {
        captures << ClipboardHistory::capture(
            ClipboardKind::Text, (i % 90 == 0 ? u"plover %1"_s : u"entry %1"_s).arg(i), start.addSecs(60 * i));
    }
    return store->insertImported(captures).ok();
}

// The searches that fail off the main thread, as a connection that can no longer read would:
// each connection opened after fail() asks for them is refused the search's own function there,
// the next `count` times (or every time).
namespace SearchFailures {

std::atomic<int> left = 0;

int refuse(void *, int action, const char *, const char *name, const char *, const char *)
{
    const bool search = action == SQLITE_FUNCTION && name && qstrcmp(name, "contains_folded") == 0;
    if (!search || QThread::currentThread() == QCoreApplication::instance()->thread())
        return SQLITE_OK;
    for (int now = left.load(); now != 0;) {
        if (now < 0 || left.compare_exchange_weak(now, now - 1))
            return SQLITE_DENY;
    }
    return SQLITE_OK;
}

// `count` < 0: every time.
void fail(int count)
{
    static const bool installed = [] {
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(+[](sqlite3 *handle, char **, const void *) {
            sqlite3_set_authorizer(handle, &refuse, nullptr);
            return SQLITE_OK;
        }));
        return true;
    }();
    Q_UNUSED(installed);
    left = count;
}

} // namespace SearchFailures

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
    void aSearchWhileAChangeWaitsIsAnsweredOffTheMainThread_data();
    void aSearchWhileAChangeWaitsIsAnsweredOffTheMainThread();
    void aFailedScanNeverSearchesOnTheMainThread_data();
    void aFailedScanNeverSearchesOnTheMainThread();
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

void tst_ClipboardListModel::aSearchWhileAChangeWaitsIsAnsweredOffTheMainThread_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("a new copy") << u"copy"_s;
    QTest::newRow("a saved entry copied again") << u"again"_s;
    QTest::newRow("an entry copied again from an application the search names") << u"app"_s;
    QTest::newRow("a deletion") << u"delete"_s;
    QTest::newRow("a deletion of an entry saved after the column") << u"delete late"_s;
    QTest::newRow("today deleted") << u"today"_s;
}

// A change waits for the writer, held by an import's commit, say: the search shown is asked
// again, answered off the main thread with the change laid over it, and stays right once the
// change is written.
void tst_ClipboardListModel::aSearchWhileAChangeWaitsIsAnsweredOffTheMainThread()
{
    QFETCH(QString, change);
    const QString query = u"plover"_s;
    MainThreadSql::watch();
    QTemporaryDir folder;
    QVERIFY(writeLargeHistory(folder.path()));
    // Opened as the application opens it.
    auto store = ClipboardStore::make(folder.path(), IntegrityCheck::InBackground);
    store->waitForBackgroundWork();
    QVERIFY(!store->loadError());
    QVERIFY(QFileInfo::exists(folder.path() + u"/Clipboard.store-search"_s));
    const QDateTime now = start.addSecs(60 * 9010);
    FixedClock clock(now);
    const auto copy = [&](const QString &text, const QDateTime &when, const QString &app = u"Editor"_s) {
        return store->record(ClipboardHistory::capture(ClipboardKind::Text, text, when, app));
    };
    const ClipboardItem late = copy(u"plover late"_s, now.addSecs(-30));
    store->waitForBackgroundWork();

    ClipboardListModel model(*store, clock, 200);
    model.setQuery(query);
    QTRY_COMPARE(model.resultCount(), 101);
    const QList<QUuid> before = model.ids();

    auto held = std::make_shared<QSemaphore>();
    store->writer()->run([held](const StoreDatabase &) {
        held->acquire();
        return true;
    });
    auto release = qScopeGuard([held] { held->release(); });
    QSignalSpy answers(&model, &ClipboardListModel::summaryChanged);
    if (change == u"copy"_s)
        copy(u"Plover fresh"_s, now);
    else if (change == u"again"_s)
        copy(u"plover 4500"_s, now);
    else if (change == u"app"_s)
        copy(u"entry 4501"_s, now, u"Plover Mail"_s);
    else if (change == u"delete"_s)
        store->deleteItems(store->items(u"plover 4500"_s, 1));
    else if (change == u"delete late"_s)
        store->deleteItems({ late });
    else
        store->deleteItems(ClearRequest::of(ClipboardPeriod::Today), now, ClipboardCalendar {});
    QVERIFY(store->hasPendingChanges());
    // What the store's own connection finds with the change laid over the stored rows.
    const ClipboardStore::Page expected = store->page(query, 200);
    QList<QUuid> expectedIds;
    for (const ClipboardItem &item : expected.items)
        expectedIds << item.id;
    QVERIFY(expectedIds != before);

    MainThreadSql::reset();
    QTRY_VERIFY(!answers.isEmpty());
    QCOMPARE(model.resultCount(), expected.total);
    while (model.canFetchMore())
        model.fetchMore();
    QCOMPARE(model.ids(), expectedIds);
    QCOMPARE(MainThreadSql::count("contains_folded"), 0);
    QVERIFY(store->hasPendingChanges());

    // An answer that comes once its change is written reads the change from the file.
    QFuture<std::optional<ClipboardSearch::Scan>> asked = store->scanInBackground(query, 200);
    asked.waitForFinished();
    release.dismiss();
    held->release();
    QTRY_VERIFY(!store->hasPendingChanges());
    QCoreApplication::processEvents();
    QCOMPARE(model.ids(), expectedIds);
    const ClipboardStore::Page written = store->page(query, asked.result(), 200);
    QCOMPARE(written.total, expected.total);
    QCOMPARE(written.items.size(), expected.items.size());
    for (qsizetype i = 0; i < written.items.size(); ++i)
        QCOMPARE(written.items.at(i).id, expectedIds.at(i));
    QCOMPARE(store->page(query, 200).total, expected.total);
}

void tst_ClipboardListModel::aFailedScanNeverSearchesOnTheMainThread_data()
{
    QTest::addColumn<int>("failures");
    QTest::newRow("the scan fails, the file is searched whole") << 1;
    QTest::newRow("every search off the main thread fails") << -1;
}

// A large history whose scan in the background fails: the search is made up for on the scan's
// thread, through SQLite alone, or answers nothing, as a read that fails does; the main thread
// never searches the history itself.
void tst_ClipboardListModel::aFailedScanNeverSearchesOnTheMainThread()
{
    QFETCH(int, failures);
    MainThreadSql::watch();
    QTemporaryDir folder;
    QVERIFY(writeLargeHistory(folder.path()));
    SearchFailures::fail(failures);
    const auto failing = qScopeGuard([] { SearchFailures::fail(0); });
    auto store = ClipboardStore::make(folder.path(), IntegrityCheck::InBackground);
    store->waitForBackgroundWork();
    QVERIFY(!store->loadError());
    FixedClock clock(start.addSecs(60 * 9010));

    ClipboardListModel model(*store, clock, 200);
    QSignalSpy answers(&model, &ClipboardListModel::summaryChanged);
    MainThreadSql::reset();
    model.setQuery(u"plover"_s);
    QTRY_VERIFY(!answers.isEmpty());
    while (model.canFetchMore())
        model.fetchMore();
    const qint64 found = failures < 0 ? 0 : 100;
    QCOMPARE(model.resultCount(), found);
    QCOMPARE(model.items().size(), found);
    QCOMPARE(MainThreadSql::count("contains_folded"), 0);
    if (failures > 0) {
        QCOMPARE(model.items().first().content, u"plover 9000"_s);
        QCOMPARE(SearchFailures::left.load(), 0);
    }
}

QTEST_GUILESS_MAIN(tst_ClipboardListModel)
#include "tst_ClipboardListModel.moc"
