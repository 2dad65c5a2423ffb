#include "SearchHistory.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

#include <sys/stat.h>

using namespace SearchHistory;

class TestSearchColumn final : public QObject
{
    Q_OBJECT

    OpenedFile m_file;

private Q_SLOTS:
    void cleanup() { m_file.close(); }

    // The column beside the file answers as the scan of the file does, for entries in its
    // snapshot and for those changed, deleted and added since; a deleted entry's text is
    // erased where it lies.
    void theColumnFindsWhatTheFileHolds()
    {
        if (QThread::idealThreadCount() < 2)
            QSKIP("With one processor the history is searched by SQLite alone, on the asking thread");
        TestHome home;
        QVERIFY(QDir().mkpath(folder()));
        const QString path = filePath();
        QList<ClipboardItem> items = history(20000);
        items[5].content = QStringLiteral("Secret XYZZY");
        std::unique_ptr<ClipboardDatabase> opened = m_file.open(path);
        ClipboardDatabase &database = *opened;
        ClipboardDatabase::Changes changes;
        changes.items = items;
        QVERIFY(ClipboardDatabase::write(database.sql(), changes));
        // The first scan reads the file and has the column made meanwhile.
        compareEveryTerm(database, items);
        QVERIFY(database.search().waitForColumn());
        QVERIFY(QFileInfo::exists(path + QStringLiteral("-search")));
        compareEveryTerm(database, items);

        // Copied again (newest now, from another source), deleted one by one and by period, added.
        changes = {};
        for (int i = 0; i < 20000; i += 97) {
            items[i].lastCopiedAt = QDateTime::fromMSecsSinceEpoch(1'800'000'000'000 + i, Qt::UTC);
            items[i].sourceAppName = QStringLiteral("Résumé Builder");
            changes.items << items[i];
        }
        for (int i = 13; i < 20000; i += 89) {
            if (i % 97 != 0)
                changes.deletions << items[i].id;
        }
        const qint64 from = items[6000].lastCopiedAt.toMSecsSinceEpoch();
        const qint64 to = items[6600].lastCopiedAt.toMSecsSinceEpoch();
        changes.ranges << std::pair { from, to };
        const QList<ClipboardItem> added = history(20500).mid(20000);
        changes.items += added;
        QVERIFY(ClipboardDatabase::write(database.sql(), changes));
        items.removeIf([&](const ClipboardItem &item) {
            const qint64 at = item.lastCopiedAt.toMSecsSinceEpoch();
            return changes.deletions.contains(item.id) || (at >= from && at < to);
        });
        items += added;
        compareEveryTerm(database, items);

        // A deleted entry's text leaves the column where it lies: the same file, which scans
        // as the file reads, with the entries deleted before it erased along.
        const QString columnPath = path + QStringLiteral("-search");
        const auto columnHolds = [&](const QByteArray &text) {
            QFile column(columnPath);
            return column.open(QIODevice::ReadOnly) && column.readAll().contains(text);
        };
        const auto inode = [&] {
            struct stat status
            {
            };
            return ::stat(QFile::encodeName(columnPath).constData(), &status) == 0 ? status.st_ino : ino_t(0);
        };
        QVERIFY(columnHolds("secret xyzzy"));
        const ino_t made = inode();
        changes = {};
        changes.deletions << items[5].id;
        QVERIFY(ClipboardDatabase::write(database.sql(), changes));
        database.search().erase(database.sql());
        QVERIFY(!columnHolds("secret xyzzy"));
        QCOMPARE(inode(), made);
        items.removeAt(5);
        compareEveryTerm(database, items);
    }
};

QTEST_GUILESS_MAIN(TestSearchColumn)
#include "tst_SearchColumn.moc"
