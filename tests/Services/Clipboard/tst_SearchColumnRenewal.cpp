#include "SearchHistory.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

#include <limits>

#include <unistd.h>

using namespace SearchHistory;

class TestSearchColumnRenewal final : public QObject
{
    Q_OBJECT

    OpenedFile m_file;

private Q_SLOTS:
    void cleanup() { m_file.close(); }

    // A column that fell behind the file, was cut short or damaged, or whose history was
    // cleared, is made afresh, and no scan answers wrong meanwhile.
    void aColumnIsMadeAfreshWhenItCannotServe()
    {
        if (QThread::idealThreadCount() < 2)
            QSKIP("With one processor the history is searched by SQLite alone, on the asking thread");
        TestHome home;
        QVERIFY(QDir().mkpath(folder()));
        const QString path = filePath();
        const QString columnPath = path + QStringLiteral("-search");
        const auto columnHolds = [&](const QByteArray &text) {
            QFile column(columnPath);
            return column.open(QIODevice::ReadOnly) && column.readAll().contains(text);
        };
        QList<ClipboardItem> items = history(20000);
        std::unique_ptr<ClipboardDatabase> opened = m_file.open(path);
        ClipboardDatabase &database = *opened;
        ClipboardDatabase::Changes changes;
        changes.items = items;
        QVERIFY(ClipboardDatabase::write(database.sql(), changes));
        database.search().prepare();
        QVERIFY(database.search().waitForColumn());

        // Many entries added since: the column is made afresh and holds them.
        changes = {};
        changes.items = history(25000).mid(20000);
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
        opened = m_file.open(path);
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
        opened = m_file.open(path);
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
        const QString path = filePath();
        const QString columnPath = path + QStringLiteral("-search");
        QList<ClipboardItem> items = history(12000);
        std::unique_ptr<ClipboardDatabase> database = m_file.open(path);
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
        database = m_file.open(path);
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
            m_file.close();
            const QByteArray copy = bytesOf(path);
            database = m_file.open(path);
            changes = {};
            changes.items = history(15000).mid(12000);
            for (int i = 0; i < 12000; i += 3)
                changes.deletions << items[i].id;
            QVERIFY(ClipboardDatabase::write(database->sql(), changes));
            database->search().prepare();
            database->search().erase(database->sql());
            QVERIFY(database->search().waitForColumn());
            database.reset();
            m_file.close();
            QVERIFY(overwrite(path, copy));
        } else {
            database.reset();
            QByteArray column = bytesOf(columnPath);
            const qsizetype at = column.indexOf("zz ");
            QVERIFY(at >= 0);
            column[at + 2] = 'q';
            QVERIFY(overwrite(columnPath, column));
        }
        database = m_file.open(path);
        database->search().prepare();
        compareEveryTerm(*database, items);
        QVERIFY(database->search().waitForColumn());
        compareEveryTerm(*database, items);
    }
};

QTEST_GUILESS_MAIN(TestSearchColumnRenewal)
#include "tst_SearchColumnRenewal.moc"
