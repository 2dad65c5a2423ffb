#include "FixedClock.h"
#include "Platform/DataPaths.h"
#include "Services/Clipboard/ClipboardDatabase.h"
#include "Services/Clipboard/ClipboardListModel.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Storage/StoreWriter.h"
#include "TestHome.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QThread>

#include <atomic>
#include <random>

#include <sqlite3.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A history large enough to be scanned in spans on several connections: words with accents,
// capitals, Hangul and digits, links and files, a few long texts, several sources, and runs of
// entries copied at the same moment.
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
        // Now and then a long text, which the column keeps compressed.
        if (i % 997 == 2)
            item.content = QString(item.content + QLatin1Char('\n')).repeated(400);
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

class TestClipboardSearch final : public QObject
{
    Q_OBJECT

private:
    QString folder() const { return DataPaths::appFolder() + QStringLiteral("/Clipboard"); }

    // The file opened as the store opens it, with its one writer, which pairs a column made
    // with the file.
    std::unique_ptr<ClipboardDatabase> openedAt(const QString &path)
    {
        std::unique_ptr<ClipboardDatabase> database = std::move(ClipboardDatabase::open(path)).value();
        m_writer = std::move(StoreWriter::open(path, ClipboardDatabase::schema())).value();
        database->search().useWriter(m_writer);
        return database;
    }

    std::shared_ptr<StoreWriter> m_writer;

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

    // What a scan of `search` finds for every term of a table, against the search's own predicate
    // over `items`: the count and the newest 501 in the history's order.
    static void compareEveryTerm(ClipboardDatabase &database, const QList<ClipboardItem> &items)
    {
        QHash<qint64, QUuid> ids;
        QSqlQuery rows = database.sql().select(QStringLiteral("SELECT seq, id FROM clipboard_item")).value();
        while (rows.next())
            ids.insert(rows.value(0).toLongLong(), ClipboardDatabase::idFrom(rows.value(1)));
        QHash<QUuid, ClipboardItem> byId;
        for (const ClipboardItem &item : items)
            byId.insert(item.id, item);
        for (const QString &term : terms()) {
            const auto [expected, count] = plainScan(items, term, 501);
            const std::optional<ClipboardSearch::Scan> scan
                = database.search().scan(*ClipboardItem::matching(term), 501);
            QVERIFY2(scan, qPrintable(term));
            QCOMPARE(scan->count, count);
            QList<ClipboardItem> found;
            for (qint64 seq : scan->rows)
                found << byId.value(ids.value(seq));
            std::sort(found.begin(), found.end(), &ClipboardItem::recentOrder);
            QList<QUuid> newest;
            for (const ClipboardItem &item : found.first(std::min<qsizetype>(found.size(), 501)))
                newest << item.id;
            QCOMPARE(newest, expected);
        }
    }

    static QStringList terms()
    {
        return { QStringLiteral("pri"), QStringLiteral("PRI"), QStringLiteral("cafe"), QStringLiteral("CAFÉ"),
            QStringLiteral("resume"), QStringLiteral("하"), QStringLiteral("공부"), QStringLiteral("full"),
            QStringLiteral("invoice total"), QStringLiteral("web browser"), QStringLiteral("links"),
            QStringLiteral("files"), QStringLiteral("qu"), QStringLiteral("7"), QStringLiteral("19999"),
            QStringLiteral("zzq"), QStringLiteral("/"),
            // The end of a source's name and the byte that starts the next entry in the column.
            QStringLiteral("editor\u0002") };
    }

    // What going through every entry of `items` with the search's own predicate for `term`
    // finds: the ids of the newest `keep`, in the history's order, and how many match.
    static std::pair<QList<QUuid>, qint64> plainScan(QList<ClipboardItem> items, const QString &term, qint64 keep)
    {
        std::sort(items.begin(), items.end(), &ClipboardItem::recentOrder);
        const ClipboardItem::Predicate predicate = *ClipboardItem::matching(term);
        QList<QUuid> ids;
        qint64 count = 0;
        for (const ClipboardItem &item : items) {
            if (predicate.accepts(item) && ++count <= keep)
                ids << item.id;
        }
        return { ids, count };
    }

private Q_SLOTS:
    void cleanup() { m_writer.reset(); }

