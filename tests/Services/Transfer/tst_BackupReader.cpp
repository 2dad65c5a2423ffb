#include "Models/Transfer/ImportPlan.h"
#include "Services/Transfer/BackupReader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <sys/stat.h>
#include <sys/types.h>

using namespace Qt::StringLiterals;

// Declared ahead of the JSON in raw strings, which the meta-object compiler can't follow.
class tst_BackupReader : public QObject
{
    Q_OBJECT

private slots:
    void outcome_data();
    void outcome();
    void decodesEveryField();
    void bounds_data();
    void bounds();
    void files();
    void notARegularFile();
    void splitAnywhere_data();
    void splitAnywhere();
    void keys();
};

namespace {

const QByteArray id = "3F2504E0-4F89-11D3-9A0C-0305E82C3301";
const QByteArray date = "\"2026-03-04T05:06:07Z\"";

// A todo object with `members` after the required ones; `drop` leaves one of those out.
QByteArray todo(const QByteArray &members = {}, const QByteArray &drop = {})
{
    QByteArrayList parts;
    if (drop != "id")
        parts << "\"id\":\"" + id + "\"";
    if (drop != "title")
        parts << "\"title\":\"Buy milk\"";
    if (drop != "isCompleted")
        parts << "\"isCompleted\":false";
    if (drop != "createdAt")
        parts << "\"createdAt\":" + date;
    if (!members.isEmpty())
        parts << members;
    return '{' + parts.join(',') + '}';
}

QByteArray entry(const QByteArray &members = {})
{
    QByteArray text = "{\"id\":\"" + id + "\",\"type\":\"text\",\"content\":\"hello\",\"createdAt\":" + date;
    if (!members.isEmpty())
        text += ',' + members;
    return text + '}';
}

QByteArray document(const QByteArray &todos, const QByteArray &clipboard = "[]")
{
    return "{\"app\":\"Vemra\",\"version\":1,\"todos\":" + todos + ",\"clipboard\":" + clipboard + '}';
}

// A document laid out as the export writer lays it out: each entry starts a line with '{'.
QByteArray laidOut(const QByteArrayList &entries, const QByteArray &after = {})
{
    return "{\n  \"app\" : \"Vemra\",\n  \"version\" : 1,\n  \"todos\" : [\n  " + todo() + "\n],\n  \"clipboard\" : [\n"
        + entries.join(",\n") + "\n  ]" + after + "\n}\n";
}

QString sentence(const BackupReader::Outcome &outcome)
{
    if (const auto *error = std::get_if<BackupError>(&outcome))
        return error->description();
    return u"read"_s;
}

} // namespace

