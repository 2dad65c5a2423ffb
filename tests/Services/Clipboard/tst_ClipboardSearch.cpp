#include "FixedClock.h"
#include "SearchHistory.h"
#include "Services/Clipboard/ClipboardListModel.h"
#include "TestHome.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <atomic>

using namespace SearchHistory;

class TestClipboardSearch final : public QObject
{
    Q_OBJECT

    OpenedFile m_file;

private Q_SLOTS:
    void cleanup() { m_file.close(); }

    // The page and the count of a search over a large history are those that going through
    // every entry with the search's own predicate gives, in the history's order.
    void findsWhatEveryEntryWouldSay()
    {
        TestHome home;
        const QList<ClipboardItem> items = history(20000);
        auto store = storeOf(items);
        QVERIFY(store && !store->loadError());
        const QStringList looked { QStringLiteral("pri"), QStringLiteral("PRI"), QStringLiteral("cafe"),
            QStringLiteral("CAFÉ"), QStringLiteral("resume"), QStringLiteral("하"), QStringLiteral("공부"),
            QStringLiteral("full"), QStringLiteral("invoice total"), QStringLiteral("web browser"),
            QStringLiteral("links"), QStringLiteral("files"), QStringLiteral("qu"), QStringLiteral("7"),
            QStringLiteral("19999"), QStringLiteral("zzq"), QStringLiteral("/") };
        const QHash<QString, Found> scanned = plainScans(items, looked, 501);
        for (const QString &term : looked) {
            const auto &[expected, count] = scanned.value(term);
            const ClipboardStore::Page page = store->page(term, 501);
            QList<QUuid> found;
            for (const ClipboardItem &item : page.items)
                found << item.id;
            QCOMPARE(page.total, count);
            QCOMPARE(found, expected);
            QCOMPARE(store->count(term), count);
        }
    }

    // Scans from other threads go on while entries are deleted and erased from the column,
    // each answering as the file does before or after the deletion, never between.
    void scansAnswerAlikeWhileEntriesAreErased()
    {
        if (QThread::idealThreadCount() < 2)
            QSKIP("With one processor the history is searched by SQLite alone, on the asking thread");
        TestHome home;
        QVERIFY(QDir().mkpath(folder()));
        const QString path = filePath();
        QList<ClipboardItem> items = history(12000);
        std::unique_ptr<ClipboardDatabase> database = m_file.open(path);
        ClipboardDatabase::Changes changes;
        changes.items = items;
        QVERIFY(ClipboardDatabase::write(database->sql(), changes));
        database->search().prepare();
        QVERIFY(database->search().waitForColumn());
        const auto counts = [&] {
            QHash<QString, qint64> found;
            for (const QString &term : terms()) {
                const ClipboardItem::Predicate predicate = *ClipboardItem::matching(term);
                found.insert(term, std::count_if(items.cbegin(), items.cend(), [&](const ClipboardItem &item) {
                    return predicate.accepts(item);
                }));
            }
            return found;
        };

        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        for (int round = 0; round < 3; ++round) {
            // Entries spread over every block go, as the store deletes them.
            const QHash<QString, qint64> before = counts();
            changes = {};
            for (qsizetype i = round; i < items.size(); i += 50)
                changes.deletions << items[i].id;
            items.removeIf([&](const ClipboardItem &item) { return changes.deletions.contains(item.id); });
            const QHash<QString, qint64> after = counts();
            std::atomic<bool> erased = false;
            QList<QFuture<std::optional<ClipboardSearch::Scan>>> scans;
            for (int i = 0; !erased || scans.size() < 40; ++i) {
                scans << database->search().start(*ClipboardItem::matching(terms()[i % terms().size()]), 501);
                if (i == 10) {
                    QVERIFY(ClipboardDatabase::write(database->sql(), changes));
                    database->search().erase(database->sql());
                    erased = true;
                }
            }
            for (qsizetype i = 0; i < scans.size(); ++i) {
                const QString term = terms()[i % terms().size()];
                const std::optional<ClipboardSearch::Scan> scan = scans[i].result();
                QVERIFY2(scan && (scan->count == before[term] || scan->count == after[term]), qPrintable(term));
            }
            QCOMPARE(
                database->search().scan(*ClipboardItem::matching(terms().first()), 501)->count, after[terms().first()]);
        }
        compareEveryTerm(*database, items);
    }

    // Typing fast: each keystroke cancels the scan of the one before, whose answer never
    // shows; the list shows the last query's page and count once.
    void aKeystrokeCancelsTheSearchInFlight()
    {
        if (QThread::idealThreadCount() < 2)
            QSKIP("With one processor the history is searched by SQLite alone, on the asking thread");
        TestHome home;
        auto store = storeOf(history(20000));
        QVERIFY(store && !store->loadError());
        FixedClock clock(QDateTime::currentDateTimeUtc());
        ClipboardListModel model(*store, clock, 100);
        QSignalSpy answers(&model, &ClipboardListModel::summaryChanged);
        for (const QString &typed : { QStringLiteral("p"), QStringLiteral("pr"), QStringLiteral("pri") })
            model.setQuery(typed);
        QVERIFY(answers.isEmpty()); // looked for on other threads
        QTRY_COMPARE(answers.count(), 1);
        // Nothing of the earlier keystrokes arrives later.
        QTest::qWait(100);
        QCOMPARE(answers.count(), 1);
        const ClipboardStore::Page page = store->page(QStringLiteral("pri"), 101);
        QCOMPARE(model.resultCount(), page.total);
        QVERIFY(model.hasMore());
        // The first rows, then the rest read, are the page's, entries copied at one moment too.
        QCOMPARE(model.rowCount(), ClipboardListModel::firstRows);
        for (const int rows : { int(ClipboardListModel::firstRows), 100 }) {
            while (model.rowCount() < rows && model.canFetchMore())
                model.fetchMore();
            QCOMPARE(model.rowCount(), rows);
            for (int row = 0; row < rows; ++row)
                QCOMPARE(model.item(row).id, page.items.at(row).id);
        }

        // A blank query and a small history answer at once, as before.
        answers.clear();
        model.setQuery(QString());
        QCOMPARE(answers.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestClipboardSearch)
#include "tst_ClipboardSearch.moc"