    // The column beside the file answers as the scan of the file does, for entries in its
    // snapshot and for those changed, deleted and added since, and after the history is
    // cleared; one damaged is made afresh without a wrong answer.
    void theColumnFindsWhatTheFileHolds()
    {
        if (QThread::idealThreadCount() < 2)
            QSKIP("With one processor the history is searched by SQLite alone, on the asking thread");
        TestHome home;
        QVERIFY(QDir().mkpath(folder()));
        const QString path = folder() + QLatin1Char('/') + ClipboardStore::databaseFileName();
        QList<ClipboardItem> items = history(20000);
        items[5].content = QStringLiteral("Secret XYZZY");
        std::unique_ptr<ClipboardDatabase> opened = openedAt(path);
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

        // Many entries added since: the column is made afresh and holds them.
        changes = {};
        changes.items = history(25500).mid(20500);
        changes.items.last().content = QStringLiteral("Plugh");
        QVERIFY(ClipboardDatabase::write(database.sql(), changes));
        items += changes.items;
        compareEveryTerm(database, items);
        QVERIFY(database.search().waitForColumn());
        QVERIFY(columnHolds("plugh"));
        compareEveryTerm(database, items);

        // Made afresh, it holds the changes itself.
        database.search().waitForColumn();
        opened.reset();
        QCOMPARE(::truncate(QFile::encodeName(columnPath).constData(), 100000), 0);
        opened = openedAt(path);
        compareEveryTerm(*opened, items);
        QVERIFY(opened->search().waitForColumn());
        compareEveryTerm(*opened, items);

        // Damaged inside its first block, which no longer unpacks: the scan answers from the
        // file and has the column made afresh.
        opened.reset();
        {
            QFile column(columnPath);
            QVERIFY(column.open(QIODevice::ReadWrite) && column.seek(4));
            column.write(QByteArray(64, '\xff'));
        }
        opened = openedAt(path);
        opened->search().prepare();
        QVERIFY(opened->search().waitForColumn());
        compareEveryTerm(*opened, items);
        QVERIFY(opened->search().waitForColumn());
        compareEveryTerm(*opened, items);

        // Cleared whole, then filled anew.
        changes = {};
        changes.ranges << std::pair { std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max() };
        changes.items = history(9000);
        QVERIFY(ClipboardDatabase::write(opened->sql(), changes));
        compareEveryTerm(*opened, changes.items);
        QVERIFY(opened->search().waitForColumn());
        compareEveryTerm(*opened, changes.items);
    }

