#include "Models/Transfer/ExportDates.h"
#include "Models/Transfer/ExportEncoder.h"
#include "Services/Transfer/BackupReader.h"
#include "Services/Transfer/BackupWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QDateTime at(int day, int seconds, int millis = 0)
{
    return QDateTime(QDate(2026, 3, day), QTime(0, 0).addSecs(seconds).addMSecs(millis), Qt::UTC);
}

// The todo list encoded as the export hands it over: in runs of `run` todos.
QList<QByteArray> encodedRuns(const QList<ExportedTodo> &todos, qsizetype run = 1024)
{
    QList<QByteArray> encoded;
    for (qsizetype from = 0; from < todos.size(); from += run)
        encoded << ExportEncoder::todoRun(todos, from, std::min(run, todos.size() - from));
    return encoded;
}

Status writeAll(const QString &path, const QList<ExportedTodo> &todos, const QList<PendingExportItem> &entries,
    const QDateTime &exportedAt = at(4, 18367, 900))
{
    BackupWriter writer(path);
    Status status = writer.begin(encodedRuns(todos), exportedAt);
    // Two batches, as the export hands them over.
    if (status)
        status = writer.write(entries.mid(0, 1));
    if (status)
        status = writer.write(entries.mid(1));
    if (status)
        status = writer.finish();
    return status;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// One todo and two entries: a text whose whole lies in a side file and an image.
struct Sample
{
    QList<ExportedTodo> todos;
    QList<PendingExportItem> entries;

    explicit Sample(const QString &folder)
    {
        ExportedTodo todo { QUuid::fromString(u"0b1c2d3e-0000-4000-8000-00000000000a"_s),
            u"Read “Dune” / ch. 3\u0007"_s, true, at(1, 1), at(2, 2), at(3, 3), u"2026-03-10"_s, 0 };
        todos << todo;
        todo.id = QUuid::fromString(u"0B1C2D3E-0000-4000-8000-00000000000B"_s);
        todo.title = u"Open"_s;
        todo.isCompleted = false;
        todo.completedAt.reset();
        todo.day.reset();
        todo.sortOrder = -1;
        todos << todo;

        PendingExportItem text;
        text.item = ExportedClipboardItem { QUuid::fromString(u"1c2d3e4f-0000-4000-8000-00000000000c"_s), u"url"_s,
            u"head"_s, at(4, 4), at(5, 5), 3, u"public.url"_s,
            ExportedClipboardItem::Metadata { u"Éditeur"_s, u"org.example.editor"_s, {}, {}, 12 }, {} };
        text.textPath = folder + u"/whole.txt"_s;
        writeFile(*text.textPath, "https://example.org/a?b=\"c\"\n\\ end");
        PendingExportItem image;
        image.item = ExportedClipboardItem { QUuid::fromString(u"2D3E4F50-0000-4000-8000-00000000000D"_s), u"image"_s,
            QString(), at(6, 6), at(6, 6), 1, u"public.png"_s, ExportedClipboardItem::Metadata { {}, {}, 2, 1, 4 },
            {} };
        image.imagePath = folder + u"/image.png"_s;
        writeFile(*image.imagePath, QByteArray("\x89PNG", 4));
        entries << text << image;
    }
};

QString randomText(QRandomGenerator &random)
{
    static const QList<char32_t> alphabet { u'a', u' ', u'/', u'"', u'\\', u'\n', u'\t', 0x01, 0x1F, 0x7F, u'é', 0x2028,
        0x1F600 };
    QString text;
    const int length = random.bounded(12);
    for (int i = 0; i < length; ++i) {
        const char32_t c = alphabet[random.bounded(int(alphabet.size()))];
        text += QString::fromUcs4(&c, 1);
    }
    return text;
}

template <typename T> std::optional<T> sometimes(QRandomGenerator &random, T value)
{
    return random.bounded(2) ? std::optional<T>(value) : std::nullopt;
}

} // namespace