void tst_BackupReader::outcome_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const QString notAnExport = u"This file isn’t a Vemra export."_s;
    const QString damaged = u"This Vemra export is damaged: "_s;

    QTest::newRow("version and empty todos") << QByteArray(R"({"version":1,"todos":[]})") << u"read"_s;
    QTest::newRow("todos null") << QByteArray(R"({"version":1,"todos":null})") << u"read"_s;
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF{\"version\":1,\"clipboard\":[]}") << u"read"_s;
    QTest::newRow("integral number") << document('[' + todo(R"("sortOrder":2.0)") + ']') << u"read"_s;
    QTest::newRow("fractional date") << document(
        "[]", '[' + entry(R"("lastCopiedAt":"2026-03-04T05:06:07.250Z")") + ']')
                                     << u"read"_s;
    QTest::newRow("unknown keys anywhere") << document('[' + todo(R"("x":[{"y":null}])") + ']') << u"read"_s;
    QTest::newRow("first duplicate counts") << QByteArray(R"({"version":1,"version":2,"todos":[]})") << u"read"_s;

    QTest::newRow("empty file") << QByteArray() << notAnExport;
    QTest::newRow("not json") << QByteArray("hello") << notAnExport;
    QTest::newRow("array") << QByteArray(R"([{"version":1,"todos":[]}])") << notAnExport;
    QTest::newRow("number") << QByteArray("1") << notAnExport;
    QTest::newRow("no version") << QByteArray(R"({"todos":[]})") << notAnExport;
    QTest::newRow("version as text") << QByteArray(R"({"version":"1","todos":[]})") << notAnExport;
    QTest::newRow("fractional version") << QByteArray(R"({"version":1.5,"todos":[]})") << notAnExport;
    QTest::newRow("no contents") << QByteArray(R"({"version":1,"other":[]})") << notAnExport;
    QTest::newRow("other app") << QByteArray(R"({"app":"vemra","version":1,"todos":[]})") << notAnExport;
    QTest::newRow("version 0") << QByteArray(R"({"version":0,"todos":[]})") << notAnExport;
    QTest::newRow("version -1") << QByteArray(R"({"version":-1,"todos":[]})") << notAnExport;
    QTest::newRow("trailing text") << QByteArray(R"({"version":1,"todos":[]} x)") << notAnExport;
    QTest::newRow("trailing NUL") << QByteArray("{\"version\":1,\"todos\":[]}\0x", 26) << notAnExport;
    QTest::newRow("raw control character") << document("[]", '[' + entry("\"mimeType\":\"a\tb\"") + ']') << notAnExport;
    QTest::newRow("invalid UTF-8") << document("[]", '[' + entry("\"mimeType\":\"\xC3\x28\"") + ']') << notAnExport;
    QTest::newRow("lone surrogate") << document("[]", '[' + entry(R"("mimeType":"\ud800")") + ']') << notAnExport;
    QTest::newRow("number too big") << QByteArray(R"({"version":1,"todos":[],"x":1e400})") << notAnExport;
    QTest::newRow("deep nesting") << QByteArray(R"({"version":1,"todos":[],"x":)") + QByteArray(100000, '[')
                                  << notAnExport;

    QTest::newRow("newer")
        << QByteArray(R"({"version":2,"todos":[]})")
        << u"This file was exported by a newer version of Vemra (format 2). Update Vemra to import it."_s;
    QTest::newRow("newer first duplicate")
        << QByteArray(R"({"version":3,"version":1,"todos":[]})")
        << u"This file was exported by a newer version of Vemra (format 3). Update Vemra to import it."_s;

    QTest::newRow("app of wrong kind") << QByteArray(R"({"app":7,"version":1,"todos":[]})")
                                       << damaged + u"app has the wrong kind of value."_s;
    QTest::newRow("todos of wrong kind") << QByteArray(R"({"version":1,"todos":{}})")
                                         << damaged + u"todos has the wrong kind of value."_s;
    QTest::newRow("null todo") << document("[null]") << damaged + u"todos[0] is empty."_s;
    QTest::newRow("missing key") << document('[' + todo() + ',' + todo() + ',' + todo() + ',' + todo({}, "createdAt")
        + ']') << damaged + u"todos[3].createdAt is missing."_s;
    QTest::newRow("null title") << document('[' + todo() + ',' + todo(R"("title":null)", "title") + ']')
                                << damaged + u"todos[1].title is empty."_s;
    QTest::newRow("word for a date") << document(
        "[]", R"([{"id":")" + id + R"(","type":"text","content":"a","createdAt":"yesterday"}])")
                                     << damaged + u"clipboard[0].createdAt can’t be read."_s;
    QTest::newRow("impossible date") << document('[' + todo(R"("updatedAt":"2026-02-30T00:00:00Z")") + ']')
                                     << damaged + u"todos[0].updatedAt can’t be read."_s;
    QTest::newRow("date without zone") << document('[' + todo(R"("updatedAt":"2026-03-04T05:06:07")") + ']')
                                       << damaged + u"todos[0].updatedAt can’t be read."_s;
    QTest::newRow("number for a date") << document('[' + todo(R"("completedAt":12)") + ']')
                                       << damaged + u"todos[0].completedAt has the wrong kind of value."_s;
    QTest::newRow("braced id") << document(
        "[]", R"([{"id":"{)" + id + R"(}","type":"text","content":"a","createdAt":)" + date + "}]")
                               << damaged + u"clipboard[0].id can’t be read."_s;
    QTest::newRow("base64 without padding") << document("[]", '[' + entry(R"("imageData":"AAA")") + ']')
                                            << damaged + u"clipboard[0].imageData can’t be read."_s;
    QTest::newRow("base64 with a line break") << document("[]", '[' + entry(R"("imageData":"AAAA\nAAAA")") + ']')
                                              << damaged + u"clipboard[0].imageData can’t be read."_s;
    QTest::newRow("fractional pixel width") << document("[]", '[' + entry(R"("metadata":{"pixelWidth":1.5})") + ']')
                                            << damaged + u"clipboard[0].metadata.pixelWidth can’t be read."_s;
    QTest::newRow("count beyond 64 bits") << document("[]", '[' + entry(R"("copyCount":9223372036854775808)") + ']')
                                          << damaged + u"clipboard[0].copyCount can’t be read."_s;
    QTest::newRow("earlier field first") << document(
        R"([{"id":")" + id + R"(","isCompleted":false,"createdAt":"bad","title":5}])")
                                         << damaged + u"todos[0].title has the wrong kind of value."_s;
    QTest::newRow("todos before clipboard")
        << QByteArray(R"({"version":1,"clipboard":[{"id":"x"}],"todos":[{"id":1}]})")
        << damaged + u"todos[0].id has the wrong kind of value."_s;
    QTest::newRow("damage in a later duplicate ignored")
        << QByteArray(R"({"version":1,"todos":[],"todos":7})") << u"read"_s;
}