    // Scans from other threads go on while entries are deleted and erased from the column,
    // each answering as the file does before or after the deletion, never between.
    void scansAnswerAlikeWhileEntriesAreErased()
    {
        if (QThread::idealThreadCount() < 2)
            QSKIP("With one processor the history is searched by SQLite alone, on the asking thread");
        TestHome home;
        QVERIFY(QDir().mkpath(folder()));
        const QString path = folder() + QLatin1Char('/') + ClipboardStore::databaseFileName();
        QList<ClipboardItem> items = history(12000);
        std::unique_ptr<ClipboardDatabase> database = openedAt(path);
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

    void aDeletedTextIsInNoFileAfterACrash_data()
    {
        QTest::addColumn<int>("killed");
        QTest::addColumn<bool>("kept");
        QTest::newRow("saved, before the column is told") << 0 << false;
        QTest::newRow("erased from the column, as its log goes") << 1 << false;
        QTest::newRow("erased from the column") << 2 << true;
    }

    // Killed once an entry's deletion is saved, before the column hears of it, as its records
    // are erased or after: once the history shows after the next start, no file of the store's
    // folder holds the entry's text, nothing half made is left, and the column answers as the
    // file does; only an erasure told whole keeps the column.
    void aDeletedTextIsInNoFileAfterACrash()
    {
        QFETCH(int, killed);
        QFETCH(bool, kept);
        TestHome home;
        QList<ClipboardItem> items = history(20000);
        items[1234].content = QStringLiteral("plover xyzzy");
        QVERIFY(storeOf(items));
        const QString path = folder() + QLatin1Char('/') + ClipboardStore::databaseFileName();
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
            std::unique_ptr<ClipboardDatabase> database = openedAt(path);
            ClipboardDatabase::Changes changes;
            changes.deletions << items[1234].id;
            if (!ClipboardDatabase::write(database->sql(), changes) || !database->sql().foldLog())
                ::_exit(2);
            if (killed == 0)
                ::raise(SIGKILL);
            armed = killed == 1;
            database->search().erase(database->sql());
            if (killed == 2)
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
        std::unique_ptr<ClipboardDatabase> database = openedAt(path);
        compareEveryTerm(*database, items);
    }

    void aColumnServesOnlyTheFileItWasMadeFor_data()
    {
        QTest::addColumn<bool>("putBack");
        QTest::newRow("a byte of it changed in place") << false;
        QTest::newRow("an older copy of the file put back") << true;
    }

    // A column whose bytes changed, or made for the file as it was after a copy of it was
    // taken and put back, answers nothing: the scan reads the file and the column is made
    // afresh.
    void aColumnServesOnlyTheFileItWasMadeFor()
    {
        if (QThread::idealThreadCount() < 2)
            QSKIP("With one processor the history is searched by SQLite alone, on the asking thread");
        QFETCH(bool, putBack);
        TestHome home;
        QVERIFY(QDir().mkpath(folder()));
        const QString path = folder() + QLatin1Char('/') + ClipboardStore::databaseFileName();
        const QString columnPath = path + QStringLiteral("-search");
        QList<ClipboardItem> items = history(12000);
        std::unique_ptr<ClipboardDatabase> database = openedAt(path);
        ClipboardDatabase::Changes changes;
        changes.items = items;
        QVERIFY(ClipboardDatabase::write(database->sql(), changes));
        database->search().prepare();
        QVERIFY(database->search().waitForColumn());
        const auto bytesOf = [](const QString &name) {
            QFile file(name);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        // Paired with the file by its writer, it serves again after a reopening.
        const QByteArray made = bytesOf(columnPath);
        database.reset();
        database = openedAt(path);
        database->search().prepare();
        QVERIFY(database->search().waitForColumn());
        QCOMPARE(bytesOf(columnPath), made);
        // Written over in place, as `cp` does, so that the file stays the same one.
        const auto overwrite = [](const QString &name, const QByteArray &bytes) {
            QFile file(name);
            return file.open(QIODevice::ReadWrite) && file.write(bytes) == bytes.size() && file.resize(bytes.size());
        };

        if (putBack) {
            database.reset();
            m_writer.reset();
            const QByteArray copy = bytesOf(path);
            database = openedAt(path);
            changes = {};
            changes.items = history(15000).mid(12000);
            for (int i = 0; i < 12000; i += 3)
                changes.deletions << items[i].id;
            QVERIFY(ClipboardDatabase::write(database->sql(), changes));
            database->search().prepare();
            database->search().erase(database->sql());
            QVERIFY(database->search().waitForColumn());
            database.reset();
            m_writer.reset();
            QVERIFY(overwrite(path, copy));
        } else {
            database.reset();
            QByteArray column = bytesOf(columnPath);
            const qsizetype at = column.indexOf("zz ");
            QVERIFY(at >= 0);
            column[at + 2] = 'q';
            QVERIFY(overwrite(columnPath, column));
        }
        database = openedAt(path);
        database->search().prepare();
        compareEveryTerm(*database, items);
        QVERIFY(database->search().waitForColumn());
        compareEveryTerm(*database, items);
    }

    // The page and the count of a search over a large history are those that going through
    // every entry with the search's own predicate gives, in the history's order.
    void findsWhatEveryEntryWouldSay()
    {
        TestHome home;
        const QList<ClipboardItem> items = history(20000);
        auto store = storeOf(items);
        QVERIFY(store && !store->loadError());
        for (const QString &term : { QStringLiteral("pri"), QStringLiteral("PRI"), QStringLiteral("cafe"),
                 QStringLiteral("CAFÉ"), QStringLiteral("resume"), QStringLiteral("하"), QStringLiteral("공부"),
                 QStringLiteral("full"), QStringLiteral("invoice total"), QStringLiteral("web browser"),
                 QStringLiteral("links"), QStringLiteral("files"), QStringLiteral("qu"), QStringLiteral("7"),
                 QStringLiteral("19999"), QStringLiteral("zzq"), QStringLiteral("/") }) {
            const auto [expected, count] = plainScan(items, term, 501);
            const ClipboardStore::Page page = store->page(term, 501);
            QList<QUuid> found;
            for (const ClipboardItem &item : page.items)
                found << item.id;
            QCOMPARE(page.total, count);
            QCOMPARE(found, expected);
            QCOMPARE(store->count(term), count);
        }
    }

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
        const QString path = folder() + QLatin1Char('/') + ClipboardStore::databaseFileName();
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
            for (const QString &term : terms()) {
                const auto [expected, count] = plainScan(items, term, 501);
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

    // Killed with a log beside its file: the next start shows the history once the file is
    // checked, and its writer, alone with the log's index in this process, saves.
    void aLogLeftByACrashKeepsTheWriterWriting()
    {
        TestHome home;
        QVERIFY(QDir().mkpath(folder()));
        const QString path = folder() + QLatin1Char('/') + ClipboardStore::databaseFileName();
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
        const QString path = folder() + QLatin1Char('/') + ClipboardStore::databaseFileName();
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
        for (const QString &term : terms() + QStringList { QStringLiteral("sketch"), QStringLiteral("images") }) {
            const auto [found, count] = plainScan(items, term, 101);
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

    // The scan folds every character of the Basic Multilingual Plane, and a sample beyond it,
    // as searchFolded() does: alone, beside capitals, after a letter a mark composes with, and
    // followed by marks, a Hangul final letter or a mark that is ordered among marks; texts that
    // mix scripts, and bytes that are not well-formed UTF-8, too.
    void theScanFoldsAsTheSearchDoes()
    {
        sqlite3 *handle = nullptr;
        QCOMPARE(sqlite3_open(":memory:", &handle), SQLITE_OK);
        const std::unique_ptr<sqlite3, int (*)(sqlite3 *)> closer(handle, &sqlite3_close);
        QVERIFY(ClipboardSearch::install(handle));
        sqlite3_stmt *statement = nullptr;
        QCOMPARE(sqlite3_prepare_v2(handle, "SELECT contains_folded(?, ?)", -1, &statement, nullptr), SQLITE_OK);
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> finisher(statement, &sqlite3_finalize);
        // The whole text's fold, between brackets, is found only where the scan folds it alike.
        const auto storedFoldsAlike = [statement](const QByteArray &stored, const QString &text) {
            const QByteArray folded = ClipboardItem::searchFolded(text).toUtf8();
            sqlite3_reset(statement);
            sqlite3_bind_text(statement, 1, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(statement, 2, stored.constData(), int(stored.size()), SQLITE_TRANSIENT);
            return sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_int(statement, 0) == 1;
        };
        const auto foldsAlike = [&](const QString &text) { return storedFoldsAlike(text.toUtf8(), text); };
        const QStringList marks { QString(), QStringLiteral("\u0301"), QStringLiteral("\u0308\u0327"),
            QStringLiteral("\u0345"), QStringLiteral("\u05B0"), QStringLiteral("\u064B"), QStringLiteral("\u20DD"),
            QStringLiteral("\u302A\u0316"), QStringLiteral("\u11A8"), QStringLiteral("\U0001D165\U0001D167") };
        const auto foldsAloneAndAmong = [&](char32_t c) {
            const QString character = QString::fromUcs4(&c, 1);
            if (!foldsAlike(QLatin1Char('<') + character + QLatin1Char('>')))
                return false;
            for (const QString &after : marks) {
                if (!foldsAlike(QStringLiteral("<Ae") + character + after + QStringLiteral("Z>")))
                    return false;
            }
            return true;
        };
        for (char32_t c = 0x80; c < 0x10000; ++c) {
            if (c < 0xD800 || c >= 0xE000)
                QVERIFY2(foldsAloneAndAmong(c), qPrintable(QString::number(c, 16)));
        }
        // Every character of the planes' busiest blocks, and some of all the others.
        for (char32_t c = 0x10000; c < 0x110000; c += (c >= 0x1D100 && c < 0x1F700) ? 1 : 61)
            QVERIFY2(foldsAloneAndAmong(c), qPrintable(QString::number(c, 16)));

        for (const QString &text : { QStringLiteral("<E\u0301 \u03A3\u038A\u03A3\u03A5\u03A6\u039F\u03A3 \u01C4 \uFB01 "
                                                    "\u00DF \u0130>"),
                 QStringLiteral("<Caf\u00E9 \uD55C\uAD6D\uC5B4 \uFF26\uFF35\uFF2C\uFF2C>"),
                 QStringLiteral("<\u1100\u1161 \u00D1 \uAC00\u11A8 \u3131\u314F>"),
                 QStringLiteral("<\u03A9 \U0001F600 \u0178>"),
                 QStringLiteral("<\u201CQuoted\u201D \u2014 it\u2019s \u20AC12\u2026 \U0001F44D\uFE0F>"),
                 QStringLiteral("<\u6771\u4EAC\u30BF\u30EF\u30FC \uFF71\uFF72 \u3300 \u2460 \u00BD>"),
                 QStringLiteral("<\u0E02\u0E2D\u0E1A\u0E04\u0E38\u0E13 \u0928\u092E\u0938\u094D\u0924\u0947 "
                                "\U0001D400\U0001D56B \U00010400>"),
                 QStringLiteral("\uFEFF<bom \u1B05\u1B44\u1B34>"), QStringLiteral("<\U0001D16D\U0001D165>") })
            QVERIFY2(foldsAlike(text), qPrintable(text));
        // Bytes QString reads as replacement characters.
        for (const QByteArray &stored :
            { QByteArray("<a\xE2\x80"), QByteArray("<\xE0\x80\x80>"), QByteArray("<\xED\xA0\x80>"),
                QByteArray("<\xF5\x80\x80\x80>"), QByteArray("<\xF4\x90\x80\x80>"), QByteArray("<\x80\xC3\xA9>"),
                QByteArray("<\xC3(>"), QByteArray("<\xC3\xC3>"), QByteArray("<\xE2\x82\xC3>") })
            QVERIFY2(storedFoldsAlike(stored, QString::fromUtf8(stored)), stored.toHex().constData());
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
