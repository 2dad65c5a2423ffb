#include "Services/Storage/StoreDatabase.h"
#include "Services/Storage/StoreWriter.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

StoreSchema schema()
{
    StoreSchema made;
    made.tables = { { u"note"_s, { u"name"_s } } };
    made.creation = { u"CREATE TABLE note (name TEXT NOT NULL)"_s };
    return made;
}

} // namespace

class TestStoreWriter final : public QObject
{
    Q_OBJECT

    // What the writer ran, in its order, each job naming itself and writing one row.
    QStringList m_ran;

    auto job(const QString &name, const QString &sql = u"INSERT INTO note (name) VALUES (?)"_s)
    {
        return [this, name, sql](const StoreDatabase &database) {
            m_ran << name;
            const Status status = sql.contains(u'?') ? database.exec(sql, { name }) : database.exec(sql);
            if (!status)
                qWarning() << name << status.error().detail;
            return bool(status);
        };
    }

    static QStringList rows(const QString &path)
    {
        QStringList names;
        auto database = StoreDatabase::attach(path, schema());
        if (!database)
            return { u"(unreadable)"_s };
        Result<QSqlQuery> selected = database.value()->select(u"SELECT name FROM note ORDER BY rowid"_s);
        if (!selected)
            return { u"(unreadable)"_s };
        QSqlQuery query = std::move(selected).value();
        while (query.next())
            names << query.value(0).toString();
        return names;
    }

private Q_SLOTS:
    void init() { m_ran.clear(); }

    // An import's session holds its transaction open across its jobs: saves asked meanwhile,
    // and another session's jobs, wait in the queue in their order and run once it commits or
    // rolls back, so that none is written inside it or taken back with it.
    void jobsAskedDuringASessionWaitForItsEnd_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("otherSession");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("committed") << u"COMMIT"_s << false
                                   << QStringList { u"import 1"_s, u"import 2"_s, u"save a"_s, u"save b"_s };
        QTest::newRow("rolled back") << u"ROLLBACK"_s << false << QStringList { u"save a"_s, u"save b"_s };
        QTest::newRow("another session asked meanwhile")
            << u"ROLLBACK"_s << true << QStringList { u"save a"_s, u"other"_s, u"save b"_s };
    }

    void jobsAskedDuringASessionWaitForItsEnd()
    {
        QFETCH(QString, end);
        QFETCH(bool, otherSession);
        QFETCH(QStringList, kept);
        QTemporaryDir folder;
        const QString path = folder.filePath(u"notes.store"_s);
        const std::shared_ptr<StoreWriter> writer
            = StoreWriter::open(path, schema(), StoreFileCheck::Contents::Empty).value();
        const StoreWriter::Session import = writer->newSession();
        const StoreWriter::Session other = writer->newSession();
        QVERIFY(import != other);

        QVERIFY(writer->run(job(u"begin"_s, u"BEGIN IMMEDIATE"_s), import).result());
        QVERIFY(writer->run(job(u"import 1"_s), import).result());
        // Asked once the session's transaction is open: each would run at once without it.
        QFuture<bool> saveA = writer->run(job(u"save a"_s));
        QFuture<bool> otherJob;
        if (otherSession)
            otherJob = writer->run(job(u"other"_s), other, true);
        QFuture<bool> saveB = writer->run(job(u"save b"_s));
        QVERIFY(writer->run(job(u"import 2"_s), import).result());
        QVERIFY(!saveA.isFinished() && !saveB.isFinished());
        QVERIFY(!otherSession || !otherJob.isFinished());
        QVERIFY(writer->run(job(u"end"_s, end), import, true).result());
        QVERIFY(saveA.result() && saveB.result());
        QVERIFY(!otherSession || otherJob.result());
        writer->waitForIdle();
        QStringList order { u"begin"_s, u"import 1"_s, u"import 2"_s, u"end"_s, u"save a"_s };
        if (otherSession)
            order << u"other"_s;
        order << u"save b"_s;
        QCOMPARE(m_ran, order);
        QCOMPARE(rows(path), kept);
    }

    // A session's own jobs keep their place after the jobs asked before its first: those run
    // first, then the session whole.
    void aSessionStartsInItsTurn()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(u"notes.store"_s);
        const std::shared_ptr<StoreWriter> writer
            = StoreWriter::open(path, schema(), StoreFileCheck::Contents::Empty).value();
        const StoreWriter::Session import = writer->newSession();
        QFuture<bool> before = writer->run(job(u"save a"_s));
        QFuture<bool> begun = writer->run(job(u"begin"_s, u"BEGIN IMMEDIATE"_s), import);
        QFuture<bool> written = writer->run(job(u"import 1"_s), import);
        QFuture<bool> committed = writer->run(job(u"end"_s, u"COMMIT"_s), import, true);
        QVERIFY(before.result() && begun.result() && written.result() && committed.result());
        QCOMPARE(m_ran, (QStringList { u"save a"_s, u"begin"_s, u"import 1"_s, u"end"_s }));
        QCOMPARE(rows(path), (QStringList { u"save a"_s, u"import 1"_s }));
    }
};

QTEST_GUILESS_MAIN(TestStoreWriter)
#include "tst_StoreWriter.moc"
