#include "Services/Storage/StoreDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

StoreSchema noteSchema()
{
    StoreSchema schema;
    schema.version = 1;
    schema.tables = { { u"note"_s, { u"id"_s, u"body"_s } } };
    schema.creation = { u"CREATE TABLE note (id TEXT PRIMARY KEY, body TEXT NOT NULL)"_s };
    schema.openFailed = u"Vemra couldn’t open your notes."_s;
    schema.saveFailed = u"Vemra couldn’t save your notes."_s;
    return schema;
}

// Writes a database the way another program (or a crashed Vemra) leaves it: with `log`, its
// last changes still in the -wal beside it, not folded into the file.
void makeFile(const QString &path, const QStringList &statements, bool log)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    const QByteArray mode = log ? "PRAGMA journal_mode = WAL" : "PRAGMA journal_mode = DELETE";
    QCOMPARE(sqlite3_exec(db, mode.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    if (log) {
        int keep = 1;
        QCOMPARE(sqlite3_file_control(db, "main", SQLITE_FCNTL_PERSIST_WAL, &keep), SQLITE_OK);
        QCOMPARE(sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr), SQLITE_OK);
    }
    for (const QString &statement : statements)
        QCOMPARE(sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_close(db), SQLITE_OK);
}

// The file and everything SQLite keeps beside it, as name → checksum.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files)) {
        QFile file(folder + u'/' + name);
        if (file.open(QIODevice::ReadOnly))
            files.insert(name, QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
    }
    return files;
}

QStringList manyNotes()
{
    QStringList statements { u"CREATE TABLE note (id TEXT PRIMARY KEY, body TEXT NOT NULL)"_s,
        u"PRAGMA user_version = 1"_s, u"BEGIN"_s };
    for (int i = 0; i < 2000; ++i)
        statements << u"INSERT INTO note VALUES ('%1', '%2')"_s.arg(i).arg(QString(200, QChar(u'a' + i % 26)));
    return statements << u"COMMIT"_s;
}

} // namespace

class TestStoreDatabase final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusedFilesStayAsTheyWere_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<bool>("log");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("newer, with its log") << QStringList { u"CREATE TABLE note (id TEXT)"_s,
            u"INSERT INTO note VALUES ('x')"_s, u"PRAGMA user_version = 2"_s }
                                             << true << QString() << u"newer version"_s;
        QTest::newRow("another program's, with its log")
            << QStringList { u"CREATE TABLE notes (body TEXT)"_s, u"INSERT INTO notes VALUES ('x')"_s } << true
            << QString() << u"something other"_s;
        QTest::newRow("a column missing")
            << QStringList { u"CREATE TABLE note (id TEXT)"_s, u"PRAGMA user_version = 1"_s } << false << QString()
            << u"something other"_s;
        QTest::newRow("damaged inside") << manyNotes() << false << u"inside"_s << u"damaged"_s;
        QTest::newRow("not a database") << QStringList() << false << u"header"_s << u"not a database"_s;
    }

    void refusedFilesStayAsTheyWere()
    {
        QFETCH(QStringList, statements);
        QFETCH(bool, log);
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Notes.store"_s);
        if (!statements.isEmpty())
            makeFile(path, statements, log);
        if (log)
            QVERIFY(QFile::exists(path + u"-wal"_s));
        if (!damage.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            if (damage == u"inside"_s) {
                // A page in the middle: the header and the table list still read well.
                QVERIFY(file.size() > 40 * 4096);
                file.seek(file.size() / 2 / 4096 * 4096);
                file.write(QByteArray(4096, '\x5a'));
            } else {
                file.write("not a store at all");
            }
        }
        const QMap<QString, QByteArray> before = snapshot(dir.path());

        const Result<std::unique_ptr<StoreDatabase>> opened = StoreDatabase::open(path, noteSchema());
        QVERIFY(!opened);
        QCOMPARE(opened.error().message, u"Vemra couldn’t open your notes."_s);
        QVERIFY2(opened.error().detail.contains(reason), qPrintable(opened.error().detail));
        QCOMPARE(snapshot(dir.path()), before);
    }

    void anOlderFileIsBroughtUpToDate()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Notes.store"_s);
        makeFile(path,
            { u"CREATE TABLE note (id TEXT PRIMARY KEY, body TEXT NOT NULL)"_s, u"PRAGMA user_version = 1"_s,
                u"INSERT INTO note VALUES ('A', 'kept')"_s },
            false);
        StoreSchema schema = noteSchema();
        schema.version = 3;
        schema.upgradableFrom = 1;
        // Each step from the file's own version on, in order.
        schema.upgrades = { { 2, { u"ALTER TABLE note ADD COLUMN tag TEXT"_s } },
            { 3, { u"UPDATE note SET tag = coalesce(tag, '') || 'three'"_s } } };
        const QString second = dir.filePath(u"Second.store"_s);
        makeFile(second,
            { u"CREATE TABLE note (id TEXT PRIMARY KEY, body TEXT NOT NULL, tag TEXT)"_s, u"PRAGMA user_version = 2"_s,
                u"INSERT INTO note VALUES ('A', 'kept', 'two ')"_s },
            false);
        for (const auto &[file, tag] : { std::pair { path, u"three"_s }, std::pair { second, u"two three"_s } }) {
            Result<std::unique_ptr<StoreDatabase>> opened = StoreDatabase::open(file, schema);
            QVERIFY(opened);
            const std::unique_ptr<StoreDatabase> database = std::move(opened).value();
            Result<QSqlQuery> selected
                = database->select(u"SELECT body, tag, (SELECT user_version FROM pragma_user_version) FROM note"_s);
            QVERIFY(selected);
            QSqlQuery row = std::move(selected).value();
            QVERIFY(row.next());
            QCOMPARE(row.value(0).toString(), u"kept"_s);
            QCOMPARE(row.value(1).toString(), tag);
            QCOMPARE(row.value(2).toInt(), 3);
        }
    }

    void itsOwnFileOpensWithWhatItsLogHolds()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Notes.store"_s);
        makeFile(path,
            { u"CREATE TABLE note (id TEXT PRIMARY KEY, body TEXT NOT NULL)"_s, u"PRAGMA user_version = 1"_s,
                u"INSERT INTO note VALUES ('A', 'in the log')"_s },
            true);
        Result<std::unique_ptr<StoreDatabase>> opened = StoreDatabase::open(path, noteSchema());
        QVERIFY(opened);
        const std::unique_ptr<StoreDatabase> database = std::move(opened).value();
        Result<QSqlQuery> selected = database->select(u"SELECT body FROM note"_s);
        QVERIFY(selected);
        QSqlQuery body = std::move(selected).value();
        QVERIFY(body.next());
        QCOMPARE(body.value(0).toString(), u"in the log"_s);
        body = QSqlQuery();

        // A failed write leaves nothing of itself.
        const Status failed = database->write([&] {
            if (Status status = database->exec(u"INSERT INTO note VALUES ('B', 'half')"_s); !status)
                return status;
            return database->exec(u"INSERT INTO note VALUES ('A', 'clash')"_s);
        });
        QVERIFY(!failed);
        QCOMPARE(failed.error().message, u"Vemra couldn’t save your notes."_s);
        Result<QSqlQuery> count = database->select(u"SELECT count(*) FROM note"_s);
        QVERIFY(count);
        QSqlQuery rows = std::move(count).value();
        QVERIFY(rows.next());
        QCOMPARE(rows.value(0).toInt(), 1);
    }
};

QTEST_GUILESS_MAIN(TestStoreDatabase)
#include "tst_StoreDatabase.moc"
