#include "Models/Transfer/ImportPlan.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QUuid storedId = QUuid::fromString(u"00000000-0000-4000-8000-000000000001"_s);
const QUuid twinId = QUuid::fromString(u"00000000-0000-4000-8000-000000000002"_s);
const QDateTime minute(QDate(2026, 3, 4), QTime(10, 20), Qt::UTC);

ExportedTodo todo(const QString &title, qint64 millis, QUuid id = QUuid::createUuid())
{
    return ExportedTodo { id, title, false, minute.addMSecs(millis), {}, {}, {}, {} };
}

ExportedClipboardItem entry(const QString &type, const QString &content, QUuid id = QUuid::createUuid())
{
    ExportedClipboardItem item;
    item.id = id;
    item.type = type;
    item.content = content;
    item.createdAt = minute;
    return item;
}

ExportedClipboardItem image(std::optional<QByteArray> bytes)
{
    ExportedClipboardItem item = entry(u"image"_s, QString());
    item.imageData = std::move(bytes);
    return item;
}

} // namespace

class tst_ImportPlan : public QObject
{
    Q_OBJECT

private slots:
    // Each row: the file's todos and entries against one stored todo ("Buy milk" at 10.2 s)
    // and one stored entry ("stored"); the counts of the plan.
    void sorting_data()
    {
        QTest::addColumn<QList<ExportedTodo>>("todos");
        QTest::addColumn<QList<ExportedClipboardItem>>("entries");
        QTest::addColumn<QList<qint64>>(
            "counts"); // added todos, added entries, duplicate todos, duplicate entries, invalid

        QTest::newRow("empty document") << QList<ExportedTodo> {} << QList<ExportedClipboardItem> {}
                                        << QList<qint64> { 0, 0, 0, 0, 0 };
        QTest::newRow("blank titles") << QList<ExportedTodo> { todo(u" \n"_s, 1), todo(QString(), 2) }
                                      << QList<ExportedClipboardItem> {} << QList<qint64> { 0, 0, 0, 0, 2 };
        QTest::newRow("stored id") << QList<ExportedTodo> { todo(u"Other"_s, 99'000, storedId) }
                                   << QList<ExportedClipboardItem> {} << QList<qint64> { 0, 0, 1, 0, 0 };
        QTest::newRow("blanks around, same second")
            << QList<ExportedTodo> { todo(u"  Buy milk\t"_s, 10'900) } << QList<ExportedClipboardItem> {}
            << QList<qint64> { 0, 0, 1, 0, 0 };
        QTest::newRow("next second") << QList<ExportedTodo> { todo(u"Buy milk"_s, 11'100) }
                                     << QList<ExportedClipboardItem> {} << QList<qint64> { 1, 0, 0, 0, 0 };
        QTest::newRow("twins in the file") << QList<ExportedTodo> { todo(u"New"_s, 1'000), todo(u"New "_s, 1'999) }
                                           << QList<ExportedClipboardItem> {} << QList<qint64> { 1, 0, 1, 0, 0 };
        QTest::newRow("same id twice in the file")
            << QList<ExportedTodo> { todo(u"A"_s, 1, twinId), todo(u"B"_s, 5'000, twinId) }
            << QList<ExportedClipboardItem> {} << QList<qint64> { 1, 0, 1, 0, 0 };
        QTest::newRow("stored content under another id")
            << QList<ExportedTodo> {} << QList<ExportedClipboardItem> { entry(u"code"_s, u"stored"_s) }
            << QList<qint64> { 0, 0, 0, 1, 0 };
        QTest::newRow("stored id with other content")
            << QList<ExportedTodo> {} << QList<ExportedClipboardItem> { entry(u"text"_s, u"new"_s, storedId) }
            << QList<qint64> { 0, 0, 0, 1, 0 };
        QTest::newRow("content is hashed untrimmed")
            << QList<ExportedTodo> {} << QList<ExportedClipboardItem> { entry(u"text"_s, u"stored "_s) }
            << QList<qint64> { 0, 1, 0, 0, 0 };
        QTest::newRow("same content twice in the file")
            << QList<ExportedTodo> {}
            << QList<ExportedClipboardItem> { entry(u"text"_s, u"a"_s), entry(u"url"_s, u"a"_s) }
            << QList<qint64> { 0, 1, 0, 1, 0 };
        QTest::newRow("unreadable entries")
            << QList<ExportedTodo> {}
            << QList<ExportedClipboardItem> { image(std::nullopt), image(QByteArray()), entry(u"Text"_s, u"a"_s),
                   entry(u"text"_s, u"   \n"_s), entry(u"file"_s, u"/home/a.txt"_s), image("x") }
            << QList<qint64> { 0, 2, 0, 0, 4 };
    }

    void sorting()
    {
        QFETCH(QList<ExportedTodo>, todos);
        QFETCH(QList<ExportedClipboardItem>, entries);
        QFETCH(QList<qint64>, counts);
        Todo stored(u"Buy milk"_s, std::nullopt, 0, minute.addMSecs(10'200));
        stored.id = storedId;
        ClipboardKeys known;
        known.ids.insert(storedId);
        known.hashes.insert(ImportPlan::hash(entry(u"text"_s, u"stored"_s)));

        VemraExport document;
        document.todos = todos;
        document.clipboard = entries;
        const ImportPlan plan(document, { stored }, known);
        QCOMPARE((QList<qint64> { plan.todos.size(), plan.clipboard.size(), plan.duplicateTodos,
                     plan.duplicateClipboard, plan.invalid }),
            counts);
        QCOMPARE(plan.isEmpty(), counts[0] + counts[1] == 0);
    }

    void keys_data()
    {
        QTest::addColumn<qint64>("millis");
        QTest::addColumn<QString>("key");
        QTest::newRow("12.9 s") << qint64(12'900) << u"Buy milk|12"_s;
        QTest::newRow("-0.5 s") << qint64(-500) << u"Buy milk|-1"_s;
        QTest::newRow("-1 s") << qint64(-1'000) << u"Buy milk|-1"_s;
        QTest::newRow("-1.001 s") << qint64(-1'001) << u"Buy milk|-2"_s;
    }

    void keys()
    {
        QFETCH(qint64, millis);
        QFETCH(QString, key);
        QCOMPARE(ImportPlan::key(u" Buy milk \n"_s, QDateTime::fromMSecsSinceEpoch(millis, Qt::UTC)), key);
    }

    void imageHashIsOfTheBytes()
    {
        QCOMPARE(ImportPlan::hash(image(QByteArray("abc"))).toHex(),
            u"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"_s);
        QCOMPARE(ImportPlan::hash(entry(u"text"_s, u"abc"_s)), ImportPlan::hash(image(QByteArray("abc"))));
    }
};

QTEST_GUILESS_MAIN(tst_ImportPlan)
#include "tst_ImportPlan.moc"