void tst_BackupReader::outcome()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(sentence(BackupReader::read(bytes)), expected);
}

void tst_BackupReader::decodesEveryField()
{
    const QByteArray bytes = R"({"app":"Vemra","version":1,"todos":[)"
        + todo(R"("updatedAt":"2026-03-05T00:00:00+01:00","completedAt":null,"day":"2026-03-10","sortOrder":-3)")
        + R"(],"clipboard":[)"
        + entry(
            R"("lastCopiedAt":"2026-03-04T05:06:08.5Z","copyCount":4,"mimeType":"public.png",)"
            R"("metadata":{"sourceApp":"Editor","sourceBundleID":"org.editor","pixelWidth":2,"pixelHeight":3,"byteCount":9},"imageData":"AAE=")")
        + "]}";
    const BackupReader::Outcome outcome = BackupReader::read(bytes);
    QVERIFY2(std::holds_alternative<VemraExport>(outcome), qPrintable(sentence(outcome)));
    const VemraExport &document = std::get<VemraExport>(outcome);
    QCOMPARE(document.exportedAt, QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC));
    QCOMPARE(document.todos.size(), 1);
    const ExportedTodo &todo = document.todos.first();
    QCOMPARE(todo.id, QUuid::fromString(QLatin1StringView(id)));
    QCOMPARE(todo.createdAt, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC));
    QCOMPARE(todo.updatedAt, QDateTime(QDate(2026, 3, 4), QTime(23, 0), Qt::UTC));
    QCOMPARE(todo.completedAt, std::nullopt);
    QCOMPARE(todo.day, u"2026-03-10"_s);
    QCOMPARE(todo.sortOrder, -3);
    const ExportedClipboardItem &item = document.clipboard.first();
    QCOMPARE(item.lastCopiedAt, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 8, 500), Qt::UTC));
    QCOMPARE(item.copyCount, 4);
    QCOMPARE(item.metadata->sourceBundleID, u"org.editor"_s);
    QCOMPARE(item.metadata->byteCount, 9);
    QCOMPARE(item.imageData, QByteArray("\x00\x01", 2));
}

