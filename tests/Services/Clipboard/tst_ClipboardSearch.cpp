#include "FixedClock.h"
#include "Platform/DataPaths.h"
#include "Services/Clipboard/ClipboardDatabase.h"
#include "Services/Clipboard/ClipboardListModel.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "TestHome.h"

#include <QSignalSpy>
#include <QTest>

#include <random>

namespace {

// A history large enough to be scanned in spans on several connections: words with accents,
// capitals, Hangul and digits, links and files, several sources, and runs of entries copied at
// the same moment.
QList<ClipboardItem> history(int size)
{
    const QStringList words = QStringLiteral("Price print PRIMARY café CAFÉ naïve Résumé invoice total "
                                             "한국어 공부 하늘 ＦＵＬＬ width quick brown fox 77777 zz qu")
                                  .split(QLatin1Char(' '));
    const QStringList apps { QStringLiteral("Web Browser"), QStringLiteral("Text Editor"), QStringLiteral("Café") };
    std::mt19937 random(1206);
    QList<ClipboardItem> items;
    for (int i = 0; i < size; ++i) {
        QStringList picked;
        for (int n = std::uniform_int_distribution<int>(1, 8)(random); n > 0; --n)
            picked << words[std::uniform_int_distribution<qsizetype>(0, words.size() - 1)(random)];
        picked << QString::number(i);
        ClipboardItem item;
        item.id = QUuid::createUuid();
        const int kind = i % 10;
        item.rawKind = kind == 0 ? QStringLiteral("url") : kind == 1 ? QStringLiteral("file") : QStringLiteral("text");
        item.content = kind == 0 ? QStringLiteral("https://example.org/") + picked.join(QLatin1Char('/'))
                                 : picked.join(QLatin1Char(' '));
        item.contentHash = QString::number(i);
        item.createdAt = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000 + qint64(i / 3) * 1000, Qt::UTC);
        item.lastCopiedAt = item.createdAt;
        item.copyCount = 1;
        item.mimeType = QStringLiteral("public.utf8-plain-text");
        item.sourceAppName = apps[i % apps.size()];
        item.sourceAppId = QStringLiteral("org.example.app");
        items << item;
    }
    return items;
}

} // namespace

class TestClipboardSearch final : public QObject
{
    Q_OBJECT

private:
    QString folder() const { return DataPaths::appFolder() + QStringLiteral("/Clipboard"); }

    // A store of `items` written as one save would write them.
    std::unique_ptr<ClipboardStore> storeOf(const QList<ClipboardItem> &items)
    {
        {
            auto database = ClipboardDatabase::open(folder() + QLatin1Char('/') + ClipboardStore::databaseFileName());
            if (!database)
                return {};
            ClipboardDatabase::Changes changes;
            changes.items = items;
            if (!ClipboardDatabase::write(database.value()->sql(), changes))
                return {};
        }
        return ClipboardStore::make(folder());
    }

private Q_SLOTS:
    // The page and the count of a search over a large history are those that going through
    // every entry with the search's own predicate gives, in the history's order.
    void findsWhatEveryEntryWouldSay()
    {
        TestHome home;
        const QList<ClipboardItem> items = history(20000);
        auto store = storeOf(items);
        QVERIFY(store && !store->loadError());
        QList<ClipboardItem> all = items;
        std::sort(all.begin(), all.end(), &ClipboardItem::recentOrder);

        for (const QString &term : { QStringLiteral("pri"), QStringLiteral("PRI"), QStringLiteral("cafe"),
                 QStringLiteral("CAFÉ"), QStringLiteral("resume"), QStringLiteral("하"), QStringLiteral("공부"),
                 QStringLiteral("full"), QStringLiteral("invoice total"), QStringLiteral("web browser"),
                 QStringLiteral("links"), QStringLiteral("files"), QStringLiteral("qu"), QStringLiteral("7"),
                 QStringLiteral("19999"), QStringLiteral("zzq"), QStringLiteral("/") }) {
            const ClipboardItem::Predicate predicate = *ClipboardItem::matching(term);
            QList<QUuid> expected;
            qint64 count = 0;
            for (const ClipboardItem &item : all) {
                if (!predicate.accepts(item))
                    continue;
                if (++count <= 501)
                    expected << item.id;
            }
            const ClipboardStore::Page page = store->page(term, 501);
            QList<QUuid> found;
            for (const ClipboardItem &item : page.items)
                found << item.id;
            QCOMPARE(page.total, count);
            QCOMPARE(found, expected);
            QCOMPARE(store->count(term), count);
        }
    }

    // Typing fast: each keystroke cancels the scan of the one before, whose answer never
    // shows; the list shows the last query's page and count once.
    void aKeystrokeCancelsTheSearchInFlight()
    {
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
        QCOMPARE(model.rowCount(), 100);
        QVERIFY(model.hasMore());
        for (int row = 0; row < model.rowCount(); ++row)
            QCOMPARE(model.item(row).id, page.items.at(row).id);

        // A blank query and a small history answer at once, as before.
        model.setQuery(QString());
        QCOMPARE(answers.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestClipboardSearch)
#include "tst_ClipboardSearch.moc"