class tst_BackupWriter : public QObject
{
    Q_OBJECT

private slots:
    void layout_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::newRow("nothing") << true;
        QTest::newRow("two todos and two entries") << false;
    }

    void layout()
    {
        QFETCH(bool, empty);
        QTemporaryDir folder;
        const Sample sample(folder.path());
        const QString path = folder.filePath(u"out.json"_s);
        QVERIFY(writeAll(
            path, empty ? QList<ExportedTodo>() : sample.todos, empty ? QList<PendingExportItem>() : sample.entries));
        const QString golden = QStringLiteral(GOLDEN_DIR) + (empty ? u"/empty.json"_s : u"/sample.json"_s);
        QCOMPARE(contents(path), contents(golden));
    }

    void roundTrip()
    {
        QTemporaryDir folder;
        QRandomGenerator random(20260304);
        for (int run = 0; run < 20; ++run) {
            VemraExport document;
            document.app = u"Vemra"_s;
            document.exportedAt
                = QDateTime::fromSecsSinceEpoch(random.bounded(4'000'000'000LL) - 2'000'000'000, Qt::UTC);
            QList<PendingExportItem> entries;
            const auto time = [&random] {
                return QDateTime::fromSecsSinceEpoch(random.bounded(253'402'300'799LL) - 62'135'596'800LL, Qt::UTC);
            };
            for (int i = random.bounded(5); i > 0; --i) {
                document.todos << ExportedTodo { QUuid::createUuid(), randomText(random), bool(random.bounded(2)),
                    time(), sometimes(random, time()), sometimes(random, time()), sometimes(random, randomText(random)),
                    sometimes(random, qint64(random.generate64()) >> 11) };
            }
            for (int i = random.bounded(5); i > 0; --i) {
                ExportedClipboardItem item { QUuid::createUuid(), randomText(random), randomText(random), time(),
                    sometimes(random, time()), sometimes(random, qint64(random.generate64()) >> 11),
                    sometimes(random, randomText(random)), {}, {} };
                if (random.bounded(2))
                    item.metadata = ExportedClipboardItem::Metadata { sometimes(random, randomText(random)),
                        sometimes(random, randomText(random)), sometimes(random, qint64(random.bounded(9))), {},
                        sometimes(random, qint64(-1)) };
                PendingExportItem pending { item, {}, {} };
                if (random.bounded(2)) {
                    QByteArray bytes(random.bounded(40), '\0');
                    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
                    pending.item.imageData = bytes;
                    pending.imagePath = folder.filePath(QString::number(run) + u'-' + QString::number(i));
                    QVERIFY(writeFile(*pending.imagePath, bytes));
                }
                document.clipboard << pending.item;
                pending.item.imageData.reset();
                entries << pending;
            }
            const QString path = folder.filePath(u"round.json"_s);
            QVERIFY(writeAll(path, document.todos, entries, document.exportedAt));
            const BackupReader::Outcome outcome = BackupReader::read(path);
            if (const auto *error = std::get_if<BackupError>(&outcome))
                QFAIL(qPrintable(error->description() + u'\n' + QString::fromUtf8(contents(path))));
            QCOMPARE(std::get<VemraExport>(outcome), document);
        }
    }

    // The todos are encoded in pieces across the pool and the entries handed over in runs, some
    // of them left out: the file is the one the list and the entries make written at once.
    void piecesJoin_data()
    {
        QTest::addColumn<int>("todos");
        QTest::addColumn<QList<int>>("runs"); // entries per run; a negative count: all left out
        QTest::newRow("none") << 0 << QList<int> {};
        QTest::newRow("one todo, empty runs") << 1 << QList<int> { 0, 2, 0, 1 };
        QTest::newRow("a piece less one") << 1023 << QList<int> { -2, 3 };
        QTest::newRow("a piece") << 1024 << QList<int> { 1, -1, -3, 2 };
        QTest::newRow("a piece and one") << 1025 << QList<int> { 3, -1 };
        QTest::newRow("two pieces and some") << 2100 << QList<int> { -1, 1, 1, -1, 1 };
    }

    void piecesJoin()
    {
        QFETCH(int, todos);
        QFETCH(QList<int>, runs);
        QTemporaryDir folder;
        QList<ExportedTodo> list;
        for (int i = 0; i < todos; ++i)
            list << ExportedTodo { QUuid::createUuid(), u"todo \"%1\""_s.arg(i), i % 2 == 0, at(1, i), {}, {}, {}, i };
        const QString path = folder.filePath(u"out.json"_s);
        BackupWriter writer(path);
        QVERIFY(writer.begin(encodedRuns(list), at(4, 4)));
        QList<QUuid> written;
        QList<QUuid> skipped;
        for (const int run : runs) {
            QList<PendingExportItem> entries;
            for (int i = 0; i < std::abs(run); ++i) {
                PendingExportItem pending { ExportedClipboardItem { QUuid::createUuid(), u"text"_s, u"copied"_s,
                                                at(5, i), {}, {}, {}, {}, {} },
                    {}, {} };
                if (run < 0)
                    pending.textPath = folder.filePath(u"gone.txt"_s);
                (run < 0 ? skipped : written) << pending.item.id;
                entries << pending;
            }
            QVERIFY(writer.write(BackupWriter::encode(entries)));
        }
        QVERIFY(writer.finish());
        QCOMPARE(writer.entryCount(), written.size());
        QList<QUuid> named;
        for (const BackupWriter::Skipped &entry : writer.skipped())
            named << entry.id;
        QCOMPARE(named, skipped);
        const QByteArray text = contents(path);
        QVERIFY(text.contains(QByteArray("\"todos\" : " + ExportEncoder::todos(list) + ",\n  \"clipboard\" : [")));
        const BackupReader::Outcome outcome = BackupReader::read(path);
        if (const auto *error = std::get_if<BackupError>(&outcome))
            QFAIL(qPrintable(error->description()));
        QList<QUuid> read;
        for (const ExportedClipboardItem &item : std::get<VemraExport>(outcome).clipboard)
            read << item.id;
        QCOMPARE(read, written);
        QCOMPARE(std::get<VemraExport>(outcome).todos.size(), todos);
    }

    // A failed export leaves the file that was at the destination as it was, and nothing else;
    // a full disk says so.
    void failureKeepsOldFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("named");
        QTest::newRow("file too large") << u"limit"_s << u"out.json"_s;
        QTest::newRow("disk full") << u"full"_s << u"The disk is full."_s;
    }

    void failureKeepsOldFile()
    {
        QFETCH(QString, fault);
        QFETCH(QString, named);
        QTemporaryDir root;
        QString folder = root.path();
        if (fault == u"full") {
            // A disk of its own, 64 KiB large.
            folder = root.filePath(u"disk"_s);
            QVERIFY(QDir().mkpath(folder));
            if (QProcess::execute(u"mount"_s, { u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=64k"_s, u"tmpfs"_s, folder }) != 0)
                QSKIP("a small disk can't be mounted here");
        }
        const auto unmount = qScopeGuard([&] {
            if (fault == u"full")
                QProcess::execute(u"umount"_s, { folder });
        });
        Sample sample(folder);
        const QString path = folder + u"/out.json"_s;
        QVERIFY(writeFile(path, "last week's export"));
        // An entry's text is larger than what the file may grow to.
        sample.entries[0].textPath.reset();
        sample.entries[0].item.content = QString(100'000, u'x');
        rlimit saved {};
        if (fault == u"limit") {
            std::signal(SIGXFSZ, SIG_IGN);
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit small = saved;
            small.rlim_cur = 64 << 10;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        const Status status = writeAll(path, sample.todos, sample.entries);
        if (fault == u"limit")
            setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(!status);
        QVERIFY2(status.error().description().contains(named), qPrintable(status.error().description()));
        QCOMPARE(contents(path), QByteArray("last week's export"));
        QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        left.removeAll(u"image.png"_s);
        left.removeAll(u"whole.txt"_s);
        QCOMPARE(left, QStringList { u"out.json"_s });
    }

    // An export killed while it writes leaves the old file as it was and nothing else, though
    // more than a buffer of it reached the disk.
    void killedLeavesNoPart()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(u"out.json"_s);
        QVERIFY(writeFile(path, "last week's export"));
        const QList<ExportedTodo> todos(20'000, Sample(folder.path()).todos.first());
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            BackupWriter writer(path);
            if (writer.begin(encodedRuns(todos), at(1, 1)) && ::write(ready[1], "w", 1) == 1)
                ::pause();
            ::_exit(1);
        }
        char written = 0;
        QCOMPARE(::read(ready[0], &written, 1), 1);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);
        QCOMPARE(contents(path), QByteArray("last week's export"));
        QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
        left.removeAll(u"image.png"_s);
        left.removeAll(u"whole.txt"_s);
        QCOMPARE(left, QStringList { u"out.json"_s });
    }

    // What a crash left under our naming (where a file can't be written without a name) is
    // removed by the next export to the folder; anything else there stays.
    void staleParts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("removed");
        QTest::newRow("ours") << u".Vemra Export 2026-12-06.json.0a1b2c3d4e5f.part"_s << true;
        QTest::newRow("no hex") << u".Vemra Export.json.part"_s << false;
        QTest::newRow("capitals") << u".out.json.0A1B2C3D4E5F.part"_s << false;
        QTest::newRow("not hidden") << u"out.json.0a1b2c3d4e5f.part"_s << false;
        QTest::newRow("other suffix") << u".out.json.0a1b2c3d4e5f.partial"_s << false;
        QTest::newRow("link of our naming") << u"link:.out.json.0a1b2c3d4e5f.part"_s << false;
    }

    void staleParts()
    {
        QFETCH(QString, name);
        QFETCH(bool, removed);
        QTemporaryDir folder;
        const bool link = name.startsWith(u"link:"_s);
        name.remove(u"link:"_s);
        const QString part = folder.filePath(name);
        QVERIFY(writeFile(folder.filePath(u"kept"_s), "someone else's"));
        QVERIFY(link ? QFile::link(folder.filePath(u"kept"_s), part) : writeFile(part, "{ \"app\" : \"Vemra\""));
        QVERIFY(writeAll(folder.filePath(u"out.json"_s), {}, {}));
        QCOMPARE(!QFileInfo(part).isSymLink() && !QFileInfo::exists(part), removed);
        QCOMPARE(contents(folder.filePath(u"kept"_s)), QByteArray("someone else's"));
    }

    // An entry whose image or whole text is gone is left out and named; the rest is written.
    // Dates are written in UTC, in whole seconds rounded down, with four-digit years; a year
    // beyond them is written as it is.
    void datesAsWritten_data()
    {
        QTest::addColumn<QDateTime>("instant");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("ordinary") << QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 999), Qt::UTC)
                                  << QByteArray("2026-03-04T05:06:07Z");
        QTest::newRow("elsewhere") << QDateTime(QDate(2026, 12, 31), QTime(23, 30), QTimeZone(-3600))
                                   << QByteArray("2027-01-01T00:30:00Z");
        QTest::newRow("before 1970") << QDateTime::fromMSecsSinceEpoch(-500, Qt::UTC)
                                     << QByteArray("1969-12-31T23:59:59Z");
        QTest::newRow("first year") << QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC)
                                    << QByteArray("0001-01-01T00:00:00Z");
        QTest::newRow("last year") << QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC)
                                   << QByteArray("9999-12-31T23:59:59Z");
        QTest::newRow("leap day") << QDateTime(QDate(2000, 2, 29), QTime(23, 59, 59), Qt::UTC)
                                  << QByteArray("2000-02-29T23:59:59Z");
        QTest::newRow("after a century's 28 days")
            << QDateTime(QDate(1900, 3, 1), QTime(0, 0), Qt::UTC) << QByteArray("1900-03-01T00:00:00Z");
        QTest::newRow("end of a leap year")
            << QDateTime(QDate(2024, 12, 31), QTime(12, 0), Qt::UTC) << QByteArray("2024-12-31T12:00:00Z");
        QTest::newRow("five digits") << QDateTime(QDate(12345, 6, 7), QTime(8, 9, 10), Qt::UTC)
                                     << QByteArray("12345-06-07T08:09:10Z");
        QTest::newRow("before year one") << QDateTime(QDate(-5, 6, 7), QTime(8, 9, 10), Qt::UTC)
                                         << QByteArray("-005-06-07T08:09:10Z");
    }
    void datesAsWritten()
    {
        QFETCH(QDateTime, instant);
        QFETCH(QByteArray, written);
        QCOMPARE(ExportDates::format(instant), written);
    }

    // A character that must be escaped is escaped wherever it stands among eight-byte words
    // of plain text, and nothing else is.
    void escapesAnywhere_data()
    {
        QTest::addColumn<QString>("special");
        QTest::addColumn<QByteArray>("escaped");
        QTest::newRow("quote") << u"\""_s << QByteArray("\\\"");
        QTest::newRow("backslash") << u"\\"_s << QByteArray("\\\\");
        QTest::newRow("line feed") << u"\n"_s << QByteArray("\\n");
        QTest::newRow("nul") << QString(QChar(0)) << QByteArray("\\u0000");
        QTest::newRow("unit separator") << QString(QChar(0x1F)) << QByteArray("\\u001f");
        QTest::newRow("space, kept") << u" "_s << QByteArray(" ");
        QTest::newRow("delete, kept") << QString(QChar(0x7F)) << QByteArray("\x7F");
        QTest::newRow("beyond ASCII, kept") << u"é"_s << QByteArray("\xC3\xA9");
        QTest::newRow("#, kept") << u"#"_s << QByteArray("#");
        QTest::newRow("], kept") << u"]"_s << QByteArray("]");
    }

    void escapesAnywhere()
    {
        QFETCH(QString, special);
        QFETCH(QByteArray, escaped);
        for (int length = 0; length < 20; ++length) {
            for (int at = 0; at <= length; ++at) {
                const QString text = QString(at, u'a') + special + QString(length - at, u'b');
                QByteArray out("x");
                ExportEncoder::appendString(out, text);
                QCOMPARE(out, "x\"" + QByteArray(at, 'a') + escaped + QByteArray(length - at, 'b') + '"');
            }
        }
    }

    // Stored bytes go to the file as the text they decode to would: well-formed UTF-8 as it is
    // among words of plain text, anything else (and a leading byte order mark, which decoding
    // drops) as decoding makes it; and image bytes in the Base64 the toolkit writes.
    void storedBytesAsDecoded_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("two to four bytes") << QByteArray("\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x99\x82 \xF4\x8F\xBF\xBF");
        QTest::newRow("byte order mark at the start") << QByteArray("\xEF\xBB\xBFmark");
        QTest::newRow("byte order mark within") << QByteArray("a\xEF\xBB\xBF");
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80");
        QTest::newRow("overlong") << QByteArray("\xC0\xAF\xE0\x80\xAF");
        QTest::newRow("beyond the last code point") << QByteArray("\xF4\x90\x80\x80");
        QTest::newRow("cut short") << QByteArray("\xE6\x97");
        QTest::newRow("lone continuation") << QByteArray("\x80");
        QTest::newRow("controls and nul") << QByteArray("\x01\x1F\x00\"\\", 5);
    }

    void storedBytesAsDecoded()
    {
        QFETCH(QByteArray, stored);
        for (int at = 0; at <= 9; ++at) {
            const QByteArray text = QByteArray(at, 'a') + stored + QByteArray(9 - at, 'b');
            QByteArray raw;
            ExportEncoder::appendUtf8(raw, text);
            QByteArray decoded;
            ExportEncoder::appendString(decoded, QString::fromUtf8(text));
            QCOMPARE(raw, decoded);
        }
        QRandomGenerator random(20261208);
        for (int length = 0; length < 40; ++length) {
            QByteArray bytes(length, Qt::Uninitialized);
            for (char &byte : bytes)
                byte = char(random.bounded(256));
            bytes += stored;
            QByteArray out("x");
            ExportEncoder::appendBase64(out, bytes);
            QCOMPARE(out, "x" + bytes.toBase64());
        }
    }

    // A local time's instant is the toolkit's: across a year of days, a day on each side of
    // the clocks going forward and back (times that name none or two instants among them, and
    // instants in the hour that repeats), and instants of a century each side.
    void localInstantsAsTheToolkitHasThem()
    {
        const ExportDates::LocalZone zone;
        const auto same
            = [](const QDateTime &local) { QCOMPARE(ExportDates::instant(local), local.toMSecsSinceEpoch()); };
        for (int day = 0; day < 365; ++day)
            same(QDateTime(QDate(2026, 1, 1).addDays(day), QTime(13, 14, 15, 16)));
        for (const QDate &change : { QDate(2026, 3, 8), QDate(2026, 11, 1) }) {
            for (int minutes = -26 * 60; minutes <= 26 * 60; minutes += 7) {
                const QDateTime local = QDateTime(change, QTime(0, 0)).addSecs(minutes * 60);
                same(QDateTime(local.date(), local.time()));
                same(QDateTime::fromMSecsSinceEpoch(
                    QDateTime(change, QTime(5, 0), Qt::UTC).toMSecsSinceEpoch() + qint64(minutes) * 60'000 + 123));
            }
        }
        QRandomGenerator random(20261208);
        for (int i = 0; i < 5'000; ++i)
            same(QDateTime::fromMSecsSinceEpoch(random.bounded(-2'208'988'800'000LL, 4'102'444'800'000LL)));
        same(QDateTime::fromMSecsSinceEpoch(0, Qt::UTC));
        same(QDateTime());
    }

    // Every date of the four-digit years is written as the calendar has it.
    void datesFollowTheCalendar()
    {
        QRandomGenerator random(20261208);
        for (int i = 0; i < 20'000; ++i) {
            const qint64 msecs = (random.bounded(253'402'300'800LL + 62'135'596'800LL) - 62'135'596'800LL) * 1000
                + random.bounded(1000);
            const QDateTime instant = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
            QCOMPARE(ExportDates::format(instant), instant.toString(u"yyyy-MM-ddTHH:mm:ss'Z'"_s).toLatin1());
        }
    }

    void missingSideFileIsSkipped_data()
    {
        QTest::addColumn<int>("gone");
        QTest::newRow("text file gone") << 0;
        QTest::newRow("image file gone") << 1;
    }

    void missingSideFileIsSkipped()
    {
        QFETCH(int, gone);
        QTemporaryDir folder;
        Sample sample(folder.path());
        QFile::remove(gone == 0 ? *sample.entries[0].textPath : *sample.entries[1].imagePath);
        const QString path = folder.filePath(u"out.json"_s);
        BackupWriter writer(path);
        QVERIFY(writer.begin(encodedRuns(sample.todos), at(1, 1)) && writer.write(sample.entries) && writer.finish());
        QCOMPARE(writer.entryCount(), 1);
        QCOMPARE(writer.skipped().size(), 1);
        QCOMPARE(writer.skipped().first().id, sample.entries[gone].item.id);
        QCOMPARE(writer.skipped().first().lastCopiedAt, *sample.entries[gone].item.lastCopiedAt);
        const BackupReader::Outcome outcome = BackupReader::read(path);
        QVERIFY(std::holds_alternative<VemraExport>(outcome));
        QCOMPARE(std::get<VemraExport>(outcome).clipboard.size(), 1);
        QCOMPARE(std::get<VemraExport>(outcome).clipboard.first().id, sample.entries[1 - gone].item.id);
    }

    // The export holds the whole history: only its owner may read it, whatever the umask, and
    // also when it replaces a file that others could read.
    void privateWhateverTheUmask_data()
    {
        QTest::addColumn<int>("mask");
        QTest::newRow("022") << 022;
        QTest::newRow("000") << 0;
    }

    void privateWhateverTheUmask()
    {
        QFETCH(int, mask);
        QTemporaryDir folder;
        const QString path = folder.filePath(u"out.json"_s);
        QVERIFY(writeFile(path, "old"));
        QVERIFY(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther));
        const mode_t saved = ::umask(mode_t(mask));
        const Status status = writeAll(path, {}, {});
        ::umask(saved);
        QVERIFY(status);
        struct stat written
        {
        };
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &written), 0);
        QCOMPARE(written.st_mode & 0777, mode_t(0600));
    }

    void destinationUnderAFile()
    {
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath(u"plain"_s), "x"));
        const QString path = folder.filePath(u"plain/out.json"_s);
        const Status status = writeAll(path, {}, {});
        QVERIFY(!status);
        QVERIFY(status.error().description().contains(path));
    }
};

QTEST_GUILESS_MAIN(tst_BackupWriter)
#include "tst_BackupWriter.moc"