// Short fields are cut at a character's edge, counts and orders bounded; titles and contents
// stay whole.
void tst_BackupReader::bounds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("expected");
    const QByteArray huge(5 << 20, 'a');
    const auto withEntry = [](const QByteArray &members) { return document("[]", '[' + entry(members) + ']'); };
    const auto withTodo = [](const QByteArray &members) { return document('[' + todo(members) + ']'); };
    QTest::newRow("source app") << withEntry(R"("metadata":{"sourceApp":")" + huge + "\"}") << u"sourceApp"_s
                                << QVariant(QString(BackupReader::maximumShortField, u'a'));
    // "é" is two bytes: a cut inside it goes back to its start.
    QTest::newRow("identifier at a character's edge")
        << withEntry(R"("metadata":{"sourceBundleID":"a)" + QByteArray("\u00e9").repeated(300) + "\"}")
        << u"sourceBundleID"_s << QVariant(u'a' + QString(127, QChar(0xE9)));
    QTest::newRow("MIME type") << withEntry(R"("mimeType":")" + huge + "\"") << u"mimeType"_s
                               << QVariant(QString(BackupReader::maximumShortField, u'a'));
    QTest::newRow("content whole") << document(
        "[]", "[{\"id\":\"" + id + "\",\"type\":\"text\",\"content\":\"" + huge + "\",\"createdAt\":" + date + "}]")
                                   << u"content"_s << QVariant(QString::fromLatin1(huge));
    QTest::newRow("copy count") << withEntry(R"("copyCount":9223372036854775807)") << u"copyCount"_s
                                << QVariant(BackupReader::maximumCount);
    QTest::newRow("copy count written as a fraction")
        << withEntry(R"("copyCount":9.2e18)") << u"copyCount"_s << QVariant(BackupReader::maximumCount);
    QTest::newRow("sort order") << withTodo(R"("sortOrder":-9223372036854775808)") << u"sortOrder"_s
                                << QVariant(-BackupReader::maximumCount);
    QTest::newRow("title whole") << document('[' + todo(R"("title":")" + huge + "\"", "title") + ']') << u"title"_s
                                 << QVariant(QString::fromLatin1(huge));
}

void tst_BackupReader::bounds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, field);
    QFETCH(QVariant, expected);
    const BackupReader::Outcome outcome = BackupReader::read(bytes);
    QVERIFY2(std::holds_alternative<VemraExport>(outcome), qPrintable(sentence(outcome)));
    const VemraExport &read = std::get<VemraExport>(outcome);
    QVariant actual;
    if (field == u"title")
        actual = read.todos.first().title;
    else if (field == u"sortOrder")
        actual = *read.todos.first().sortOrder;
    else if (field == u"content")
        actual = read.clipboard.first().content;
    else if (field == u"copyCount")
        actual = *read.clipboard.first().copyCount;
    else if (field == u"mimeType")
        actual = *read.clipboard.first().mimeType;
    else if (field == u"sourceApp")
        actual = *read.clipboard.first().metadata->sourceApp;
    else
        actual = *read.clipboard.first().metadata->sourceBundleID;
    QCOMPARE(actual, expected);
}

void tst_BackupReader::files()
{
    QTemporaryDir folder;
    QVERIFY(std::holds_alternative<BackupError>(BackupReader::read(folder.filePath(u"missing.json"_s))));
    QCOMPARE(std::get<BackupError>(BackupReader::read(folder.filePath(u"missing.json"_s))).kind(),
        BackupError::Kind::Unreadable);

    // A sparse file: refused by its size before a byte is read.
    QFile huge(folder.filePath(u"huge.json"_s));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(BackupReader::maximumFileSize + 1));
    huge.close();
    QCOMPARE(std::get<BackupError>(BackupReader::read(huge.fileName())).kind(), BackupError::Kind::TooLarge);

    // Longer than one chunk of the file stream.
    QFile large(folder.filePath(u"large.json"_s));
    QVERIFY(large.open(QIODevice::WriteOnly));
    large.write(document('[' + todo(R"("title":")" + QByteArray(3 << 20, 'x') + "\"", "title") + ']'));
    large.close();
    const BackupReader::Outcome outcome = BackupReader::read(large.fileName());
    QVERIFY2(std::holds_alternative<VemraExport>(outcome), qPrintable(sentence(outcome)));
    QCOMPARE(std::get<VemraExport>(outcome).todos.first().title.size(), 3 << 20);
}

