#include "FakeSystemClipboard.h"
#include "FullDisk.h"
#include "MainThreadSql.h"
#include "Platform/DataPaths.h"
#include "Services/Clipboard/ClipboardDatabase.h"
#include "Services/Clipboard/ClipboardFiles.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Storage/StoreStatement.h"
#include "TestHome.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <sqlite3.h>

#include <limits>

#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, 3, day), QTime(hour, minute), QTimeZone("America/New_York"));
}

ClipboardCalendar newYork()
{
    ClipboardCalendar calendar;
    calendar.timeZone = QTimeZone("America/New_York");
    calendar.firstDayOfWeek = Qt::Sunday;
    calendar.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    return calendar;
}

ClipboardCapture textCapture(const QString &text, const QDateTime &when, const QString &app = QStringLiteral("Editor"),
    const QString &bundle = QStringLiteral("org.example.Editor"))
{
    ClipboardCapture capture;
    capture.id = QUuid::createUuid();
    capture.kind = ClipboardKind::Text;
    capture.content = text;
    capture.contentHash = sha256(text.toUtf8());
    capture.mimeType = QStringLiteral("public.utf8-plain-text");
    capture.byteCount = text.toUtf8().size();
    capture.sourceAppName = app;
    capture.sourceAppId = bundle;
    capture.copiedAt = when;
    capture.firstCopiedAt = when;
    return capture;
}

QString idText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// A long text whose whole form lives in a side file, as the capture writes it.
ClipboardCapture longTextCapture(const QString &folder, const QString &whole, const QDateTime &when)
{
    ClipboardCapture capture = textCapture(whole, when);
    capture.content = whole.left(20000);
    capture.textPath = QStringLiteral("Text/") + idText(capture.id) + QStringLiteral(".txt");
    writeFile(folder + QLatin1Char('/') + *capture.textPath, whole.toUtf8());
    return capture;
}

ClipboardCapture imageCapture(const QString &folder, const QByteArray &bytes, const QDateTime &when)
{
    ClipboardCapture capture;
    capture.id = QUuid::createUuid();
    capture.kind = ClipboardKind::Image;
    capture.contentHash = sha256(bytes);
    capture.mimeType = QStringLiteral("public.png");
    capture.byteCount = bytes.size();
    capture.pixelWidth = 4;
    capture.pixelHeight = 3;
    capture.copiedAt = when;
    capture.firstCopiedAt = when;
    capture.imagePath = QStringLiteral("Images/") + idText(capture.id) + QStringLiteral(".png");
    capture.thumbnailPath = QStringLiteral("Thumbnails/") + idText(capture.id) + QStringLiteral(".png");
    writeFile(folder + QLatin1Char('/') + *capture.imagePath, bytes);
    writeFile(folder + QLatin1Char('/') + *capture.thumbnailPath, "thumb" + bytes);
    return capture;
}

// A second connection to the store's file that can make every write fail, the way a full
// disk or a broken file would, and heal it again.
class WriteBlocker final
{
public:
    explicit WriteBlocker(const QString &file)
        : m_name(QStringLiteral("blocker-") + QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        QVERIFY(db.open());
        // The store's own functions, which its indexes use.
        const QVariant handle = db.driver()->handle();
        QVERIFY(ClipboardDatabase::schema().functions(*static_cast<sqlite3 *const *>(handle.constData())));
    }
    ~WriteBlocker()
    {
        QSqlDatabase::database(m_name).close();
        QSqlDatabase::removeDatabase(m_name);
    }

    void block()
    {
        QSqlQuery query(QSqlDatabase::database(m_name));
        for (const char *event : { "INSERT", "UPDATE", "DELETE" }) {
            const QString statement = QStringLiteral("CREATE TRIGGER block_%1 BEFORE %1 ON clipboard_item "
                                                     "BEGIN SELECT RAISE(ABORT, 'writes are blocked'); END")
                                          .arg(QString::fromLatin1(event));
            QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
        }
    }
    void unblock()
    {
        QSqlQuery query(QSqlDatabase::database(m_name));
        for (const char *event : { "INSERT", "UPDATE", "DELETE" })
            QVERIFY(query.exec(QStringLiteral("DROP TRIGGER block_%1").arg(QString::fromLatin1(event))));
    }
    void exec(const QString &statement)
    {
        QSqlQuery query(QSqlDatabase::database(m_name));
        QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
    }

private:
    QString m_name;
};

} // namespace

