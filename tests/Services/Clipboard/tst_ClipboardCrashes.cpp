#include "SearchHistory.h"
#include "Services/Storage/StoreDatabase.h"
#include "TestHome.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <atomic>

#include <sqlite3.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Writes `items` into a new file at `path` in the layout of `version` 6 or 7, which kept the
// names (kind, type, source) in every entry.
bool writeOlderFile(const QString &path, const QList<ClipboardItem> &items, int version)
{
    bool written = true;
    {
        QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("older"));
        connection.setDatabaseName(path);
        written = connection.open();
        QSqlQuery query(connection);
        const QStringList layout {
            QStringLiteral("PRAGMA page_size = 16384"),
            QStringLiteral("PRAGMA journal_mode = WAL"),
            QStringLiteral("CREATE TABLE clipboard_item (seq INTEGER PRIMARY KEY, id BLOB NOT NULL UNIQUE, "
                           "raw_kind TEXT NOT NULL, content TEXT NOT NULL, content_hash BLOB NOT NULL, "
                           "created_at INTEGER NOT NULL, last_copied_at INTEGER NOT NULL, "
                           "copy_count INTEGER NOT NULL, mime_type TEXT NOT NULL, source_app_name TEXT NOT NULL, "
                           "source_bundle_id TEXT NOT NULL, byte_count INTEGER NOT NULL, "
                           "pixel_width INTEGER NOT NULL, pixel_height INTEGER NOT NULL, image_path TEXT, "
                           "thumbnail_path TEXT, text_path TEXT)"),
            QStringLiteral("CREATE INDEX clipboard_item_hash ON clipboard_item (substr(content_hash, 1, 8))"),
            version == 6
                ? QStringLiteral("CREATE INDEX clipboard_item_recent ON clipboard_item (last_copied_at, id DESC)")
                : QStringLiteral("CREATE INDEX clipboard_item_recent ON clipboard_item (last_copied_at)"),
            QStringLiteral("CREATE TABLE clipboard_change (n INTEGER PRIMARY KEY AUTOINCREMENT, seq INTEGER NOT NULL)"),
            QStringLiteral("CREATE TRIGGER clipboard_item_changed AFTER UPDATE ON clipboard_item "
                           "BEGIN INSERT INTO clipboard_change (seq) VALUES (old.seq); END"),
            QStringLiteral("BEGIN"),
        };
        for (const QString &statement : layout)
            written = written && query.exec(statement);
        written = written
            && query.prepare(QStringLiteral(
                "INSERT INTO clipboard_item (id, raw_kind, content, content_hash, created_at, last_copied_at, "
                "copy_count, mime_type, source_app_name, source_bundle_id, byte_count, pixel_width, pixel_height, "
                "image_path, thumbnail_path, text_path) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const ClipboardItem &item : items) {
            const QVariantList values { ClipboardDatabase::idValue(item.id), item.rawKind, item.content,
                ClipboardDatabase::hashValue(item.contentHash), item.createdAt.toMSecsSinceEpoch(),
                item.lastCopiedAt.toMSecsSinceEpoch(), item.copyCount, item.mimeType, item.sourceAppName,
                item.sourceAppId, item.byteCount, item.pixelWidth, item.pixelHeight,
                item.imagePath ? QVariant(*item.imagePath) : QVariant(),
                item.thumbnailPath ? QVariant(*item.thumbnailPath) : QVariant(),
                item.textPath ? QVariant(*item.textPath) : QVariant() };
            for (qsizetype i = 0; i < values.size(); ++i)
                query.bindValue(int(i), values[i]);
            written = written && query.exec();
        }
        written = written && query.exec(QStringLiteral("COMMIT"));
        // The layout before: a folded copy beside the entry's text.
        if (version == 6) {
            for (const char *statement : { "ALTER TABLE clipboard_item ADD COLUMN search_content TEXT",
                     "ALTER TABLE clipboard_item ADD COLUMN search_app TEXT",
                     "UPDATE clipboard_item SET search_content = lower(content), search_app = lower(source_app_name)" })
                written = written && query.exec(QString::fromLatin1(statement));
        }
        // The layout after: the names kept once, each entry with their codes, and a name left
        // behind by entries deleted since.
        if (version == 8) {
            for (const char *statement : { "DROP INDEX clipboard_item_hash", "DROP INDEX clipboard_item_recent",
                     "DROP TRIGGER clipboard_item_changed", "ALTER TABLE clipboard_item RENAME TO before",
                     "CREATE TABLE clipboard_name (code INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE)",
                     "INSERT INTO clipboard_name (name) SELECT raw_kind FROM before UNION SELECT mime_type FROM before "
                     "UNION SELECT source_app_name FROM before UNION SELECT source_bundle_id FROM before "
                     "UNION SELECT 'Gone Editor'",
                     "CREATE TABLE clipboard_item (seq INTEGER PRIMARY KEY, id BLOB NOT NULL UNIQUE, "
                     "kind_code INTEGER NOT NULL, content TEXT NOT NULL, content_hash BLOB NOT NULL, "
                     "created_at INTEGER NOT NULL, last_copied_at INTEGER NOT NULL, copy_count INTEGER NOT NULL, "
                     "mime_code INTEGER NOT NULL, app_name_code INTEGER NOT NULL, app_id_code INTEGER NOT NULL, "
                     "byte_count INTEGER NOT NULL, pixel_width INTEGER NOT NULL, pixel_height INTEGER NOT NULL, "
                     "image_path TEXT, thumbnail_path TEXT, text_path TEXT)",
                     "INSERT INTO clipboard_item SELECT seq, id, (SELECT code FROM clipboard_name WHERE name = "
                     "raw_kind), "
                     "content, content_hash, created_at, last_copied_at, copy_count, "
                     "(SELECT code FROM clipboard_name WHERE name = mime_type), "
                     "(SELECT code FROM clipboard_name WHERE name = source_app_name), "
                     "(SELECT code FROM clipboard_name WHERE name = source_bundle_id), byte_count, pixel_width, "
                     "pixel_height, image_path, thumbnail_path, text_path FROM before",
                     "DROP TABLE before", "CREATE INDEX clipboard_item_recent ON clipboard_item (last_copied_at)",
                     "CREATE INDEX clipboard_item_hash ON clipboard_item (substr(content_hash, 1, 8))",
                     "CREATE TRIGGER clipboard_item_changed AFTER UPDATE ON clipboard_item "
                     "BEGIN INSERT INTO clipboard_change (seq) VALUES (old.seq); END" })
                written = written && query.exec(QString::fromLatin1(statement));
        }
        written = written && query.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("older"));
    return written;
}

} // namespace