// A named pipe nobody writes to, a folder: refused at once, without waiting on an open().
void tst_BackupReader::notARegularFile()
{
    QTemporaryDir folder;
    const QString pipe = folder.filePath(u"export.json"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    for (const QString &path : { pipe, folder.path() }) {
        const BackupReader::Outcome outcome = BackupReader::read(path);
        QVERIFY(std::holds_alternative<BackupError>(outcome));
        QCOMPARE(std::get<BackupError>(outcome).description(), u"It isn’t a regular file."_s);
    }
    QVERIFY(clock.elapsed() < 5000);
}

// The entries' list read in pieces on other threads, split wherever a line starts with '{',
// gives what one reading from the start gives: the same records, or the same fault at the
// same place, or the same refusal; with a pool of one thread too, which reads the fewest
// pieces ahead, fewer than a reading may pass over at once.
void tst_BackupReader::splitAnywhere_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray text
        = "{\n\"content\":\"},\\n{ not a line\",\"createdAt\":" + date + ",\"id\":\"" + id + "\",\"type\":\"text\"\n}";
    const QByteArray image = entry(R"("type":"image","imageData":"AAEC","metadata":{"sourceApp":"Ünïcode"})");
    QByteArrayList many;
    for (int i = 0; i < 12; ++i)
        many << (i % 3 == 0 ? image : text);
    QTest::newRow("whole entries") << laidOut(many);
    QTest::newRow("fault in the middle") << laidOut(
        QByteArrayList { text, text, "{\n\"id\":\"" + id + "\",\"type\":\"text\",\"content\":\"x\"\n}", text, text });
    QTest::newRow("fault in a later entry and an earlier field")
        << laidOut(QByteArrayList { text, entry(R"("copyCount":"two")"), text, entry(R"("id":7)") });
    QTest::newRow("elements that are no entries")
        << laidOut(QByteArrayList { text, "null", text, "5", text, "[\n{\n}\n]", text });
    QTest::newRow("fault in todos after the entries")
        << laidOut(QByteArrayList { text, text, text }, ",\n  \"todos\" : [\n{\n}\n]");
    QTest::newRow("entries nested in an unknown field")
        << laidOut(QByteArrayList { text, entry("\"extra\":[\n{\"a\":1},\n{\"b\":2}\n]"), text, text });
    QTest::newRow("a second entries list, skipped")
        << laidOut(QByteArrayList { text, text }, ",\n  \"clipboard\" : [\n" + text + ",\n{\n}\n]");
    QTest::newRow("a line break inside a string") << laidOut(QByteArrayList { text, "{\n\"content\":\"a\n{\"}", text });
    QTest::newRow("not UTF-8 inside a string")
        << laidOut(QByteArrayList { text, entry(R"("mimeType":"a)" + QByteArray("\xED\xA0\x80") + "\""), text });
    QTest::newRow("too deep inside an entry")
        << laidOut(QByteArrayList { text, entry("\"extra\":" + QByteArray(600, '[') + QByteArray(600, ']')), text });
    QTest::newRow("a zero byte") << laidOut(QByteArrayList { text, QByteArray("{\n\0}", 4), text });
    QTest::newRow("list not closed") << laidOut(QByteArrayList { text, text }).chopped(8);
}

void tst_BackupReader::splitAnywhere()
{
    QFETCH(QByteArray, bytes);
    const BackupReader::Outcome whole = BackupReader::read(bytes);
    QThreadPool &pool = *QThreadPool::globalInstance();
    const int machine = pool.maxThreadCount();
    const auto restore = qScopeGuard([&] { pool.setMaxThreadCount(machine); });
    for (const int threads : { machine, 1 }) {
        pool.setMaxThreadCount(threads);
        for (qint64 piece = 1; piece < bytes.size(); ++piece) {
            const BackupReader::Outcome split
                = BackupReader::read(bytes, BackupReader::Splitting { piece, 64, nullptr, {} });
            QCOMPARE(sentence(split), sentence(whole));
            if (const auto *document = std::get_if<VemraExport>(&whole))
                QVERIFY2(std::get<VemraExport>(split) == *document, qPrintable(QString::number(piece)));
        }
    }
}