class TestClipboardStore final : public QObject
{
    Q_OBJECT

private:
    QString folder() const { return DataPaths::appFolder() + QStringLiteral("/Clipboard"); }
    QString databasePath() const { return folder() + QStringLiteral("/Clipboard.store"); }

private Q_SLOTS:
    void opensOnDiskWithPrivateFolders()
    {
        TestHome home;
        auto store = ClipboardStore::makeDefault();
        QVERIFY(!store->loadError());
        QCOMPARE(store->folder(), folder());
        QVERIFY(QFileInfo(databasePath()).isFile());
        for (const char *sub : { "Images", "Thumbnails", "Text" }) {
            const QFileInfo info(folder() + QLatin1Char('/') + QLatin1String(sub));
            QVERIFY(info.isDir());
            QVERIFY(!(info.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther)));
        }
    }

    void recordsSurviveReopening()
    {
        TestHome home;
        ClipboardCapture capture = imageCapture(folder(), "png-bytes", at(10, 9, 30));
        capture.sourceAppName = QStringLiteral("Painter");
        capture.sourceAppId = QStringLiteral("org.example.Painter");
        {
            auto store = ClipboardStore::make(folder());
            store->record(capture);
        }
        auto store = ClipboardStore::make(folder());
        QVERIFY(!store->loadError());
        const std::optional<ClipboardItem> item = store->item(capture.id);
        QVERIFY(item);
        const ClipboardItem expected(capture);
        QCOMPARE(item->id, expected.id);
        QCOMPARE(item->rawKind, QStringLiteral("image"));
        QCOMPARE(item->content, QString());
        QCOMPARE(item->contentHash, expected.contentHash);
        QCOMPARE(item->createdAt, expected.createdAt);
        QCOMPARE(item->lastCopiedAt, expected.lastCopiedAt);
        QCOMPARE(item->copyCount, 1);
        QCOMPARE(item->mimeType, expected.mimeType);
        QCOMPARE(item->sourceAppName, expected.sourceAppName);
        QCOMPARE(item->sourceAppId, expected.sourceAppId);
        QCOMPARE(item->byteCount, expected.byteCount);
        QCOMPARE(item->pixelWidth, 4);
        QCOMPARE(item->pixelHeight, 3);
        QCOMPARE(item->imagePath, expected.imagePath);
        QCOMPARE(item->thumbnailPath, expected.thumbnailPath);
        QCOMPARE(item->textPath, std::optional<QString>());
        QCOMPARE(store->itemWithHash(capture.contentHash)->id, capture.id);
    }

    void foldsARepeatedCopy()
    {
        TestHome home;
        auto store = ClipboardStore::make(folder());
        QSignalSpy revisions(store.get(), &ClipboardStore::revisionChanged);
        const QString whole = QString(20001, QLatin1Char('x'));
        const ClipboardCapture first = longTextCapture(folder(), whole, at(10, 9));
        const ClipboardCapture second = longTextCapture(folder(), whole, at(10, 11));
        store->record(first);
        ClipboardCapture fromOther = second;
        fromOther.sourceAppName = QStringLiteral("Terminal");
        fromOther.sourceAppId = QString();
        const ClipboardItem folded = store->record(fromOther);

        QCOMPARE(store->count(), 1);
        QCOMPARE(folded.id, first.id);
        QCOMPARE(folded.copyCount, 2);
        QCOMPARE(folded.createdAt, at(10, 9));
        QCOMPARE(folded.lastCopiedAt, at(10, 11));
        QCOMPARE(folded.sourceAppName, QStringLiteral("Terminal"));
        QCOMPARE(folded.sourceAppId, QString()); // taken together with the name
        QCOMPARE(folded.textPath, first.textPath);
        store->waitForBackgroundWork();
        QVERIFY(QFile::exists(folder() + QLatin1Char('/') + *first.textPath));
        QVERIFY(!QFile::exists(folder() + QLatin1Char('/') + *second.textPath));
        QCOMPARE(revisions.count(), 2);

        // An unnamed source keeps the known one; an older copy does not move the entry back.
        ClipboardCapture anonymous = textCapture(whole, at(10, 8), QString(), QStringLiteral("ignored"));
        const ClipboardItem again = store->record(anonymous);
        QCOMPARE(again.sourceAppName, QStringLiteral("Terminal"));
        QCOMPARE(again.lastCopiedAt, at(10, 11));
        QCOMPARE(again.copyCount, 3);
        QCOMPARE(store->item(first.id)->copyCount, 3);
    }

    void foldsARepeatedImageKeepingTheFirstFiles()
    {
        TestHome home;
        auto store = ClipboardStore::make(folder());
        const ClipboardCapture first = imageCapture(folder(), "same-image", at(10, 9));
        const ClipboardCapture second = imageCapture(folder(), "same-image", at(10, 10));
        store->record(first);
        store->record(second);
        QCOMPARE(store->count(), 1);
        store->waitForBackgroundWork();
        for (const QString &path : first.filePaths())
            QVERIFY(QFile::exists(folder() + QLatin1Char('/') + path));
        for (const QString &path : second.filePaths())
            QVERIFY(!QFile::exists(folder() + QLatin1Char('/') + path));
    }

    void pagesAreNewestFirstAndSearchFolds()
    {
        TestHome home;
        auto store = ClipboardStore::make(folder());
        store->record(textCapture(QStringLiteral("Café au lait"), at(10, 9)));
        store->record(textCapture(QStringLiteral("plain words"), at(10, 10), QStringLiteral("CAFETERIA")));
        store->record(textCapture(QStringLiteral("nothing here"), at(10, 11)));
        ClipboardCapture link = textCapture(QStringLiteral("https://example.org/"), at(10, 12));
        link.kind = ClipboardKind::Url;
        store->record(link);

        const QList<ClipboardItem> page = store->items(2);
        QCOMPARE(page.size(), 2);
        QCOMPARE(page[0].content, QStringLiteral("https://example.org/"));
        QCOMPARE(page[1].content, QStringLiteral("nothing here"));
        QCOMPARE(store->items().size(), 4);

        QCOMPARE(store->count(QStringLiteral("  cafe ")), 2); // content é and the app name
        QCOMPARE(store->count(QStringLiteral("CAFÉ")), 2);
        QCOMPARE(store->items(QStringLiteral("café"), 10).size(), 2);
        QCOMPARE(store->count(QStringLiteral("links")), 1); // names the kind
        QCOMPARE(store->count(QStringLiteral("image x")), 0); // two words name no kind
        QCOMPARE(store->count(QStringLiteral("\n ")), 4); // blank: no filter
        QCOMPARE(store->count(QStringLiteral("zzz")), 0);
    }

    void searchThroughTheStore_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("app");
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("found");

        QTest::newRow("at the start") << "abc tail"
                                      << ""
                                      << "ABC" << true;
        QTest::newRow("at the end") << "head abc"
                                    << ""
                                    << "abc" << true;
        QTest::newRow("whole text") << "abc"
                                    << ""
                                    << "abc" << true;
        QTest::newRow("longer than the text") << "ab"
                                              << ""
                                              << "abc" << false;
        QTest::newRow("almost") << "abd abx zbc"
                                << ""
                                << "abc" << false;
        QTest::newRow("rare letter inside") << "the equal sign"
                                            << ""
                                            << "EQU" << true;
        QTest::newRow("one letter") << "xyz"
                                    << ""
                                    << "Y" << true;
        QTest::newRow("cedilla") << "FAÇADE"
                                 << ""
                                 << "ça" << true;
        QTest::newRow("accent in the text") << "résumé"
                                            << ""
                                            << "RESUME" << true;
        QTest::newRow("accent in the query") << "resume"
                                             << ""
                                             << "résumé" << true;
        QTest::newRow("non-latin") << "Привет мир"
                                   << ""
                                   << "МИР" << true;
        QTest::newRow("hangul syllable is not its first letters") << "한국어 공부"
                                                                  << ""
                                                                  << "하" << false;
        QTest::newRow("hangul word") << "한국어 공부"
                                     << ""
                                     << "국어" << true;
        QTest::newRow("hangul typed as letters") << "\u1112\u1161\u11AB\u1100\u116E\u11A8"
                                                 << ""
                                                 << "한국" << true;
        QTest::newRow("full width") << "ＡＢＣ１２３"
                                    << ""
                                    << "abc12" << true;
        QTest::newRow("source app") << "ls -l"
                                    << "Files"
                                    << "file" << true;
        QTest::newRow("kind word") << "plain"
                                   << ""
                                   << "texts" << true;
        QTest::newRow("quotes and percent") << "100% \"sure\""
                                            << ""
                                            << "% \"s" << true;
        QTest::newRow("like wildcard is literal") << "abc"
                                                  << ""
                                                  << "a_c" << false;
    }

    void searchThroughTheStore()
    {
        QFETCH(QString, content);
        QFETCH(QString, app);
        QFETCH(QString, query);
        QFETCH(bool, found);
        TestHome home;
        auto store = ClipboardStore::make(folder());
        store->record(textCapture(content, at(10, 9), app));
        QCOMPARE(store->count(query), found ? 1 : 0);
        QCOMPARE(store->items(query, 10).size(), found ? 1 : 0);
        // The predicate the pending entries go through agrees with the database.
        QCOMPARE(ClipboardItem::matching(query)->accepts(store->items(1).first()), found);
    }

    // A large history is counted in spans on several connections at once; every span, its
    // edges and a pending change must come out the same as one scan would.
    void searchCountsOverALargeHistory()
    {
        TestHome home;
        auto store = ClipboardStore::make(folder());
        QVERIFY(!store->loadError());
        {
            // Written behind the store's back, as fast as SQLite can: 20,000 rows, every 7th a
            // café, every 5th from a browser, every 10th a link.
            WriteBlocker writer(databasePath());
            writer.exec(QStringLiteral("INSERT INTO clipboard_name (code, name) VALUES (1, 'url'), (2, 'text'), "
                                       "(3, 'public.utf8-plain-text'), (4, 'Browser'), (5, 'Editor'), "
                                       "(6, 'org.example')"));
            writer.exec(QStringLiteral(
                "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 20000) "
                "INSERT INTO clipboard_item (seq, id, kind_code, content, content_hash, created_at, last_copied_at, "
                "copy_count, mime_code, app_name_code, app_id_code, byte_count, pixel_width, pixel_height) "
                "SELECT x, CAST(printf('%016d', x) AS BLOB), iif(x % 10 = 0, 1, 2), "
                "iif(x % 7 = 0, 'Café number ' || x, 'plain ' || x), printf('%064d', x), x, x / 50, 1, "
                "3, iif(x % 5 = 0, 4, 5), 6, 8, 0, 0 FROM n"));
        }
        const QList<std::pair<QString, qint64>> queries {
            { QStringLiteral("CAFÉ"), 20000 / 7 },
            { QStringLiteral("browser"), 20000 / 5 },
            { QStringLiteral("links"), 20000 / 10 },
            { QStringLiteral("plain 1999"), 11 - 2 }, // 1999 and 19990…19999, less the cafés 19992 and 19999
            { QStringLiteral("number 1"), 1587 }, // the cafés whose number starts with 1
            { QStringLiteral("zzq"), 0 },
        };
        for (const auto &[query, expected] : queries) {
            QCOMPARE(store->count(query), expected);
            // The page found while counting is the one the history's own order gives, entries
            // copied at the same moment included (every fifty share one).
            const ClipboardStore::Page page = store->page(query, 101);
            QCOMPARE(page.total, expected);
            QList<QUuid> found;
            QList<QUuid> walked;
            for (const ClipboardItem &item : page.items)
                found << item.id;
            for (const ClipboardItem &item : store->items(query, 101))
                walked << item.id;
            QCOMPARE(found, walked);
        }

        {
            // With a change pending the file is not the whole truth; the count still is.
            WriteBlocker blocker(databasePath());
            blocker.block();
            store->record(textCapture(QStringLiteral("one more café"), at(10, 9)));
            QCOMPARE(store->count(QStringLiteral("cafe")), 20000 / 7 + 1);
            blocker.unblock();
            store->save();
            QCOMPARE(store->count(QStringLiteral("cafe")), 20000 / 7 + 1);
            QCOMPARE(store->count(QStringLiteral("browser")), 20000 / 5);
        }

        // The counting connections let go of the file first, so that closing the store folds
        // the write-ahead log back into it.
        store.reset();
        QVERIFY(!QFileInfo::exists(databasePath() + QStringLiteral("-wal")));
        QCOMPARE(ClipboardStore::make(folder())->count(QStringLiteral("cafe")), 20000 / 7 + 1);
    }

    // A file of the third layout, as the previous release wrote it (ids and hashes as text,
    // Hangul folded into its letters), reads the same once upgraded, and its search rows fold
    // as new ones do.
    void anOlderStoreIsUpgradedAndReadsTheSame()
    {
        TestHome home;
        QVERIFY(QDir().mkpath(folder()));
        ClipboardCapture korean = textCapture(QStringLiteral("한국어 공부"), at(10, 9), QStringLiteral("Gedit"));
        korean.copyCount = 3;
        korean.firstCopiedAt = at(9, 8);
        ClipboardCapture image = imageCapture(folder(), "old-image", at(10, 10));
        image.sourceAppName = QStringLiteral("Caf\u00e9 Viewer");
        ClipboardCapture link = textCapture(QStringLiteral("https://example.org/x"), at(10, 11));
        link.kind = ClipboardKind::Url;
        link.textPath = QStringLiteral("Text/") + idText(link.id) + QStringLiteral(".txt");
        const QList<ClipboardItem> written { ClipboardItem(link), ClipboardItem(image), ClipboardItem(korean) };
        {
            WriteBlocker old(databasePath());
            old.exec(QStringLiteral("PRAGMA page_size = 16384"));
            old.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
            old.exec(QStringLiteral(
                "CREATE TABLE clipboard_item (seq INTEGER PRIMARY KEY, id TEXT NOT NULL UNIQUE, raw_kind TEXT NOT "
                "NULL, "
                "content TEXT NOT NULL, content_hash TEXT NOT NULL, created_at INTEGER NOT NULL, "
                "last_copied_at INTEGER NOT NULL, copy_count INTEGER NOT NULL, mime_type TEXT NOT NULL, "
                "source_app_name TEXT NOT NULL, source_bundle_id TEXT NOT NULL, byte_count INTEGER NOT NULL, "
                "pixel_width INTEGER NOT NULL, pixel_height INTEGER NOT NULL, image_path TEXT, thumbnail_path TEXT, "
                "text_path TEXT)"));
            old.exec(QStringLiteral("CREATE INDEX clipboard_item_recent ON clipboard_item (last_copied_at DESC, id)"));
            old.exec(QStringLiteral("CREATE INDEX clipboard_item_hash ON clipboard_item (content_hash)"));
            old.exec(QStringLiteral("CREATE TABLE clipboard_search (seq INTEGER PRIMARY KEY, raw_kind TEXT NOT NULL, "
                                    "search_app TEXT NOT NULL, search_content TEXT NOT NULL, "
                                    "last_copied_at INTEGER NOT NULL DEFAULT 0)"));
            for (const ClipboardItem &item : written) {
                const auto text = [](const std::optional<QString> &value) {
                    return value ? QLatin1Char('\'') + *value + QLatin1Char('\'') : QStringLiteral("NULL");
                };
                old.exec(QStringLiteral("INSERT INTO clipboard_item (id, raw_kind, content, content_hash, created_at, "
                                        "last_copied_at, copy_count, mime_type, source_app_name, source_bundle_id, "
                                        "byte_count, pixel_width, pixel_height, image_path, thumbnail_path, text_path) "
                                        "VALUES ('%1', '%2', '%3', '%4', %5, %6, %7, '%8', '%9', '%10', %11, %12, %13, "
                                        "%14, %15, %16)")
                             .arg(idText(item.id), item.rawKind, item.content, item.contentHash)
                             .arg(item.createdAt.toMSecsSinceEpoch())
                             .arg(item.lastCopiedAt.toMSecsSinceEpoch())
                             .arg(item.copyCount)
                             .arg(item.mimeType, item.sourceAppName, item.sourceAppId)
                             .arg(item.byteCount)
                             .arg(item.pixelWidth)
                             .arg(item.pixelHeight)
                             .arg(text(item.imagePath), text(item.thumbnailPath), text(item.textPath)));
            }
            // The folding of that release: Hangul syllables split into their letters.
            old.exec(QStringLiteral("INSERT INTO clipboard_search SELECT seq, raw_kind, lower(source_app_name), "
                                    "iif(content = '한국어 공부', '\u1112\u1161\u11AB\u1100\u116E\u11A8\u110B\u1165 "
                                    "\u1100\u1169\u11BC\u1107\u116E', lower(content)), last_copied_at "
                                    "FROM clipboard_item"));
            old.exec(QStringLiteral("PRAGMA user_version = 3"));
        }

        auto store = ClipboardStore::make(folder());
        QVERIFY(!store->loadError());
        const QList<ClipboardItem> read = store->items();
        QCOMPARE(read.size(), written.size());
        for (qsizetype i = 0; i < read.size(); ++i) {
            const ClipboardItem &a = read[i];
            const ClipboardItem &b = written[i];
            QCOMPARE(a.id, b.id);
            QCOMPARE(std::tie(a.rawKind, a.content, a.contentHash, a.mimeType, a.sourceAppName, a.sourceAppId),
                std::tie(b.rawKind, b.content, b.contentHash, b.mimeType, b.sourceAppName, b.sourceAppId));
            QCOMPARE(std::tie(a.createdAt, a.lastCopiedAt, a.copyCount, a.byteCount, a.pixelWidth, a.pixelHeight),
                std::tie(b.createdAt, b.lastCopiedAt, b.copyCount, b.byteCount, b.pixelWidth, b.pixelHeight));
            QCOMPARE(
                std::tie(a.imagePath, a.thumbnailPath, a.textPath), std::tie(b.imagePath, b.thumbnailPath, b.textPath));
            QCOMPARE(store->item(b.id)->content, b.content);
        }
        QCOMPARE(store->itemWithHash(korean.contentHash)->id, korean.id);
        QCOMPARE(store->count(QStringLiteral("하")), 0);
        QCOMPARE(store->count(QStringLiteral("국어")), 1);
        QCOMPARE(store->count(QStringLiteral("cafe")), 1);
        QCOMPARE(store->count(QStringLiteral("links")), 1);

        // Still one store: a repeated copy folds into the upgraded entry, and a deletion finds it.
        store->record(textCapture(korean.content, at(10, 12)));
        QCOMPARE(store->count(), 3);
        QCOMPARE(store->items(1).first().id, korean.id);
        store->deleteItems({ *store->item(image.id) });
        store->waitForBackgroundWork();
        store.reset();
        QCOMPARE(ClipboardStore::make(folder())->count(), 2);
    }

    void periodQueriesUseHalfOpenIntervals()
    {
        TestHome home;
        auto store = ClipboardStore::make(folder());
        const QDateTime now = at(11, 15);
        store->record(textCapture(QStringLiteral("start of today"), at(11, 0)));
        store->record(textCapture(QStringLiteral("end of yesterday"), at(11, 0).addMSecs(-1)));
        store->record(textCapture(QStringLiteral("start of tomorrow"), at(12, 0)));
        store->record(textCapture(QStringLiteral("afternoon"), at(11, 14)));
        store->record(textCapture(QStringLiteral("last week"), at(3, 12))); // Tuesday of the week before
        const ClearRequest today = ClearRequest::of(ClipboardPeriod::Today);
        const QList<ClipboardItem> items = store->items(today, now, newYork());
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0].content, QStringLiteral("afternoon"));
        QCOMPARE(items[1].content, QStringLiteral("start of today"));
        QCOMPARE(store->count(today, now, newYork()), 2);
        QCOMPARE(store->count(ClearRequest::of(ClipboardPeriod::LastWeek), now, newYork()), 1);
        QCOMPARE(store->count(ClearRequest::all(), now, newYork()), 5);

        QSignalSpy revisions(store.get(), &ClipboardStore::revisionChanged);
        store->deleteItems(QList<ClipboardItem> {});
        QCOMPARE(revisions.count(), 0);

        store->deleteItems(today, now, newYork());
        QCOMPARE(store->count(), 3);
        QCOMPARE(store->count(today, now, newYork()), 0);
        store->deleteItems(ClearRequest::all(), now, newYork());
        QCOMPARE(store->count(), 0);
    }

    void copyBack_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("urls");
        QTest::addColumn<QByteArray>("png");

        QTest::newRow("text") << "text" << true << "hello" << QStringList() << QByteArray();
        QTest::newRow("code") << "code" << true << "int x;" << QStringList() << QByteArray();
        QTest::newRow("link") << "url" << true << "www.Example.org"
                              << QStringList { QStringLiteral("https://www.example.org") } << QByteArray();
        QTest::newRow("link that is no web link")
            << "url" << true << "file:///etc/passwd" << QStringList() << QByteArray();
        QTest::newRow("link that does not parse")
            << "url" << true << "http://exa mple" << QStringList() << QByteArray();
        QTest::newRow("long text from its side file") << "long" << true << QString() << QStringList() << QByteArray();
        QTest::newRow("long text whose side file is gone")
            << "long-missing" << false << QString() << QStringList() << QByteArray();
        QTest::newRow("image") << "image" << true << QString() << QStringList() << QByteArray("png-bytes");
        QTest::newRow("image whose file is gone")
            << "image-missing" << false << QString() << QStringList() << QByteArray();
        QTest::newRow("image path outside the folder")
            << "image-outside" << false << QString() << QStringList() << QByteArray();
        QTest::newRow("three files") << "file" << true << QString()
                                     << QStringList { QStringLiteral("file:///home/u/a.txt"),
                                            QStringLiteral("file:///home/u/b c.txt"),
                                            QStringLiteral("file:///home/u/d.txt") }
                                     << QByteArray();
        QTest::newRow("refused by the systemClipboard")
            << "refused" << false << "hello" << QStringList() << QByteArray();
    }

    void copyBack()
    {
        QFETCH(QString, kind);
        QFETCH(bool, succeeds);
        QFETCH(QString, text);
        QFETCH(QStringList, urls);
        QFETCH(QByteArray, png);

        TestHome home;
        auto store = ClipboardStore::make(folder());
        FakeSystemClipboard systemClipboard;
        systemClipboard.copyText(QStringLiteral("before"));

        const QString whole = QString(19999, QLatin1Char('a')) + QStringLiteral("bcdef");
        ClipboardCapture capture;
        if (kind == QStringLiteral("long") || kind == QStringLiteral("long-missing")) {
            capture = longTextCapture(folder(), whole, at(10, 9));
            if (kind == QStringLiteral("long-missing"))
                QFile::remove(folder() + QLatin1Char('/') + *capture.textPath);
        } else if (kind.startsWith(QStringLiteral("image"))) {
            capture = imageCapture(folder(), "png-bytes", at(10, 9));
            if (kind == QStringLiteral("image-missing"))
                QFile::remove(folder() + QLatin1Char('/') + *capture.imagePath);
            if (kind == QStringLiteral("image-outside")) {
                writeFile(home.path() + QStringLiteral("/secret.png"), "secret");
                capture.imagePath = QStringLiteral("Images/../../../../secret.png");
            }
        } else if (kind == QStringLiteral("file")) {
            capture = textCapture(QStringLiteral("/home/u/a.txt\n/home/u/b c.txt\n\n/home/u/d.txt"), at(10, 9));
            capture.kind = ClipboardKind::File;
        } else {
            capture = textCapture(text, at(10, 9));
            capture.kind = kind == QStringLiteral("code") ? ClipboardKind::Code
                : kind == QStringLiteral("url")           ? ClipboardKind::Url
                                                          : ClipboardKind::Text;
            systemClipboard.setRefusesWrites(kind == QStringLiteral("refused"));
        }
        const ClipboardItem item = store->record(capture);
        const qint64 revision = store->revision();

        std::optional<qint64> reported;
        std::optional<qint64> countWhenReported;
        QObject::connect(store.get(), &ClipboardStore::copiedBack, store.get(), [&](qint64 changeCount) {
            reported = changeCount;
            countWhenReported = store->item(item.id)->copyCount;
        });
        const bool copied = store->copy(item, systemClipboard, at(10, 12));
        QCOMPARE(copied, succeeds);

        const ClipboardItem after = *store->item(item.id);
        if (!succeeds) {
            QVERIFY(!reported);
            QCOMPARE(after.copyCount, 1);
            QCOMPARE(after.lastCopiedAt, at(10, 9));
            QCOMPARE(store->revision(), revision);
            if (kind != QStringLiteral("refused")) {
                QCOMPARE(systemClipboard.writeCount(), 0); // untouched
                QCOMPARE(systemClipboard.contents().text(), QStringLiteral("before"));
            }
            return;
        }

        QCOMPARE(reported, std::optional<qint64>(2));
        QCOMPARE(countWhenReported, std::optional<qint64>(1)); // told before the entry changes
        QCOMPARE(after.copyCount, 2);
        QCOMPARE(after.lastCopiedAt, at(10, 12));
        QCOMPARE(store->revision(), revision + 1);

        const QMimeData &written = systemClipboard.contents();
        if (kind == QStringLiteral("long")) {
            QCOMPARE(written.text(), whole);
        } else if (kind == QStringLiteral("image")) {
            QCOMPARE(written.formats(), QStringList { QStringLiteral("image/png") });
            QCOMPARE(written.data(QStringLiteral("image/png")), png);
        } else if (kind == QStringLiteral("file")) {
            QVERIFY(!written.hasFormat(QStringLiteral("text/plain")));
            QCOMPARE(written.data(QStringLiteral("x-special/gnome-copied-files")).split('\n').size(), 4);
        } else {
            QCOMPARE(written.text(), text);
        }
        QStringList written_urls;
        for (const QUrl &url : written.urls())
            written_urls << url.toString();
        QCOMPARE(written_urls, urls);
    }

    void aFailedSaveKeepsEverythingPending()
    {
        TestHome home;
        auto store = ClipboardStore::make(folder());
        WriteBlocker blocker(databasePath());
        store->record(textCapture(QStringLiteral("saved"), at(10, 8)));
        QTRY_VERIFY(!store->hasPendingChanges());

        QStringList messages;
        connect(store.get(), &ClipboardStore::saveFailed, this, [&](const QString &message, const Error &error) {
            messages << message;
            QVERIFY(error.detail.contains(QStringLiteral("writes are blocked")));
        });
        blocker.block();
        const qint64 revision = store->revision();
        const ClipboardCapture unsaved = textCapture(QStringLiteral("unsaved"), at(10, 9));
        store->record(unsaved);
        QTRY_COMPARE(messages, QStringList { QStringLiteral("Vemra couldn\u2019t save your clipboard history.") });
        QCOMPARE(store->revision(), revision + 1);

        // Visible at once, in lookups, pages and counts.
        QCOMPARE(store->count(), 2);
        QCOMPARE(store->count(QStringLiteral("UNSAVED")), 1);
        QCOMPARE(store->items(10).first().id, unsaved.id);
        QVERIFY(store->item(unsaved.id));

        // The same copy again folds into the pending entry instead of adding a second one.
        store->record(textCapture(QStringLiteral("unsaved"), at(10, 10)));
        QCOMPARE(store->count(), 2);
        QCOMPARE(store->item(unsaved.id)->copyCount, 2);
        QTRY_COMPARE(messages.size(), 2);

        blocker.unblock();
        store->record(textCapture(QStringLiteral("later"), at(10, 11)));
        QCOMPARE(messages.size(), 2);
        store.reset();

        auto reopened = ClipboardStore::make(folder());
        QCOMPARE(reopened->count(), 3);
        QCOMPARE(reopened->item(unsaved.id)->copyCount, 2);
        QCOMPARE(reopened->item(unsaved.id)->lastCopiedAt, at(10, 10));
    }

    void pendingChangesHideTheirStoredRows()
    {
        // A stored entry folded into and another deleted while the disk refuses: every read of
        // the stored rows shows the pending state alone, before and after the write goes out.
        TestHome home;
        auto store = ClipboardStore::make(folder());
        store->waitForBackgroundWork();
        WriteBlocker blocker(databasePath());
        const ClipboardItem folded = store->record(textCapture(QStringLiteral("folded"), at(10, 8)));
        const ClipboardItem gone = store->record(textCapture(QStringLiteral("gone"), at(10, 9)));
        const ClipboardItem kept = store->record(textCapture(QStringLiteral("kept"), at(10, 10)));
        blocker.block();
        store->record(textCapture(QStringLiteral("folded"), at(10, 11)));
        QCOMPARE(store->count(), 3);
        const ClipboardItem fresh = store->record(textCapture(QStringLiteral("fresh"), at(10, 12)));
        QCOMPARE(store->count(), 4);
        store->deleteItems({ gone, fresh });
        QVERIFY(store->hasPendingChanges());

        const auto readsThePendingState = [&] {
            QCOMPARE(store->count(), 2);
            QCOMPARE(store->count(QStringLiteral("fold")), 1);
            const ClipboardStore::Page page = store->page(QStringLiteral("fold"), 10);
            QCOMPARE(page.total, 1);
            QCOMPARE(page.items.size(), 1);
            QCOMPARE(page.items.first().copyCount, 2);
            const QList<ClipboardItem> items = store->items(10);
            QCOMPARE(items.size(), 2);
            QCOMPARE(items[0].id, folded.id);
            QCOMPARE(items[0].lastCopiedAt, at(10, 11));
            QCOMPARE(items[1].id, kept.id);
        };
        readsThePendingState();
        blocker.unblock();
        store->save();
        QTRY_VERIFY(!store->hasPendingChanges());
        readsThePendingState();
    }

    void aFailedSaveIsTriedAgainUntilTheDiskHasRoom_data()
    {
        QTest::addColumn<bool>("clear");
        QTest::newRow("a copy") << false;
        // Written on another thread, as a large deletion is.
        QTest::newRow("a copy, then a cleared day") << true;
    }

    void aFailedSaveIsTriedAgainUntilTheDiskHasRoom()
    {
        QFETCH(bool, clear);
        TestHome home;
        FullDisk disk(folder());
        auto store = ClipboardStore::make(folder());
        store->setRetryInterval(20ms);
        const ClipboardCapture old = textCapture(QStringLiteral("old"), at(9, 8));
        store->record(old);
        QTRY_VERIFY(!store->hasPendingChanges());
        QList<Error> errors;
        connect(store.get(), &ClipboardStore::saveFailed, this,
            [&](const QString &, const Error &error) { errors << error; });

        disk.fill();
        const ClipboardCapture waiting = textCapture(QStringLiteral("waiting"), at(10, 9));
        store->record(waiting);
        if (clear) {
            store->deleteItems(ClearRequest::of(ClipboardPeriod::Today), at(9, 12), newYork());
            QTRY_COMPARE(errors.size(), 2);
        }
        QTRY_VERIFY(!errors.isEmpty());
        for (const Error &error : std::as_const(errors))
            QCOMPARE(error.kind, Error::Kind::DiskFull);
        // The retries that fail again while the disk stays full are not told again.
        const qsizetype told = errors.size();
        QTest::qWait(150);
        QCOMPARE(errors.size(), told);
        QCOMPARE(store->count(), clear ? 1 : 2);
        QVERIFY(store->hasPendingChanges());
        QCOMPARE(store->flush().error().kind, Error::Kind::DiskFull);

        // Room comes back: the next retry writes it all, without another change.
        disk.free();
        QTRY_VERIFY_WITH_TIMEOUT(!store->hasPendingChanges(), 2000);
        QCOMPARE(errors.size(), told);
        store.reset();
        auto reopened = ClipboardStore::make(folder());
        QVERIFY(reopened->item(waiting.id));
        QCOMPARE(bool(reopened->item(old.id)), !clear);
    }

    void copiesMadeDuringTheCheckWaitForIt_data()
    {
        QTest::addColumn<bool>("damaged");
        QTest::newRow("a whole file") << false;
        QTest::newRow("a file damaged inside") << true;
    }

    void copiesMadeDuringTheCheckWaitForIt()
    {
        QFETCH(bool, damaged);
        TestHome home;
        QList<ClipboardCapture> history;
        for (int i = 0; i < 400; ++i)
            history << textCapture(QStringLiteral("stored %1 ").arg(i) + QString(2000, QLatin1Char('x')), at(9, 8));
        QVERIFY(ClipboardStore::make(folder())->insertImported(history));
        if (damaged) {
            // A page in the middle: the header and the table list still read well.
            QFile file(databasePath());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.size() > 40 * 16384);
            file.seek(file.size() / 2 / 16384 * 16384);
            file.write(QByteArray(16384, '\x5a'));
        }
        const QByteArray before = readFile(databasePath());

        auto store = ClipboardStore::make(folder(), IntegrityCheck::InBackground);
        QVERIFY(store->isChecking());
        QVERIFY(!store->loadError());
        QSignalSpy checked(store.get(), &ClipboardStore::checked);
        const ClipboardCapture early = imageCapture(folder(), "early", at(10, 9));
        store->record(early);
        // Shown at once over the file's entries, and not written yet.
        if (!damaged)
            QCOMPARE(store->count(), 401);
        QCOMPARE(store->items(10).first().id, early.id);
        QCOMPARE(readFile(databasePath()), before);

        QVERIFY(checked.wait());
        QVERIFY(!store->isChecking());
        if (!damaged) {
            QVERIFY(!store->loadError());
            QCOMPARE(store->count(), 401);
            QCOMPARE(store->count(QStringLiteral("stored 399")), 1);
            QTRY_VERIFY(!store->hasPendingChanges());
            store.reset();
            auto reopened = ClipboardStore::make(folder());
            QCOMPARE(reopened->count(), 401);
            QVERIFY(QFileInfo::exists(*reopened->filePath(*reopened->item(early.id)->imagePath)));
            return;
        }
        QVERIFY(store->loadError());
        QVERIFY2(
            store->loadError()->detail.contains(QStringLiteral("damaged")), qPrintable(store->loadError()->detail));
        QCOMPARE(store->count(), 1);
        QCOMPARE(readFile(databasePath()), before);
        QVERIFY(!QFileInfo::exists(databasePath() + QStringLiteral("-wal")));
        // Nothing of the history in memory stays in the folder of the one on disk.
        QVERIFY(!QFileInfo::exists(folder() + QLatin1Char('/') + *early.imagePath));
        QCOMPARE(readFile(*store->filePath(*early.imagePath)), QByteArray("early"));
        const QString temporary = store->folder();
        QVERIFY(temporary != folder());
        store.reset();
        QVERIFY(!QFileInfo::exists(temporary));
    }

    void aCheckedOpeningCountsOffTheMainThread_data()
    {
        QTest::addColumn<bool>("askedDuringTheCheck");
        QTest::newRow("not asked before the check ends") << false;
        QTest::newRow("asked while the file is checked") << true;
    }

    // A large history with its search's column, opened as the application opens it: counting its
    // entries reads a whole index, so it is left off the main thread unless the count is asked
    // for before the check ends, and the count stays exact through the saves that follow.
    void aCheckedOpeningCountsOffTheMainThread()
    {
        QFETCH(bool, askedDuringTheCheck);
        TestHome home;
        MainThreadSql::watch();
        const qint64 stored = 9000;
        ClipboardStore::make(folder()).reset();
        {
            WriteBlocker writer(databasePath());
            writer.exec(QStringLiteral("INSERT INTO clipboard_name (code, name) VALUES (1, 'text'), (2, 'Editor')"));
            writer.exec(QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < ")
                + QString::number(stored)
                + QStringLiteral(
                    ") INSERT INTO clipboard_item (seq, id, kind_code, content, content_hash, created_at, "
                    "last_copied_at, copy_count, mime_code, app_name_code, app_id_code, byte_count, pixel_width, "
                    "pixel_height) SELECT x, CAST(printf('%016d', x) AS BLOB), 1, 'entry ' || x, printf('%064d', x), "
                    "x, x, 1, 1, 2, 2, 8, 0, 0 FROM n"));
        }
        // A first opening makes the column.
        ClipboardStore::make(folder(), IntegrityCheck::InBackground)->waitForBackgroundWork();
        QVERIFY(QFileInfo::exists(databasePath() + QStringLiteral("-search")));

        const QByteArray counting = "count(*) FROM clipboard_item";
        MainThreadSql::reset();
        auto store = ClipboardStore::make(folder(), IntegrityCheck::InBackground);
        QVERIFY(store->isChecking());
        QSignalSpy checked(store.get(), &ClipboardStore::checked);
        if (askedDuringTheCheck)
            QCOMPARE(store->count(), stored);
        const int counted = askedDuringTheCheck ? 1 : 0;
        QCOMPARE(MainThreadSql::count(counting), counted);
        QVERIFY(checked.wait());
        QVERIFY(!store->loadError());
        QCOMPARE(store->count(), stored);
        store->record(textCapture(QStringLiteral("one more"), at(10, 9)));
        QCOMPARE(store->count(), stored + 1);
        QTRY_VERIFY(!store->hasPendingChanges());
        QCOMPARE(store->count(), stored + 1);
        QCOMPARE(MainThreadSql::count(counting), counted);
        store.reset();
        QCOMPARE(ClipboardStore::make(folder())->count(), stored + 1);
    }

    void copyCountsStopAtTheirLimit_data()
    {
        QTest::addColumn<bool>("copyBack");
        QTest::newRow("copied again elsewhere") << false;
        QTest::newRow("copied back from the history") << true;
    }

    void copyCountsStopAtTheirLimit()
    {
        QFETCH(bool, copyBack);
        TestHome home;
        auto store = ClipboardStore::make(folder());
        const ClipboardItem item = store->record(textCapture(QStringLiteral("counted"), at(10, 9)));
        store.reset();
        {
            WriteBlocker raw(databasePath());
            raw.exec(
                QStringLiteral("UPDATE clipboard_item SET copy_count = %1").arg(std::numeric_limits<qint64>::max()));
        }
        store = ClipboardStore::make(folder());
        if (copyBack) {
            FakeSystemClipboard systemClipboard;
            QVERIFY(store->copy(item, systemClipboard, at(10, 10)));
        } else {
            store->record(textCapture(QStringLiteral("counted"), at(10, 10)));
        }
        QCOMPARE(store->item(item.id)->copyCount, std::numeric_limits<qint64>::max());
        QCOMPARE(store->item(item.id)->lastCopiedAt, at(10, 10));
    }

    void sideFilesGoOnlyWithASavedDeletion()
    {
        TestHome home;
        auto store = ClipboardStore::make(folder());
        WriteBlocker blocker(databasePath());
        const ClipboardCapture image = imageCapture(folder(), "image-one", at(10, 9));
        const ClipboardCapture other = imageCapture(folder(), "image-two", at(10, 10));
        const ClipboardItem first = store->record(image);
        store->record(other);
        QTRY_VERIFY(!store->hasPendingChanges());
        int errors = 0;
        connect(store.get(), &ClipboardStore::saveFailed, this, [&] { ++errors; });

        blocker.block();
        store->deleteItems({ first });
        store->deleteItems(ClearRequest::all(), at(10, 12), newYork());
        store->waitForBackgroundWork();
        QCOMPARE(errors, 2);
        QCOMPARE(store->count(), 0);
        QVERIFY(!store->item(image.id));
        QVERIFY(!store->itemWithHash(image.contentHash));
        for (const QString &path : image.filePaths() + other.filePaths())
            QVERIFY2(QFile::exists(folder() + QLatin1Char('/') + path), qPrintable(path));

        // Quit without a successful save: the entries come back with their files.
        store.reset();
        blocker.unblock();
        {
            auto reopened = ClipboardStore::make(folder());
            QCOMPARE(reopened->count(), 2);
            FakeSystemClipboard systemClipboard;
            QVERIFY(reopened->copy(*reopened->item(image.id), systemClipboard, at(10, 13)));
            QCOMPARE(systemClipboard.contents().data(QStringLiteral("image/png")), QByteArray("image-one"));
        }

        // A deletion that is saved removes them.
        store = ClipboardStore::make(folder());
        connect(store.get(), &ClipboardStore::saveFailed, this, [&] { ++errors; });
        blocker.block();
        store->deleteItems(ClearRequest::all(), at(10, 12), newYork());
        store->waitForBackgroundWork();
        blocker.unblock();
        store->save();
        store->waitForBackgroundWork();
        QCOMPARE(errors, 3);
        QCOMPARE(store->count(), 0);
        for (const QString &path : image.filePaths() + other.filePaths())
            QVERIFY2(!QFile::exists(folder() + QLatin1Char('/') + path), qPrintable(path));
    }

    // Every list takes the count of what a clearing leaves from the store at once, without
    // counting the history: it stays what the entries say through the clearing, its save and a
    // reopening, with changes pending and a write under way.
    void countsStayExactThroughAClearing_data()
    {
        QTest::addColumn<std::optional<ClipboardPeriod>>("period");
        QTest::addColumn<bool>("held");
        QTest::addColumn<qint64>("left");
        QTest::newRow("today") << std::optional(ClipboardPeriod::Today) << false << qint64(18);
        QTest::newRow("today, the file held") << std::optional(ClipboardPeriod::Today) << true << qint64(18);
        QTest::newRow("everything") << std::optional<ClipboardPeriod>() << false << qint64(0);
        QTest::newRow("everything, the file held") << std::optional<ClipboardPeriod>() << true << qint64(0);
    }

    void countsStayExactThroughAClearing()
    {
        QFETCH(std::optional<ClipboardPeriod>, period);
        QFETCH(bool, held);
        QFETCH(qint64, left);
        TestHome home;
        QList<ClipboardCapture> history;
        for (int i = 0; i < 30; ++i)
            history << textCapture(QStringLiteral("stored %1").arg(i), at(8 + i % 3, 9, i));
        QVERIFY(ClipboardStore::make(folder())->insertImported(history));
        auto store = ClipboardStore::make(folder(), IntegrityCheck::InBackground);
        QSignalSpy checked(store.get(), &ClipboardStore::checked);
        QVERIFY(checked.wait());
        const auto shown = [&store] { return qint64(store->items().size()); };
        QCOMPARE(store->count(), 30);

        // A new copy today, yesterday's entry copied again, one of the day before deleted.
        store->record(textCapture(QStringLiteral("copied"), at(10, 10)));
        store->record(textCapture(QStringLiteral("stored 1"), at(10, 10, 30)));
        store->deleteItems({ *store->itemWithHash(sha256("stored 0")) });
        QCOMPARE(store->count(), 30);
        WriteBlocker blocker(databasePath());
        if (held)
            blocker.exec(QStringLiteral("BEGIN IMMEDIATE"));
        store->deleteItems(period ? ClearRequest::of(*period) : ClearRequest::all(), at(10, 12), newYork());
        QCOMPARE(store->count(), left);
        QCOMPARE(store->count(), shown());
        // A copy after it, within its span, stays.
        store->record(textCapture(QStringLiteral("after"), at(10, 11)));
        QCOMPARE(store->count(), left + 1);
        QCOMPARE(store->count(), shown());
        if (held)
            blocker.exec(QStringLiteral("COMMIT"));
        store->waitForBackgroundWork();
        QCOMPARE(store->count(), left + 1);
        QCOMPARE(store->count(), shown());
        store.reset();
        QCOMPARE(ClipboardStore::make(folder())->count(), left + 1);
    }

    void aPageWhileSpansAreDeletedShowsWhatIsLeft_data()
    {
        QTest::addColumn<QList<std::optional<ClipboardPeriod>>>("cleared");
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("limit");
        using Periods = QList<std::optional<ClipboardPeriod>>;
        QTest::newRow("today, a short page") << Periods { ClipboardPeriod::Today } << QString() << 4;
        QTest::newRow("today, a long page") << Periods { ClipboardPeriod::Today } << QString() << 100;
        QTest::newRow("last week, the page spans both sides")
            << Periods { ClipboardPeriod::LastWeek } << QString() << 20;
        QTest::newRow("two spans, searched")
            << Periods { ClipboardPeriod::Today, ClipboardPeriod::LastWeek } << QStringLiteral("stored 1") << 100;
        QTest::newRow("two spans apart, a page past the newer")
            << Periods { ClipboardPeriod::LastMonth, ClipboardPeriod::Today } << QString() << 12;
        QTest::newRow("everything") << Periods { std::nullopt } << QString() << 100;
    }

    // While the writer still holds deletions of periods, a page reads only the time between
    // them: it lists what the stored rows, the spans and the copies made since leave, in order.
    void aPageWhileSpansAreDeletedShowsWhatIsLeft()
    {
        QFETCH(QList<std::optional<ClipboardPeriod>>, cleared);
        QFETCH(QString, query);
        QFETCH(int, limit);
        TestHome home;
        QList<ClipboardCapture> history;
        // Every 20 hours back from this morning, to late January.
        for (int i = 0; i < 60; ++i)
            history << textCapture(QStringLiteral("stored %1").arg(i), at(15, 9).addSecs(-i * 20 * 3600));
        QVERIFY(ClipboardStore::make(folder())->insertImported(history));
        auto store = ClipboardStore::make(folder());
        WriteBlocker blocker(databasePath());
        blocker.exec(QStringLiteral("BEGIN IMMEDIATE"));
        const QDateTime now = at(15, 12);
        QList<ClipboardPending::Range> spans;
        for (const std::optional<ClipboardPeriod> &period : cleared) {
            const ClearRequest request = period ? ClearRequest::of(*period) : ClearRequest::all();
            spans << ClipboardPending::Range::of(request, now, newYork())
                         .value_or(ClipboardPending::Range {
                             std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max() });
            store->deleteItems(request, now, newYork());
        }
        // A copy since, within the spans, and one stored entry copied again.
        store->record(textCapture(QStringLiteral("stored 1 again"), at(15, 11)));
        store->record(textCapture(QStringLiteral("stored 10"), at(15, 11, 30)));

        QList<QString> expected;
        QList<ClipboardItem> all;
        for (const ClipboardCapture &capture : std::as_const(history)) {
            const ClipboardItem item(capture);
            if (std::none_of(spans.cbegin(), spans.cend(), [&](const auto &span) { return span.holds(item); })
                && capture.content != QStringLiteral("stored 10"))
                all << item;
        }
        all << ClipboardItem(textCapture(QStringLiteral("stored 1 again"), at(15, 11)))
            << ClipboardItem(textCapture(QStringLiteral("stored 10"), at(15, 11, 30)));
        std::sort(all.begin(), all.end(), &ClipboardItem::recentOrder);
        const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
        for (const ClipboardItem &item : std::as_const(all)) {
            if (!predicate || predicate->accepts(item))
                expected << item.content;
        }
        const ClipboardStore::Page page = store->page(query, limit);
        QList<QString> shown;
        for (const ClipboardItem &item : page.items)
            shown << item.content;
        QCOMPARE(shown, expected.mid(0, limit));
        QCOMPARE(page.total, expected.size());
        blocker.exec(QStringLiteral("COMMIT"));
        store->waitForBackgroundWork();
        QCOMPARE(store->page(query, limit).total, expected.size());
    }

    void aPendingClearDoesNotSwallowLaterCopies()
    {
        TestHome home;
        auto store = ClipboardStore::make(folder());
        WriteBlocker blocker(databasePath());
        store->record(textCapture(QStringLiteral("old"), at(11, 9)));
        blocker.block();
        store->deleteItems(ClearRequest::of(ClipboardPeriod::Today), at(11, 10), newYork());
        store->waitForBackgroundWork();
        // The same text again is a new entry: the old one is being deleted.
        const ClipboardItem again = store->record(textCapture(QStringLiteral("old"), at(11, 11)));
        QCOMPARE(again.copyCount, 1);
        QCOMPARE(store->count(), 1);
        blocker.unblock();
        // The copy's own save may still be under way and fail on the blocked file; what quitting
        // writes is what counts.
        QVERIFY(store->flush());
        store.reset();
        auto reopened = ClipboardStore::make(folder());
        QCOMPARE(reopened->count(), 1);
        QCOMPARE(reopened->items(1).first().id, again.id);
    }

    void changesDuringALongDeletionAreKept()
    {
        TestHome home;
        auto store = ClipboardStore::make(folder());
        const ClipboardItem today = store->record(textCapture(QStringLiteral("today"), at(10, 9)));
        WriteBlocker blocker(databasePath());
        blocker.block();
        const ClipboardItem yesterday = store->record(textCapture(QStringLiteral("yesterday"), at(9, 9)));
        const ClipboardItem doomed = store->record(textCapture(QStringLiteral("doomed"), at(9, 10)));
        blocker.unblock();
        blocker.exec(QStringLiteral("BEGIN IMMEDIATE"));

        // The deletion waits for the file and takes the unsaved entries with it; what changes
        // meanwhile shows at once and is saved after it.
        store->deleteItems(ClearRequest::of(ClipboardPeriod::Today), at(10, 12), newYork());
        const ClipboardItem during = store->record(textCapture(QStringLiteral("during"), at(10, 11)));
        store->record(textCapture(QStringLiteral("yesterday"), at(10, 11, 30)));
        store->deleteItems({ doomed });
        QCOMPARE(store->count(), 2);
        QCOMPARE(store->items(5).first().id, yesterday.id);
        blocker.exec(QStringLiteral("COMMIT"));
        store->waitForBackgroundWork();

        QCOMPARE(store->count(), 2);
        store.reset();
        auto reopened = ClipboardStore::make(folder());
        QCOMPARE(reopened->count(), 2);
        QVERIFY(!reopened->item(today.id));
        QVERIFY(!reopened->item(doomed.id));
        QVERIFY(reopened->item(during.id));
        QCOMPARE(reopened->item(yesterday.id)->copyCount, 2);
    }

    void deletedTextsLeaveNoTraceOnDisk()
    {
        TestHome home;
        auto store = ClipboardStore::make(folder());
        // The start's sweep of stray files reads the file for a moment.
        store->waitForBackgroundWork();
        const QString secret = QStringLiteral("Deleted Secret 7f3a9c Token");
        store->record(textCapture(QStringLiteral("kept"), at(10, 8)));
        const ClipboardItem gone = store->record(textCapture(secret, at(10, 9)));
        store->record(textCapture(secret + QStringLiteral(" again"), at(10, 10)));
        store->deleteItems({ gone });
        store->deleteItems(ClearRequest::of(ClipboardPeriod::Today), at(10, 12), newYork());
        store->waitForBackgroundWork();

        // As an unclean exit would leave the files now.
        QByteArray disk = readFile(databasePath());
        if (QFileInfo::exists(databasePath() + QStringLiteral("-wal")))
            disk += readFile(databasePath() + QStringLiteral("-wal"));
        QVERIFY(!disk.contains(secret.toUtf8()));
        QVERIFY(!disk.contains(ClipboardItem::searchFolded(secret).toUtf8()));

        // A source's name, kept once for all its entries, goes when the history is cleared whole.
        const QString app = QStringLiteral("Hidden App 5d1e");
        store->record(textCapture(QStringLiteral("from a hidden app"), at(10, 13), app));
        store->deleteItems(ClearRequest::all(), at(10, 14), newYork());
        store->waitForBackgroundWork();
        disk = readFile(databasePath()) + readFile(databasePath() + QStringLiteral("-wal"));
        QVERIFY(!disk.contains(app.toUtf8()));
    }

    // A reader in the middle of a read (a scan, an export) keeps the log that a deletion's save
    // would fold back: once it lets go, the deleted text leaves the file and its log without
    // another change to carry it.
    void aLogAReaderKeptIsFoldedOnceItLetsGo()
    {
        TestHome home;
        auto store = ClipboardStore::make(folder());
        store->waitForBackgroundWork();
        const QString secret = QStringLiteral("Held Secret 51c2 Token");
        store->record(textCapture(QStringLiteral("kept"), at(10, 8)));
        const ClipboardItem gone = store->record(textCapture(secret, at(10, 9)));
        store->waitForBackgroundWork();
        const auto onDisk = [&] {
            const QByteArray disk = readFile(databasePath()) + readFile(databasePath() + QStringLiteral("-wal"));
            return disk.contains(secret.toUtf8());
        };
        {
            QSqlDatabase reader = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
            reader.setDatabaseName(databasePath());
            reader.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            QVERIFY(reader.open());
            QSqlQuery read(reader);
            QVERIFY(read.exec(QStringLiteral("BEGIN")));
            QVERIFY(read.exec(QStringLiteral("SELECT count(*) FROM clipboard_item")));
            QVERIFY(read.next());
            store->deleteItems({ gone });
            store->waitForBackgroundWork();
            QVERIFY(onDisk());
            QVERIFY(read.exec(QStringLiteral("COMMIT")));
            read = QSqlQuery();
            reader.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("reader"));
        QTRY_VERIFY(!onDisk());
        QCOMPARE(store->count(), 1);
    }

    // Under any umask, the mark that a history in memory keeps beside its folder, in the
    // temporary folder every user shares, is its owner's alone, and it holds while the store
    // lives: a start meanwhile leaves the folder alone.
    void aHistoryInMemoryMarksItsFolderPrivately()
    {
        TestHome home;
        const mode_t saved = ::umask(0);
        const auto restore = qScopeGuard([saved] { ::umask(saved); });
        auto store
            = ClipboardStore::inMemory(Error { QStringLiteral("Vemra couldn’t open your clipboard history."), {} });
        const QString mark = store->folder() + QStringLiteral(".lock");
        struct stat status
        {
        };
        QCOMPARE(::stat(QFile::encodeName(mark).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, mode_t(0600));
        ClipboardFiles::removeLeftTemporaryFolders();
        QVERIFY(QFileInfo::exists(store->folder()));
        store.reset();
        // Another start that found the folder a moment before may still be letting go of it.
        QTRY_VERIFY(!QFileInfo::exists(mark));
    }

    // What clipboard_name holds, and the stored form of each entry's hash by its text.
    QStringList storedNames() const
    {
        QStringList names;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("names"));
            db.setDatabaseName(databasePath());
            QSqlQuery query(db);
            if (db.open() && query.exec(QStringLiteral("SELECT name FROM clipboard_name ORDER BY name"))) {
                while (query.next())
                    names << query.value(0).toString();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("names"));
        return names;
    }
    QHash<QString, QByteArray> storedHashes() const
    {
        QHash<QString, QByteArray> hashes;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("hashes"));
            db.setDatabaseName(databasePath());
            QSqlQuery query(db);
            if (db.open() && query.exec(QStringLiteral("SELECT content, quote(content_hash) FROM clipboard_item"))) {
                while (query.next())
                    hashes.insert(query.value(0).toString(), query.value(1).toByteArray());
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("hashes"));
        return hashes;
    }

    // A source's name goes with the last entry that used it, deleted by itself, with a period
    // or copied again from elsewhere; a name still used stays, across a reopening too.
    void aNameGoesWithItsLastEntry()
    {
        TestHome home;
        auto store = ClipboardStore::make(folder());
        store->waitForBackgroundWork();
        const ClipboardItem first
            = store->record(textCapture(QStringLiteral("one"), at(9, 8), QStringLiteral("Lonely")));
        const ClipboardItem second
            = store->record(textCapture(QStringLiteral("two"), at(9, 9), QStringLiteral("Lonely")));
        store->record(textCapture(QStringLiteral("kept"), at(9, 10)));
        store->record(textCapture(QStringLiteral("today"), at(10, 8), QStringLiteral("Today App")));
        store->record(textCapture(QStringLiteral("also today"), at(10, 9)));
        store->record(textCapture(QStringLiteral("moved"), at(9, 11), QStringLiteral("Moving App")));
        store->waitForBackgroundWork();
        QVERIFY(storedNames().contains(QStringLiteral("Lonely")));

        store->deleteItems({ first });
        store->waitForBackgroundWork();
        QVERIFY(storedNames().contains(QStringLiteral("Lonely")));
        store->deleteItems({ second });
        store->waitForBackgroundWork();
        QVERIFY(!storedNames().contains(QStringLiteral("Lonely")));

        // Copied again from another source: the entry's first source is used no more.
        store->record(textCapture(QStringLiteral("moved"), at(10, 10)));
        store->waitForBackgroundWork();
        QVERIFY(!storedNames().contains(QStringLiteral("Moving App")));

        store->deleteItems(ClearRequest::of(ClipboardPeriod::Today), at(10, 12), newYork());
        store->waitForBackgroundWork();
        const QStringList left { QStringLiteral("Editor"), QStringLiteral("org.example.Editor"),
            QStringLiteral("public.utf8-plain-text"), QStringLiteral("text") };
        QCOMPARE(storedNames(), left);
        QCOMPARE(store->items().constFirst().sourceAppName, QStringLiteral("Editor"));

        store.reset();
        store = ClipboardStore::make(folder());
        QCOMPARE(store->count(), 1);
        store->deleteItems({ store->items().constFirst() });
        store->waitForBackgroundWork();
        QCOMPARE(storedNames(), QStringList());
        store.reset();

        // Entries an import adds count their names too.
        auto opened = ClipboardDatabase::open(databasePath());
        QVERIFY(opened);
        const StoreDatabase &sql = opened.value()->sql();
        const QList<ClipboardItem> imported { ClipboardItem(textCapture(
                                                  QStringLiteral("a"), at(9, 8), QStringLiteral("Imported"))),
            ClipboardItem(textCapture(QStringLiteral("b"), at(9, 9), QStringLiteral("Imported"))) };
        const QList<ClipboardDatabase::Row> rows { ClipboardDatabase::Row(imported[0]),
            ClipboardDatabase::Row(imported[1]) };
        QVERIFY(sql.write([&] { return ClipboardDatabase::insert(sql, rows); }));
        ClipboardDatabase::Changes changes;
        changes.deletions << imported[0].id;
        QVERIFY(ClipboardDatabase::write(sql, changes));
        QVERIFY(storedNames().contains(QStringLiteral("Imported")));
        changes.deletions = { imported[1].id };
        QVERIFY(ClipboardDatabase::write(sql, changes));
        QCOMPARE(storedNames(), QStringList());
    }

    // A hash that is a short text's own is worked out again rather than kept; any other reads
    // as it came, and a copy with either folds into its entry: recorded, or imported, whose
    // rows come with their texts' hashes worked out beforehand.
    void hashesReadAsTheyCame_data()
    {
        QTest::addColumn<bool>("imported");
        QTest::newRow("recorded") << false;
        QTest::newRow("imported") << true;
    }
    void hashesReadAsTheyCame()
    {
        QFETCH(bool, imported);
        TestHome home;
        QList<ClipboardCapture> captures { textCapture(QStringLiteral("own hash"), at(9, 8)),
            textCapture(QStringLiteral("another's hash"), at(9, 9)),
            textCapture(QStringLiteral("a hash in words"), at(9, 10)),
            // Not valid UTF-16: SQLite and Qt turn it into different bytes.
            textCapture(QStringLiteral("lone ") + QChar(0xd800) + QStringLiteral(" surrogate"), at(9, 11)),
            // Long enough to keep its own: a page would hash it on every read.
            textCapture(QStringLiteral("long").repeated(256), at(9, 12)) };
        captures[1].contentHash = sha256("something else");
        captures[2].contentHash = QStringLiteral("imported-hash-7");
        {
            auto store = ClipboardStore::make(folder());
            for (const ClipboardCapture &capture : captures) {
                if (!imported)
                    store->record(capture);
            }
            store->waitForBackgroundWork();
        }
        if (imported) {
            auto opened = ClipboardDatabase::open(databasePath());
            QVERIFY(opened);
            const StoreDatabase &sql = opened.value()->sql();
            QList<ClipboardDatabase::Row> rows;
            for (const ClipboardCapture &capture : captures)
                rows.emplace_back(ClipboardItem(capture));
            QVERIFY(sql.write([&] { return ClipboardDatabase::insert(sql, rows); }));
            // Each row's entry in the hash index is the one its row gives.
            StoreStatement check(sql, "PRAGMA integrity_check");
            QVERIFY(check.next());
            QCOMPARE(check.text(0), QStringLiteral("ok"));
        }
        QCOMPARE(storedHashes().value(QStringLiteral("own hash")), QByteArray("X''"));
        QCOMPARE(storedHashes().value(QStringLiteral("another's hash")).size(), 67);
        QCOMPARE(storedHashes().value(QStringLiteral("long").repeated(256)).size(), 67);

        auto store = ClipboardStore::make(folder());
        for (ClipboardCapture capture : captures) {
            QCOMPARE(store->item(capture.id)->contentHash, capture.contentHash);
            capture.id = QUuid::createUuid();
            capture.copiedAt = at(10, 8);
            QCOMPARE(store->record(capture).copyCount, 2);
        }
        QCOMPARE(store->count(), captures.size());
    }

    void strayFilesGoAtStart()
    {
        TestHome home;
        ClipboardCapture kept;
        {
            // The entry is captured after this store's own sweep, which would take its files,
            // written before the store opened and named by no entry yet, for strays.
            auto first = ClipboardStore::make(folder());
            first->waitForBackgroundWork();
            kept = imageCapture(folder(), "kept-image", at(10, 9));
            first->record(kept);
        }
        // Left by a capture that a kill cut short: files that no entry names.
        const QStringList strays { QStringLiteral("Images/STRAY.png"), QStringLiteral("Thumbnails/STRAY.png"),
            QStringLiteral("Text/STRAY.txt") };
        for (const QString &stray : strays) {
            writeFile(folder() + QLatin1Char('/') + stray, "stray");
            QFile file(folder() + QLatin1Char('/') + stray);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(at(1, 9), QFileDevice::FileModificationTime));
        }

        auto store = ClipboardStore::make(folder());
        store->waitForBackgroundWork();
        for (const QString &stray : strays)
            QVERIFY2(!QFile::exists(folder() + QLatin1Char('/') + stray), qPrintable(stray));
        for (const QString &path : kept.filePaths())
            QVERIFY2(QFile::exists(folder() + QLatin1Char('/') + path), qPrintable(path));
    }

    void storedPathsNameOnlySideFiles()
    {
        TestHome home;
        auto store = ClipboardStore::make(folder());
        const QString outside = home.path() + QStringLiteral("/keep.txt");
        writeFile(outside, "keep");
        const QString userFile = home.path() + QStringLiteral("/user-file.txt");
        writeFile(userFile, "mine");
        QVERIFY(QFile::link(outside, folder() + QStringLiteral("/Images/link.png")));

        // Paths an imported or tampered entry may carry: the database itself, a way out, a
        // file elsewhere, and a link inside a side-file folder that leads out.
        ClipboardCapture hostile = textCapture(QString(30, QLatin1Char('h')), at(10, 9));
        hostile.textPath = ClipboardStore::databaseFileName();
        hostile.imagePath = QStringLiteral("Images/../") + ClipboardStore::databaseFileName();
        hostile.thumbnailPath = outside;
        ClipboardCapture linked = imageCapture(folder(), "linked", at(10, 10));
        linked.imagePath = QStringLiteral("Images/link.png");
        ClipboardCapture files = textCapture(userFile, at(10, 11));
        files.kind = ClipboardKind::File;
        const QList<ClipboardItem> entries { store->record(hostile), store->record(linked), store->record(files) };

        for (const QString &path : { QStringLiteral("../keep.txt"), QStringLiteral("Images/../../keep.txt"),
                 ClipboardStore::databaseFileName(), QStringLiteral("Images"), QStringLiteral("Images/link.png"),
                 QStringLiteral("Other/A.png"), outside, QString() })
            QVERIFY2(!store->filePath(path), qPrintable(path));
        QCOMPARE(store->filePath(QStringLiteral("Images/A.png")), folder() + QStringLiteral("/Images/A.png"));
        QVERIFY(store->url(QStringLiteral("../keep.txt")).isEmpty());

        FakeSystemClipboard systemClipboard;
        QVERIFY(!store->fullText(entries[0]));
        QVERIFY(!store->copy(entries[0], systemClipboard, at(10, 12)));
        QVERIFY(!store->copy(entries[1], systemClipboard, at(10, 12)));

        store->deleteItems(entries);
        store->waitForBackgroundWork();
        QCOMPARE(store->count(), 0);
        QCOMPARE(readFile(outside), QByteArray("keep"));
        QCOMPARE(readFile(userFile), QByteArray("mine"));
        store->record(textCapture(QStringLiteral("after"), at(10, 13)));
        store.reset();
        QCOMPARE(ClipboardStore::make(folder())->count(), 1);
    }

    void unopenableStoresFallBackToMemory_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("folder is a file") << "folder-file";
        QTest::newRow("database is a folder") << "database-folder";
        QTest::newRow("garbage") << "garbage";
        QTest::newRow("truncated database") << "truncated";
        QTest::newRow("damaged inside") << "inside";
        QTest::newRow("another program's database") << "foreign";
        QTest::newRow("newer format") << "newer";
    }

    void unopenableStoresFallBackToMemory()
    {
        QFETCH(QString, damage);
        TestHome home;
        QString victim = databasePath();
        if (damage == QStringLiteral("folder-file")) {
            victim = folder();
            QDir().mkpath(QFileInfo(folder()).absolutePath());
            writeFile(folder(), "a file where the folder should be");
        } else if (damage == QStringLiteral("database-folder")) {
            QDir().mkpath(databasePath());
        } else if (damage == QStringLiteral("garbage")) {
            QByteArray bytes;
            for (int i = 0; i < 8192; ++i)
                bytes.append(char((i * 7919) % 251));
            writeFile(databasePath(), bytes);
        } else if (damage == QStringLiteral("truncated") || damage == QStringLiteral("inside")) {
            {
                auto store = ClipboardStore::make(folder());
                for (int i = 0; i < 200; ++i)
                    store->record(textCapture(QStringLiteral("entry %1 ").arg(i).repeated(40), at(10, 9).addSecs(i)));
            }
            QFile::remove(databasePath() + QStringLiteral("-wal"));
            QFile::remove(databasePath() + QStringLiteral("-shm"));
            QByteArray bytes = readFile(databasePath());
            QVERIFY(bytes.size() > 8 * 16384);
            // Keep the header, wreck every page after the first, or only one in the middle.
            const qsizetype from = damage == QStringLiteral("inside") ? bytes.size() / 2 / 16384 * 16384 : 4096;
            const qsizetype to = damage == QStringLiteral("inside") ? from + 16384 : bytes.size();
            for (qsizetype i = from; i < to; ++i)
                bytes[i] = char(0xA5);
            QFile::remove(databasePath());
            writeFile(databasePath(), bytes);
        } else {
            QDir().mkpath(folder());
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("maker"));
            db.setDatabaseName(databasePath());
            QVERIFY(db.open());
            QSqlQuery query(db);
            if (damage == QStringLiteral("foreign")) {
                QVERIFY(query.exec(QStringLiteral("CREATE TABLE notes (body TEXT)")));
            } else {
                QVERIFY(query.exec(QStringLiteral("CREATE TABLE clipboard_item (id TEXT)")));
                QVERIFY(query.exec(QStringLiteral("PRAGMA user_version = 99")));
            }
            query = QSqlQuery();
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("maker"));
        }
        const QByteArray before = QFileInfo(victim).isFile() ? readFile(victim) : QByteArray();
        const QDateTime modified = QFileInfo(victim).lastModified();

        auto store = ClipboardStore::make(folder());
        QVERIFY(store->loadError());
        QCOMPARE(store->loadError()->message, QStringLiteral("Vemra couldn\u2019t open your clipboard history."));
        QVERIFY(QFileInfo(store->folder()).fileName().startsWith(QStringLiteral("Vemra-Clipboard-")));
        QCOMPARE(QFileInfo(store->folder()).fileName().size(), 16 + 36);
        QCOMPARE(
            QFileInfo(store->folder()).fileName().mid(16), QFileInfo(store->folder()).fileName().mid(16).toUpper());
        // Private, and gone with the store.
        QCOMPARE(QFileInfo(store->folder()).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
            QFileDevice::Permissions());
        const QString temporary = store->folder();

        // Works for this run.
        const ClipboardItem item = store->record(textCapture(QStringLiteral("kept in memory"), at(10, 9)));
        QCOMPARE(store->count(), 1);
        QCOMPARE(store->item(item.id)->content, QStringLiteral("kept in memory"));
        store.reset();

        QVERIFY(!QFileInfo::exists(temporary));

        // One left by a crash goes at the next start.
        const QString left = QDir::tempPath() + QStringLiteral("/Vemra-Clipboard-") + idText(QUuid::createUuid());
        QVERIFY(DataPaths::ensureFolder(left));
        writeFile(left + QStringLiteral("/copied.txt"), "secret");
        ClipboardStore::make(folder());
        // Another test process starting at the same moment may be the one that removes it.
        QTRY_VERIFY(!QFileInfo::exists(left));

        if (QFileInfo(victim).isFile())
            QCOMPARE(readFile(victim), before);
        QCOMPARE(QFileInfo(victim).lastModified(), modified);
        QVERIFY(!QFileInfo::exists(databasePath() + QStringLiteral("-wal")) || damage == QStringLiteral("foreign")
            || damage == QStringLiteral("newer"));
    }
};

QTEST_GUILESS_MAIN(TestClipboardStore)
#include "tst_ClipboardStore.moc"
