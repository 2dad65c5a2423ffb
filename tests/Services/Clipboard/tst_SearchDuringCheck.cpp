#include "SearchHistory.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

#include <sys/stat.h>

using namespace SearchHistory;

class TestSearchDuringCheck final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void searchesDuringTheCheckAnswerAsTheFileDoes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("with its column") << QStringLiteral("column");
        QTest::newRow("without one, in spans") << QStringLiteral("spans");
        QTest::newRow("damaged inside") << QStringLiteral("damaged");
    }

    // While the file is checked after a start, searches read it as it is, with what was
    // copied and deleted meanwhile over it, and change nothing on the disk; a damaged file's
    // entries go once the check finds it so, and what was copied meanwhile stays.
    void searchesDuringTheCheckAnswerAsTheFileDoes()
    {
        QFETCH(QString, file);
        if (QThread::idealThreadCount() < 2)
            QSKIP("With one processor the history is searched by SQLite alone, on the asking thread");
        TestHome home;
        QVERIFY(QDir().mkpath(folder()));
        const QString path = filePath();
        QList<ClipboardItem> items = history(12000);
        storeOf(items)->waitForBackgroundWork();
        QVERIFY(QFileInfo::exists(path + QStringLiteral("-search")));
        const QString columnPath = path + QStringLiteral("-search");
        if (file != QStringLiteral("column"))
            QVERIFY(QFile::remove(columnPath));
        if (file == QStringLiteral("damaged")) {
            QFile raw(path);
            QVERIFY(raw.open(QIODevice::ReadWrite) && raw.seek(raw.size() / 2 / 16384 * 16384));
            raw.write(QByteArray(16384, '\x5a'));
        }
        QFile raw(path);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const QByteArray before = raw.readAll();

        auto store = ClipboardStore::make(folder(), IntegrityCheck::InBackground);
        QVERIFY(store->isChecking());
        QVERIFY(store->readsFile());
        const auto answers = [&store](const QString &term) {
            QFuture<std::optional<ClipboardSearch::Scan>> scan = store->scanInBackground(term, 501);
            return store->page(term, scan.isValid() ? scan.result() : std::nullopt, 501);
        };
        const auto compareAll = [&] {
            const QHash<QString, Found> scanned = plainScans(items, terms(), 501);
            for (const QString &term : terms()) {
                const auto &[expected, count] = scanned.value(term);
                const ClipboardStore::Page page = answers(term);
                QCOMPARE(page.total, count);
                QList<QUuid> found;
                for (const ClipboardItem &item : page.items)
                    found << item.id;
                QVERIFY2(found == expected, qPrintable(term));
            }
        };
        if (file != QStringLiteral("damaged"))
            compareAll();
        // A copy and a deletion meanwhile show at once, over the file.
        ClipboardItem copied = items.first();
        copied.id = QUuid::createUuid();
        copied.content = QStringLiteral("Plover price");
        copied.contentHash = QStringLiteral("plover");
        copied.lastCopiedAt = QDateTime::fromMSecsSinceEpoch(1'900'000'000'000, Qt::UTC);
        ClipboardCapture capture;
        capture.id = copied.id;
        capture.kind = ClipboardKind::Text;
        capture.content = copied.content;
        capture.contentHash = copied.contentHash;
        capture.copiedAt = copied.lastCopiedAt;
        capture.sourceAppName = copied.sourceAppName;
        capture.sourceAppId = copied.sourceAppId;
        capture.mimeType = copied.mimeType;
        store->record(capture);
        const ClipboardItem gone = items.takeAt(items.size() - 2);
        store->deleteItems({ gone });
        items << *store->item(copied.id);
        if (file != QStringLiteral("damaged"))
            compareAll();
        QVERIFY(raw.seek(0));
        QCOMPARE(raw.readAll(), before);

        store->waitForCheck();
        QVERIFY(!store->isChecking());
        // The column is made during the check, not after it; a damaged file's goes with it.
        QCOMPARE(QFileInfo::exists(columnPath), file != QStringLiteral("damaged"));
        const auto inode = [&] {
            struct stat status
            {
            };
            return ::stat(QFile::encodeName(columnPath).constData(), &status) == 0 ? status.st_ino : ino_t(0);
        };
        const ino_t made = inode();
        if (file == QStringLiteral("damaged")) {
            QVERIFY(store->loadError());
            QVERIFY(!store->readsFile());
            QCOMPARE(store->count(), 1);
            QCOMPARE(store->items(10).first().content, QStringLiteral("Plover price"));
            QCOMPARE(answers(QStringLiteral("price")).total, 1);
            QVERIFY(raw.seek(0));
            QCOMPARE(raw.readAll(), before);
            // Read as it was: not even a log or its index beside it.
            QVERIFY(!QFileInfo::exists(path + QStringLiteral("-wal")));
            QVERIFY(!QFileInfo::exists(path + QStringLiteral("-shm")));
            return;
        }
        QVERIFY(store->readsFile());
        compareAll();
        store->waitForBackgroundWork();
        QVERIFY(!store->hasPendingChanges());
        compareAll();
        // Paired with the file once checked, the same column serves after a reopening.
        store.reset();
        store = ClipboardStore::make(folder());
        store->waitForBackgroundWork();
        QCOMPARE(inode(), made);
        compareAll();
    }
};

QTEST_GUILESS_MAIN(TestSearchDuringCheck)
#include "tst_SearchDuringCheck.moc"