// What the plan weighs of an entry, read without its text: the same as it weighs the entry;
// and the entry read again where it was found is the entry.
void tst_BackupReader::keys()
{
    QByteArrayList entries;
    for (const QByteArray &content : { "plain"_ba, "\\u00e9t\\u00e9 \\ud83d\\ude00"_ba,
             "\xEF\xBB\xBF"
             "starts with a mark"_ba,
             "lone \\udc00"_ba, "zero \\u0000 inside"_ba, " \\t\\n "_ba, "\xE3\x80\x80"_ba, "\xC2\xA0x"_ba, ""_ba }) {
        entries << "{\"id\":\"" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces)
                + "\",\"type\":\"text\",\"content\":\"" + content + "\",\"createdAt\":" + date + '}';
    }
    entries << entry(R"("type":"image","imageData":"AAEC")") << entry(R"("type":"image","imageData":"")")
            << entry(R"("type":"image")") << entry(R"("type":"Text")") << entry(R"("type":"url","imageData":"AAEC")")
            << entry(R"("type":"image","imageData":"AA==")");
    const QByteArray bytes = laidOut(entries);
    const BackupReader::Outcome whole = BackupReader::read(bytes);
    QVERIFY2(std::holds_alternative<VemraExport>(whole), qPrintable(sentence(whole)));
    const QList<ExportedClipboardItem> items = std::get<VemraExport>(whole).clipboard;
    // With no id known, and with every other entry's known, whose content is then not hashed.
    QSet<QUuid> everyOther;
    for (qsizetype i = 0; i < items.size(); i += 2)
        everyOther.insert(items[i].id);
    for (const auto &[piece, known] : { std::pair { qint64(1) << 20, QSet<QUuid>() },
             std::pair { qint64(40), everyOther }, std::pair { qint64(7), QSet<QUuid>() },
             std::pair { qint64(1) << 20, everyOther }, std::pair { qint64(7), everyOther } }) {
        QList<EntryKey> keys;
        // The todos are handed over whole before the first entry.
        qsizetype keysBeforeTodos = -1;
        QList<ExportedTodo> todos;
        const BackupReader::Outcome outcome = BackupReader::readKeys(
            bytes, [&keys](const EntryKey &key) { return keys.append(key), true; },
            BackupReader::Splitting { piece, 64, nullptr, [&known](const QUuid &id) { return known.contains(id); } },
            [&](const QList<ExportedTodo> &read) { todos = read, keysBeforeTodos = keys.size(); });
        QCOMPARE(keysBeforeTodos, 0);
        QCOMPARE(todos, std::get<VemraExport>(whole).todos);
        QVERIFY(std::get<VemraExport>(outcome).clipboard.isEmpty());
        QCOMPARE(keys.size(), items.size());
        for (qsizetype i = 0; i < items.size(); ++i) {
            QCOMPARE(keys[i].place.index, i);
            QCOMPARE(keys[i].id, items[i].id);
            QCOMPARE(keys[i].valid, items[i].isValid());
            if (keys[i].valid)
                QVERIFY(keys[i].hash == (known.contains(items[i].id) ? ContentDigest() : ImportPlan::hash(items[i])));
            const QByteArrayView found = QByteArrayView(bytes).sliced(keys[i].place.offset, keys[i].place.length);
            QCOMPARE(BackupReader::readEntry(found), items[i]);
        }
    }
    // A picture whose id is known is only checked, and a damaged one still refuses the file.
    const QByteArray damaged = laidOut({ entry(R"("type":"image","imageData":"AA=A")") });
    const BackupReader::Outcome refused = BackupReader::readKeys(
        damaged, [](const EntryKey &) { return true; },
        BackupReader::Splitting { 7, 64, nullptr, [](const QUuid &) { return true; } });
    QVERIFY(std::holds_alternative<BackupError>(refused));
    QCOMPARE(sentence(refused), sentence(BackupReader::read(damaged)));
}

QTEST_GUILESS_MAIN(tst_BackupReader)
#include "tst_BackupReader.moc"