using namespace SearchHistory;

class TestClipboardCrashes final : public QObject
{
    Q_OBJECT

    OpenedFile m_file;

private Q_SLOTS:
    void cleanup() { m_file.close(); }

    void aDeletedTextIsInNoFileAfterACrash_data()
    {
        QTest::addColumn<int>("killed");
        QTest::addColumn<bool>("kept");
        QTest::newRow("saved, before its log is folded") << 0 << false;
        QTest::newRow("saved, before the column is told") << 1 << false;
        QTest::newRow("erased from the column, as its log goes") << 2 << false;
        QTest::newRow("erased from the column") << 3 << true;
    }

    // Killed once an entry's deletion is saved, before the file's log is folded back, before
    // the column hears of it, as its records are erased or after: once the history shows after
    // the next start, no file of the store's folder holds the entry's text, nothing half made
    // is left, and the column answers as the file does; only an erasure told whole keeps the
    // column.
    void aDeletedTextIsInNoFileAfterACrash()
    {
        QFETCH(int, killed);
        QFETCH(bool, kept);
        TestHome home;
        QList<ClipboardItem> items = history(20000);
        items[1234].content = QStringLiteral("plover xyzzy");
        QVERIFY(storeOf(items));
        const QString path = filePath();
        const auto heldBy = [&] {
            QStringList holders;
            QDirIterator files(folder(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (files.hasNext()) {
                QFile file(files.next());
                if (!file.open(QIODevice::ReadOnly) || file.readAll().contains("plover xyzzy")
                    || file.fileName().endsWith(QStringLiteral(".part")))
                    holders << file.fileName();
            }
            return holders;
        };
        // Erased in place, the column keeps its size; made afresh, it lacks the entry.
        const auto size = [&] { return QFileInfo(path + QStringLiteral("-search")).size(); };
        const qint64 made = size();
        QVERIFY(made > 0);

        const pid_t child = ::fork();
        if (child == 0) {
            // The threads made after the fork take none of glib's locks, which a thread of the
            // parent may have held at it.
            ::setenv("QT_NO_THREADED_GLIB", "1", 1);
            // Killed in the writer's transaction that follows the erasure.
            static std::atomic<bool> armed = false;
            sqlite3_auto_extension(reinterpret_cast<void (*)()>(+[](sqlite3 *handle, char **, const void *) {
                sqlite3_progress_handler(
                    handle, 5,
                    [](void *connection) {
                        auto *own = static_cast<sqlite3 *>(connection);
                        if (armed && sqlite3_db_readonly(own, "main") == 0 && !sqlite3_get_autocommit(own))
                            ::raise(SIGKILL);
                        return 0;
                    },
                    handle);
                return SQLITE_OK;
            }));
            // As the store's save does: the deletion saved and the log folded, then the column told.
            std::unique_ptr<ClipboardDatabase> database = m_file.open(path);
            ClipboardDatabase::Changes changes;
            changes.deletions << items[1234].id;
            if (!ClipboardDatabase::write(database->sql(), changes))
                ::_exit(2);
            if (killed == 0)
                ::raise(SIGKILL);
            if (!database->sql().foldLog())
                ::_exit(2);
            if (killed == 1)
                ::raise(SIGKILL);
            armed = killed == 2;
            database->search().erase(database->sql());
            if (killed == 3)
                ::raise(SIGKILL);
            ::_exit(1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        auto store = ClipboardStore::make(folder(), IntegrityCheck::InBackground);
        store->waitForCheck();
        QVERIFY(!store->loadError());
        QCOMPARE(heldBy(), QStringList());
        QCOMPARE(store->count(QStringLiteral("xyzzy")), 0);
        store->waitForBackgroundWork();
        QCOMPARE(heldBy(), QStringList());
        QCOMPARE(size() == made, kept);
        items.removeAt(1234);
        store.reset();
        std::unique_ptr<ClipboardDatabase> database = m_file.open(path);
        compareEveryTerm(*database, items);
    }

    // Killed with a log beside its file: the next start shows the history once the file is
    // checked, and its writer, alone with the log's index in this process, saves.
    void aLogLeftByACrashKeepsTheWriterWriting()
    {
        TestHome home;
        QVERIFY(QDir().mkpath(folder()));
        const QString path = filePath();
        QVERIFY(storeOf(history(100)));
        const pid_t child = ::fork();
        if (child == 0) {
            std::unique_ptr<ClipboardDatabase> database = std::move(ClipboardDatabase::open(path)).value();
            ClipboardDatabase::Changes changes;
            changes.items = history(101).mid(100);
            if (!ClipboardDatabase::write(database->sql(), changes))
                ::_exit(2);
            ::raise(SIGKILL);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QVERIFY(QFileInfo::exists(path + QStringLiteral("-wal")));

        auto store = ClipboardStore::make(folder(), IntegrityCheck::InBackground);
        QVERIFY(!store->readsFile());
        store->waitForCheck();
        QCOMPARE(store->count(), 101);
        ClipboardCapture capture;
        capture.id = QUuid::createUuid();
        capture.content = QStringLiteral("after the crash");
        capture.contentHash = QStringLiteral("after");
        capture.copiedAt = QDateTime::currentDateTimeUtc();
        capture.mimeType = QStringLiteral("public.utf8-plain-text");
        store->record(capture);
        store->waitForBackgroundWork();
        QVERIFY(!store->hasPendingChanges());
        QCOMPARE(ClipboardStore::make(folder())->count(), 102);
    }

    void anOlderFileIsUpgradedWithTheCheckAndSurvivesAKill_data()
    {
        QTest::addColumn<int>("layout");
        QTest::newRow("folded copies beside the texts") << 6;
        QTest::newRow("names in every entry") << 7;
        QTest::newRow("every hash kept") << 8;
    }

    // A file of an earlier layout is brought up to date off the main thread, with the check,
    // and reads the same: entries with their names, order, search. Killed halfway through
    // that, it is left as it was, and the next start upgrades it.
    void anOlderFileIsUpgradedWithTheCheckAndSurvivesAKill()
    {
        QFETCH(int, layout);
        TestHome home;
        QVERIFY(QDir().mkpath(folder()));
        const QString path = filePath();
        QList<ClipboardItem> items = history(3000);
        // Names beyond the usual: a kind no query names, a type of its own, no source at all.
        items[5].rawKind = QStringLiteral("sketch");
        items[6].mimeType = QStringLiteral("public.png");
        items[6].rawKind = QStringLiteral("image");
        items[7].sourceAppName = QStringLiteral("");
        items[7].sourceAppId = QStringLiteral("");
        // Most hashes are their texts' own, as copies make them; others (pictures', imports')
        // are not.
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QByteArray hashed = i % 5 == 4 ? QByteArray::number(i) : items[i].content.toUtf8();
            if (i % 7 != 3)
                items[i].contentHash
                    = QString::fromLatin1(QCryptographicHash::hash(hashed, QCryptographicHash::Sha256).toHex());
        }
        QVERIFY(writeOlderFile(path, items, layout));
        // A search column of the release before, which the upgraded file no longer matches.
        {
            QFile column(path + QStringLiteral("-search"));
            QVERIFY(column.open(QIODevice::WriteOnly));
            column.write(QByteArray(4096, 'x'));
        }
        const auto version = [&] {
            QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("look"));
            connection.setDatabaseName(path);
            int found = -1;
            if (connection.open()) {
                QSqlQuery query(QStringLiteral("PRAGMA user_version"), connection);
                found = query.next() ? query.value(0).toInt() : -1;
            }
            connection = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("look"));
            return found;
        };

        // Killed in the middle of the upgrade's transaction.
        const pid_t child = ::fork();
        if (child == 0) {
            sqlite3_auto_extension(reinterpret_cast<void (*)()>(+[](sqlite3 *handle, char **, const void *) {
                sqlite3_progress_handler(
                    handle, 1000,
                    [](void *connection) {
                        static int steps = 0;
                        if (!sqlite3_get_autocommit(static_cast<sqlite3 *>(connection)) && ++steps > 20)
                            ::raise(SIGKILL);
                        return 0;
                    },
                    handle);
                return SQLITE_OK;
            }));
            // Killed in the middle of the upgrade its writer runs, the child never gets to either end.
            ::_exit(StoreDatabase::open(path, ClipboardDatabase::schema(), StoreFileCheck::Contents::Older) ? 1 : 2);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QCOMPARE(version(), layout);

        auto store = ClipboardStore::make(folder(), IntegrityCheck::InBackground);
        store->waitForCheck();
        QVERIFY(!store->loadError());
        QCOMPARE(version(), ClipboardDatabase::schema().version);
        QList<ClipboardItem> expected = items;
        std::sort(expected.begin(), expected.end(), &ClipboardItem::recentOrder);
        const QList<ClipboardItem> read = store->items();
        QCOMPARE(read.size(), expected.size());
        for (qsizetype i = 0; i < read.size(); ++i) {
            const ClipboardItem &a = read[i];
            const ClipboardItem &b = expected[i];
            QCOMPARE(a.id, b.id);
            QCOMPARE(std::tie(a.rawKind, a.content, a.contentHash, a.mimeType, a.sourceAppName, a.sourceAppId),
                std::tie(b.rawKind, b.content, b.contentHash, b.mimeType, b.sourceAppName, b.sourceAppId));
            QCOMPARE(
                std::tie(a.createdAt, a.lastCopiedAt, a.copyCount), std::tie(b.createdAt, b.lastCopiedAt, b.copyCount));
        }
        const QStringList looked = terms() + QStringList { QStringLiteral("sketch"), QStringLiteral("images") };
        const QHash<QString, Found> scanned = plainScans(items, looked, 101);
        for (const QString &term : looked) {
            const auto &[found, count] = scanned.value(term);
            const ClipboardStore::Page page = store->page(term, 101);
            QCOMPARE(page.total, count);
            QList<QUuid> ids;
            for (const ClipboardItem &item : page.items)
                ids << item.id;
            QCOMPARE(ids, found);
        }

        // Still one store: an entry copied again folds into its upgraded self, with its new
        // source's names found or added, and reads so after a reopening.
        ClipboardCapture again;
        again.id = QUuid::createUuid();
        again.kind = ClipboardKind::Text;
        again.content = items[7].content;
        again.contentHash = items[7].contentHash;
        again.copiedAt = QDateTime::fromMSecsSinceEpoch(1'900'000'000'000, Qt::UTC);
        again.firstCopiedAt = again.copiedAt;
        again.mimeType = items[7].mimeType;
        again.sourceAppName = QStringLiteral("New Editor");
        again.sourceAppId = QStringLiteral("org.example.new");
        store->record(again);
        store->waitForBackgroundWork();
        store.reset();
        store = ClipboardStore::make(folder());
        QCOMPARE(store->count(), items.size());
        const ClipboardItem newest = store->items(1).constFirst();
        QCOMPARE(newest.id, items[7].id);
        QCOMPARE(std::tie(newest.sourceAppName, newest.sourceAppId, newest.rawKind),
            std::tie(again.sourceAppName, again.sourceAppId, items[7].rawKind));
        QCOMPARE(store->count(QStringLiteral("new editor")), 1);

        // Each name counted its uses: the one no entry used is gone, and the others go with
        // their last entries.
        const auto names = [&] {
            QStringList found;
            {
                QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("look"));
                connection.setDatabaseName(path);
                QSqlQuery query(connection);
                if (connection.open() && query.exec(QStringLiteral("SELECT name FROM clipboard_name")))
                    while (query.next())
                        found << query.value(0).toString();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("look"));
            return found;
        };
        QVERIFY(!names().contains(QStringLiteral("Gone Editor")));
        QVERIFY(names().contains(QStringLiteral("sketch")));
        store->deleteItems({ items[5] });
        QList<ClipboardItem> fromCafe;
        for (const ClipboardItem &item : store->items()) {
            if (item.sourceAppName == QStringLiteral("Café"))
                fromCafe << item;
        }
        QVERIFY(!fromCafe.isEmpty());
        store->deleteItems(fromCafe);
        store->waitForBackgroundWork();
        QVERIFY(!names().contains(QStringLiteral("sketch")));
        QVERIFY(!names().contains(QStringLiteral("Café")));
        QVERIFY(names().contains(QStringLiteral("Web Browser")));
    }
};

QTEST_GUILESS_MAIN(TestClipboardCrashes)
#include "tst_ClipboardCrashes.moc"
