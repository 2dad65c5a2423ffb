#include "FakeAlertPresenter.h"
#include "FakeFileDialogs.h"
#include "FixedClock.h"
#include "Models/Transfer/ExportEncoder.h"
#include "Services/Clipboard/ClipboardCaptures.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Clipboard/ClipboardTransferReader.h"
#include "Services/Storage/StoreDatabase.h"
#include "Services/Storage/StoreWriter.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Transfer/BackupReader.h"
#include "Services/Transfer/BackupWriter.h"
#include "Services/Transfer/DataTransfer.h"
#include "TaskWait.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentMap>

#include <csignal>
#include <cstring>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QDateTime now(QDate(2026, 3, 4), QTime(15, 30), Qt::UTC);

QByteArray png()
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

ExportedClipboardItem entry(const QString &type, const QString &content, std::optional<QByteArray> image = {})
{
    ExportedClipboardItem item;
    item.id = QUuid::createUuid();
    item.type = type;
    item.content = content;
    item.createdAt = now.addSecs(-60);
    item.imageData = std::move(image);
    return item;
}

ExportedTodo todo(const QString &title, qint64 order = 0)
{
    return ExportedTodo { QUuid::createUuid(), title, false, now.addSecs(-order), {}, {}, {}, order };
}

// A pair of stores in a folder of their own, and the service over them.
// Holds every thread of Qt's global pool, where the stores' checks run, until released (or
// until it goes), so that a test can ask for what must not wait on them.
class GlobalPoolHold final
{
public:
    GlobalPoolHold()
    {
        for (int i = 0; i < m_threads; ++i)
            QThreadPool::globalInstance()->start([this] { m_held.acquire(); });
    }
    ~GlobalPoolHold() { release(); }
    GlobalPoolHold(const GlobalPoolHold &) = delete;
    GlobalPoolHold &operator=(const GlobalPoolHold &) = delete;

    void release()
    {
        if (m_released)
            return;
        m_released = true;
        m_held.release(m_threads);
        QThreadPool::globalInstance()->waitForDone();
    }

private:
    QSemaphore m_held;
    const int m_threads = QThreadPool::globalInstance()->maxThreadCount();
    bool m_released = false;
};

struct Home
{
    Home() = default;
    // Stores in a folder that outlives this home.
    explicit Home(const QString &path)
        : place(path)
    {
    }

    QTemporaryDir folder;
    QString place = folder.path();
    FixedClock clock { now };
    std::unique_ptr<TodoStore> todoStore = TodoStore::make(place + u"/Todos.store"_s, &clock);
    TodoStore &todos = *todoStore;
    std::unique_ptr<ClipboardStore> clipboard = ClipboardStore::make(place + u"/Clipboard"_s);
    FakeFileDialogs dialogs;
    FakeAlertPresenter alerts;
    DataTransfer transfer { todos, *clipboard, dialogs, alerts, clock };

    void record(const ExportedClipboardItem &item)
    {
        auto capture = ClipboardCaptures::makeImported(item, clipboard->folder());
        QVERIFY(capture && capture.value());
        clipboard->record(*capture.value());
    }

    // Runs an export to `path` (nothing: cancelled).
    void exportTo(std::optional<QString> path, DataTransfer::Scope scope = DataTransfer::Scope::All)
    {
        dialogs.answerWith({ std::move(path) });
        waitForTask(transfer.exportData(scope));
    }
    // Runs an import of `path`, answering the confirmation with `button` (0: Import).
    void importFrom(const QString &path, int button = 0)
    {
        dialogs.answerWith({ path });
        alerts.answerWith({ button });
        waitForTask(transfer.importData());
    }

    QStringList sideFiles() const
    {
        QStringList files;
        for (QDirIterator it(clipboard->folder(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString file = it.next();
            if (!file.contains(u"Clipboard.store"_s))
                files << QDir(clipboard->folder()).relativeFilePath(file);
        }
        files.sort();
        return files;
    }
};

// The stores in `folder` opened as the application opens them (checked in the background),
// and the service over them.
struct AppHome
{
    explicit AppHome(const QString &folder)
        : todoStore(TodoStore::make(folder + u"/Todos.store"_s, &clock, IntegrityCheck::InBackground))
        , clipboard(ClipboardStore::make(folder + u"/Clipboard"_s, IntegrityCheck::InBackground))
    {
    }

    FixedClock clock { now };
    std::unique_ptr<TodoStore> todoStore;
    std::unique_ptr<ClipboardStore> clipboard;
    FakeFileDialogs dialogs;
    FakeAlertPresenter alerts;
    DataTransfer transfer { *todoStore, *clipboard, dialogs, alerts, clock };
};

void writeDocument(const QString &path, const QList<ExportedTodo> &todos, const QList<ExportedClipboardItem> &entries)
{
    BackupWriter writer(path);
    QList<PendingExportItem> pending;
    for (const ExportedClipboardItem &item : entries)
        pending << PendingExportItem { item, {}, {} };
    QVERIFY(writer.begin({ ExportEncoder::todoRun(todos, 0, todos.size()) }, now) && writer.write(pending)
        && writer.finish());
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Makes every `change` (INSERT, DELETE) of `table` in the database at `file` fail.
void refuse(const QString &file, const QString &table, const QString &change)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(u"CREATE TRIGGER refuse_"_s + change + u" BEFORE "_s + change + u" ON "_s + table
            + u" BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s));
    }
    QSqlDatabase::removeDatabase(name);
}

// The rows of `table` in the database at `file`, as another connection reads them.
int rows(const QString &file, const QString &table)
{
    const QString name = QUuid::createUuid().toString();
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(u"SELECT count(*) FROM "_s + table) && query.next())
                count = query.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return count;
}

void refuseInserts(const QString &file, const QString &table)
{
    refuse(file, table, u"INSERT"_s);
}

} // namespace

class tst_DataTransfer : public QObject
{
    Q_OBJECT

private slots:
    void exportResult_data()
    {
        QTest::addColumn<bool>("clipboardOnly");
        QTest::addColumn<int>("todos");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("result");
        QTest::newRow("empty stores") << false << 0 << 0 << u"Vemra Export 2026-03-04.json"_s
                                      << u"Exported 0 todos and 0 clipboard items."_s;
        QTest::newRow("clipboard alone") << true << 2 << 1 << u"Vemra Clipboard 2026-03-04.json"_s
                                         << u"Exported 1 clipboard item."_s;
        QTest::newRow("grouped count") << false << 1234 << 2 << u"Vemra Export 2026-03-04.json"_s
                                       << u"Exported 1,234 todos and 2 clipboard items."_s;
    }

    void exportResult()
    {
        QFETCH(bool, clipboardOnly);
        QFETCH(int, todos);
        QFETCH(int, entries);
        QFETCH(QString, name);
        QFETCH(QString, result);
        Home home;
        QList<ExportedTodo> records;
        for (int i = 0; i < todos; ++i)
            records << todo(u"todo "_s + QString::number(i), i);
        QVERIFY(home.todos.insertImported(records));
        for (int i = 0; i < entries; ++i)
            home.record(entry(u"text"_s, u"copy "_s + QString::number(i)));

        QSignalSpy working(&home.transfer, &DataTransfer::isWorkingChanged);
        home.exportTo(home.folder.filePath(u"out.json"_s),
            clipboardOnly ? DataTransfer::Scope::Clipboard : DataTransfer::Scope::All);
        QCOMPARE(home.dialogs.requests().first().suggestedName, name);
        QCOMPARE(home.transfer.lastResult(), result);
        QCOMPARE(working.count(), 2);
        QVERIFY(home.alerts.alerts().isEmpty());
        QVERIFY(!home.transfer.isBusy());
    }

    void cancelChangesNothing()
    {
        Home home;
        home.todos.add(u"kept"_s, std::nullopt);
        QSignalSpy working(&home.transfer, &DataTransfer::isWorkingChanged);
        home.exportTo(std::nullopt);
        home.dialogs.answerWith({ std::nullopt });
        waitForTask(home.transfer.importData());
        QCOMPARE(working.count(), 0);
        QCOMPARE(home.transfer.lastResult(), std::nullopt);
        QVERIFY(home.alerts.alerts().isEmpty());
        QCOMPARE(QDir(home.folder.path()).entryList({ u"*.json"_s }, QDir::Files), QStringList());
    }

    // An entry whose side file can't be read is named (title and date) in a question, its name on
    // one line and cut with "…" where long: Cancel keeps the file that was at the destination and
    // the last result line; the other answer exports everything else.
    void missingSideFile_data()
    {
        QTest::addColumn<QString>("gone");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("named");
        QTest::addColumn<int>("button");
        const QString lines = u"first line\nsecond line\n"_s.repeated(1'500);
        QTest::newRow("image, cancelled") << u"Images/"_s << QString(30'000, u'x') << u"“Image”"_s << 1;
        QTest::newRow("long text, cancelled")
            << u"Text/"_s << QString(30'000, u'x') << u"“"_s + QString(40, u'x') + u"…”"_s << 1;
        QTest::newRow("long text, without it")
            << u"Text/"_s << QString(30'000, u'x') << u"“"_s + QString(40, u'x') + u"…”"_s << 0;
        QTest::newRow("text of lines, cancelled")
            << u"Text/"_s << lines << u"“first line second line first line second…”"_s << 1;
    }

    void missingSideFile()
    {
        QFETCH(QString, gone);
        QFETCH(QString, text);
        QFETCH(QString, named);
        QFETCH(int, button);
        Home home;
        home.record(entry(u"image"_s, QString(), png()));
        home.record(entry(u"text"_s, text));
        home.record(entry(u"text"_s, u"short"_s));
        const QString path = home.folder.filePath(u"out.json"_s);
        home.exportTo(path);
        const std::optional<QString> before = home.transfer.lastResult();
        QVERIFY(before);
        QFile::copy(path, path + u".bak"_s);

        const QStringList sides = home.sideFiles();
        const QString side
            = *std::find_if(sides.cbegin(), sides.cend(), [&](const QString &file) { return file.startsWith(gone); });
        QVERIFY(QFile::remove(home.clipboard->folder() + u'/' + side));
        home.alerts.answerWith({ button });
        home.exportTo(path);
        QCOMPARE(home.alerts.alerts().size(), 1);
        const Alert question = home.alerts.alerts().first();
        QCOMPARE(question.title, u"One clipboard item can’t be exported."_s);
        QVERIFY2(question.informativeText.contains(u'\n' + named + u", copied "_s)
                && !question.informativeText.contains(side),
            qPrintable(question.informativeText));
        QCOMPARE(question.buttons, (QStringList { u"Export Without It"_s, u"Cancel"_s }));
        QVERIFY(!home.transfer.isWorking());
        QStringList files { u"out.json"_s, u"out.json.bak"_s };
        QCOMPARE(QDir(home.folder.path()).entryList({ u"*out.json*"_s }, QDir::Files | QDir::Hidden), files);
        if (button == 1) {
            QCOMPARE(home.transfer.lastResult(), before);
            QCOMPARE(contents(path), contents(path + u".bak"_s));
            return;
        }
        QCOMPARE(home.transfer.lastResult(), u"Exported 0 todos and 2 clipboard items."_s);
        const BackupReader::Outcome outcome = BackupReader::read(path);
        QVERIFY(std::holds_alternative<VemraExport>(outcome));
        QCOMPARE(std::get<VemraExport>(outcome).clipboard.size(), 2);
    }

    // The export reads the history as it was when its reader was made, in its order (entries
    // copied at the same moment by id), on every connection, spans read at once in any order:
    // entries deleted, one copied again (moving it from the last span to the first) and a new
    // one, all saved meanwhile, are not in it.
    void exportIsOneSnapshot()
    {
        Home home;
        QList<ExportedClipboardItem> entries;
        QList<ClipboardCapture> captures;
        for (int i = 0; i < 700; ++i) {
            entries << entry(u"text"_s, u"entry "_s + QString::number(i));
            entries.last().createdAt = now.addSecs(i < 350 ? -(i / 2) : -i);
            auto capture = ClipboardCaptures::makeImported(entries.last(), home.clipboard->folder());
            QVERIFY(capture && capture.value());
            captures << *capture.value();
        }
        QVERIFY(home.clipboard->insertImported(captures));
        QList<QUuid> ids;
        for (const ClipboardItem &item : home.clipboard->items())
            ids << item.id;
        auto opened = ClipboardTransferReader::forExport(home.clipboard->transferSource(), home.clipboard->writer(), 3);
        QVERIFY(opened);
        const std::unique_ptr<ClipboardTransferReader> reader = std::move(opened).value();

        home.clipboard->deleteItems(home.clipboard->items().mid(100, 300));
        ExportedClipboardItem again = entries.at(650);
        again.lastCopiedAt = now.addSecs(60);
        home.record(again);
        home.record(entry(u"text"_s, u"copied meanwhile"_s));
        QVERIFY(home.clipboard->flush());
        QCOMPARE(home.clipboard->items().first().id, again.id);

        QList<ClipboardTransferReader::Span> spans;
        QVERIFY(reader->cut(40, 1 << 20, [&](const ClipboardTransferReader::Span &span) {
            spans << span;
            return Status();
        }));
        QVERIFY(spans.size() > 10);
        std::reverse(spans.begin(), spans.end());
        QThreadPool pool;
        pool.setMaxThreadCount(3);
        const QList<QList<QUuid>> read
            = QtConcurrent::blockingMapped(&pool, spans, [&reader](const ClipboardTransferReader::Span &span) {
                  QList<QUuid> ids;
                  const Status status = reader->read(span, [&ids](const ClipboardTransferReader::ExportRow &row) {
                      ids << row.entry.id;
                      return Status();
                  });
                  return status ? ids : QList<QUuid>();
              });
        QList<QUuid> exported;
        for (auto span = read.crbegin(); span != read.crend(); ++span)
            exported += *span;
        QCOMPARE(exported, ids);
    }

    // A history kept in memory, its file unusable, is exported whole and in its order.
    void exportOfAHistoryInMemory()
    {
        QTemporaryDir folder;
        QFile blocker(folder.filePath(u"Clipboard"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Home home(folder.path());
        QVERIFY(home.clipboard->loadError());
        QList<QUuid> ids;
        for (int i = 0; i < 3; ++i) {
            ExportedClipboardItem item = entry(u"text"_s, u"kept "_s + QString::number(i));
            item.createdAt = now.addSecs(i);
            home.record(item);
            ids.prepend(item.id);
        }
        const QString path = folder.filePath(u"out.json"_s);
        home.exportTo(path);
        const BackupReader::Outcome outcome = BackupReader::read(path);
        QVERIFY(std::holds_alternative<VemraExport>(outcome));
        QList<QUuid> exported;
        for (const ExportedClipboardItem &item : std::get<VemraExport>(outcome).clipboard)
            exported << item.id;
        QCOMPARE(exported, ids);
    }

    // A saved history larger than a batch goes to the file whole and in its order, with
    // texts beyond ASCII, side files, names and absent fields as stored.
    void exportOfTheSavedHistory()
    {
        Home home;
        QList<ClipboardCapture> captures;
        for (int i = 0; i < 2'500; ++i) {
            ExportedClipboardItem item = entry(u"text"_s, u"entry %1 ä 日本 🙂"_s.arg(i));
            if (i % 1'000 == 7)
                item = entry(u"image"_s, QString(), png());
            if (i % 1'000 == 8)
                item = entry(u"text"_s, QString(25'000, u'é') + QString::number(i));
            item.createdAt = now.addSecs(-i);
            if (i % 3 == 0)
                item.metadata = ExportedClipboardItem::Metadata { u"Éditeur"_s, u"org.example.editor"_s, {}, {}, {} };
            if (i % 5 == 0)
                item.mimeType = u"text/html"_s;
            auto capture = ClipboardCaptures::makeImported(item, home.clipboard->folder());
            QVERIFY(capture && capture.value());
            captures << *capture.value();
        }
        QVERIFY(home.clipboard->insertImported(captures));
        const QString path = home.folder.filePath(u"out.json"_s);
        home.exportTo(path);
        QCOMPARE(home.transfer.lastResult(), u"Exported 0 todos and 2,500 clipboard items."_s);
        QVERIFY(home.alerts.alerts().isEmpty());

        const BackupReader::Outcome outcome = BackupReader::read(path);
        QVERIFY(std::holds_alternative<VemraExport>(outcome));
        const QList<ExportedClipboardItem> exported = std::get<VemraExport>(outcome).clipboard;
        const QList<ClipboardItem> stored = home.clipboard->items();
        QCOMPARE(exported.size(), stored.size());
        for (qsizetype i = 0; i < stored.size(); ++i) {
            const ExportedClipboardItem &item = exported.at(i);
            QCOMPARE(item.id, stored.at(i).id);
            QCOMPARE(item.lastCopiedAt.value_or(QDateTime()), stored.at(i).lastCopiedAt);
            const ExportedClipboardItem::Metadata metadata = item.metadata.value_or(ExportedClipboardItem::Metadata());
            QCOMPARE(metadata.sourceApp.value_or(QString()), stored.at(i).sourceAppName);
            QCOMPARE(metadata.sourceBundleID.value_or(QString()), stored.at(i).sourceAppId);
            QCOMPARE(item.type, stored.at(i).rawKind);
            QCOMPARE(item.mimeType.value_or(QString()), stored.at(i).mimeType);
            if (stored.at(i).kind() == ClipboardItem::Kind::Image) {
                QCOMPARE(item.imageData.value_or(QByteArray()), png());
                continue;
            }
            QCOMPARE(item.content, home.clipboard->fullText(stored.at(i)).value_or(QString()));
        }
    }

    // A write that fails wherever it comes (among the todos, between the entries' batches
    // being encoded, at the last bytes) is told, waits for nothing left behind, and leaves
    // the last export as it was and no part of the new one.
    void failureMidwayLeavesNoFile_data()
    {
        QTest::addColumn<qint64>("shortBy");
        QTest::newRow("among the todos") << qint64(2'300'000);
        QTest::newRow("among the entries") << qint64(1'000'000);
        QTest::newRow("the last bytes") << qint64(3);
    }

    void failureMidwayLeavesNoFile()
    {
        QFETCH(qint64, shortBy);
        Home home;
        QList<ExportedTodo> todos;
        for (int i = 0; i < 2'000; ++i)
            todos << todo(u"todo "_s + QString::number(i) + QString(100, u't'), i);
        QVERIFY(home.todos.insertImported(todos));
        QList<ClipboardCapture> captures;
        for (int i = 0; i < 3'000; ++i) {
            ExportedClipboardItem item = entry(u"text"_s, QString::number(i) + QString(600, u'w'));
            item.createdAt = now.addSecs(-i);
            auto capture = ClipboardCaptures::makeImported(item, home.clipboard->folder());
            QVERIFY(capture && capture.value());
            captures << *capture.value();
        }
        QVERIFY(home.clipboard->insertImported(captures));
        QVERIFY(home.todos.flush() && home.clipboard->flush());
        const QString path = home.folder.filePath(u"out.json"_s);
        home.exportTo(path);
        const std::optional<QString> before = home.transfer.lastResult();
        QVERIFY(before);
        const QByteArray last = contents(path);
        QVERIFY(last.size() > shortBy + 100'000);

        rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto restore = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, SIG_DFL);
        });
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = rlim_t(last.size() - shortBy);
        setrlimit(RLIMIT_FSIZE, &small);
        home.exportTo(path);
        QCOMPARE(home.alerts.alerts().size(), 1);
        const Alert alert = home.alerts.alerts().first();
        QCOMPARE(alert.title, u"Vemra couldn’t export your data."_s);
        QVERIFY2(alert.informativeText.contains(QString::fromLocal8Bit(std::strerror(EFBIG))),
            qPrintable(alert.informativeText));
        QCOMPARE(home.transfer.lastResult(), before);
        QVERIFY(!home.transfer.isWorking() && !home.transfer.isBusy());
        QCOMPARE(contents(path), last);
        QCOMPARE(QDir(home.folder.path()).entryList({ u"*.json*"_s, u".*part"_s }, QDir::Files | QDir::Hidden),
            QStringList { u"out.json"_s });
    }

    // Copies made as an export starts, one still being saved and one made while the history
    // is read, are stored and saved as any other; the file holds the history once each, the
    // first copy although its save ends after the export took what was not saved yet and
    // before the reading begins, and the second only if its save ended before, and its count
    // is the one told.
    void copiesDuringAnExport()
    {
        Home home;
        QList<ClipboardCapture> captures;
        QList<QUuid> ids;
        for (int i = 0; i < 2'500; ++i) {
            ExportedClipboardItem item = entry(u"text"_s, u"entry "_s + QString::number(i));
            item.createdAt = now.addSecs(-i - 10);
            auto capture = ClipboardCaptures::makeImported(item, home.clipboard->folder());
            QVERIFY(capture && capture.value());
            captures << *capture.value();
            ids << item.id;
        }
        QVERIFY(home.clipboard->insertImported(captures));
        // The first copy's save is held on the store's writer until the export has begun, so
        // that it is still under way when the export takes what is not saved yet, and written
        // before the export's reading, which the writer runs after it.
        QSemaphore held;
        QFuture<bool> holding = home.clipboard->writer()->run([&held](const StoreDatabase &) {
            held.acquire();
            return true;
        });
        const auto letGo = qScopeGuard([&held] { held.release(); });
        ExportedClipboardItem before = entry(u"text"_s, u"copied before"_s);
        before.createdAt = now.addSecs(-5);
        home.record(before);
        QVERIFY(home.clipboard->hasPendingChanges());
        ids.prepend(before.id);
        const QString path = home.folder.filePath(u"out.json"_s);
        home.dialogs.answerWith({ path });
        QCoro::Task<> exporting = home.transfer.exportData(DataTransfer::Scope::All);
        QTRY_VERIFY(home.transfer.isWorking());
        held.release();
        QVERIFY(holding.result());
        ExportedClipboardItem meanwhile = entry(u"text"_s, u"copied meanwhile"_s);
        meanwhile.createdAt = now;
        home.record(meanwhile);
        waitForTask(std::move(exporting));
        QVERIFY(home.clipboard->flush());
        QCOMPARE(rows(home.clipboard->folder() + u"/Clipboard.store"_s, u"clipboard_item"_s), 2'502);

        const BackupReader::Outcome outcome = BackupReader::read(path);
        QVERIFY(std::holds_alternative<VemraExport>(outcome));
        QList<QUuid> exported;
        for (const ExportedClipboardItem &item : std::get<VemraExport>(outcome).clipboard)
            exported << item.id;
        if (exported.first() == meanwhile.id)
            ids.prepend(meanwhile.id);
        QCOMPARE(exported, ids);
        QCOMPARE(home.transfer.lastResult(),
            u"Exported 0 todos and "_s + QLocale().toString(exported.size()) + u" clipboard items."_s);
    }

    // Rows: the global pool's threads, none for as many as the machine has. With one or two,
    // a stage that waited on work it had queued to the pool it runs on found no thread to run it.
    void roundTripAndSecondImport_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("the machine's") << 0;
        QTest::newRow("one thread") << 1;
        QTest::newRow("two threads") << 2;
    }

    void roundTripAndSecondImport()
    {
        QFETCH(int, threads);
        QThreadPool &pool = *QThreadPool::globalInstance();
        const int machine = pool.maxThreadCount();
        pool.setMaxThreadCount(threads > 0 ? threads : machine);
        const auto restore = qScopeGuard([&] { pool.setMaxThreadCount(machine); });
        Home from;
        ExportedTodo done = todo(u"Done / filed"_s, 1);
        done.isCompleted = true;
        done.completedAt = now.addSecs(-5);
        done.updatedAt = now.addSecs(-5);
        done.day = u"2026-03-10"_s;
        QVERIFY(from.todos.insertImported({ done, todo(u"Open"_s, 2) }));
        ExportedClipboardItem link = entry(u"url"_s, u"https://example.org/ä"_s);
        link.metadata = ExportedClipboardItem::Metadata { u"Browser"_s, u"org.example.browser"_s, {}, {}, {} };
        link.copyCount = 3;
        link.lastCopiedAt = now;
        from.record(link);
        from.record(entry(u"text"_s, QString(25'000, u'y') + u"end"_s));
        from.record(entry(u"image"_s, QString(), png()));
        const QString path = from.folder.filePath(u"x.json"_s);
        from.exportTo(path);

        Home to;
        QSignalSpy working(&to.transfer, &DataTransfer::isWorkingChanged);
        to.alerts.onPresent = [&](const Alert &) { QVERIFY(!to.transfer.isWorking()); };
        to.importFrom(path);
        QCOMPARE(to.alerts.alerts().first().title, u"Import from “x.json”?"_s);
        QCOMPARE(to.alerts.alerts().first().informativeText,
            u"2 todos and 3 clipboard items will be added.\n\n"
            "Nothing already in Vemra will be changed or deleted."_s);
        QCOMPARE(to.alerts.alerts().first().buttons, (QStringList { u"Import"_s, u"Cancel"_s }));
        QCOMPARE(to.transfer.lastResult(), u"Imported 2 todos and 3 clipboard items."_s);
        QCOMPARE(working.count(), 4);

        QCOMPARE(to.todos.allTodos().size(), 2);
        for (const Todo &original : from.todos.allTodos()) {
            Todo copy = *to.todos.todo(original.id);
            copy.sortOrder = original.sortOrder;
            QCOMPARE(copy, original);
        }
        const QList<ClipboardItem> originals = from.clipboard->items();
        const QList<ClipboardItem> copies = to.clipboard->items();
        QCOMPARE(copies.size(), originals.size());
        for (qsizetype i = 0; i < copies.size(); ++i) {
            QCOMPARE(copies[i].id, originals[i].id);
            QCOMPARE(copies[i].contentHash, originals[i].contentHash);
            QCOMPARE(to.clipboard->fullText(copies[i]), from.clipboard->fullText(originals[i]));
            QCOMPARE(copies[i].lastCopiedAt, originals[i].lastCopiedAt);
            QCOMPARE(copies[i].copyCount, originals[i].copyCount);
            QCOMPARE(copies[i].sourceAppId, originals[i].sourceAppId);
            QCOMPARE(copies[i].pixelWidth, originals[i].pixelWidth);
        }

        to.alerts.clear();
        to.importFrom(path);
        QCOMPARE(to.alerts.alerts().size(), 1);
        QCOMPARE(to.alerts.alerts().first().title, u"Nothing new to import."_s);
        QCOMPARE(to.alerts.alerts().first().informativeText, u"Everything in “x.json” is already in Vemra."_s);
        QVERIFY(to.alerts.alerts().first().buttons.isEmpty());
        QCOMPARE(to.todos.allTodos().size(), 2);
    }

    // Each row: the file's todos and entries against one stored todo and one stored entry;
    // the confirmation's text, and the result line after Import.
    void confirmationAndResult_data()
    {
        QTest::addColumn<QList<ExportedTodo>>("todos");
        QTest::addColumn<QList<ExportedClipboardItem>>("entries");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("result");
        const QList<ExportedTodo> three { todo(u"a"_s, 1), todo(u"b"_s, 2), todo(u"c"_s, 3) };
        QTest::newRow("skipped and unreadable") << three
                                                << QList<ExportedClipboardItem> { entry(u"text"_s, u"stored"_s),
                                                       entry(u"code"_s, u"stored"_s), entry(u"Text"_s, u"x"_s) }
                                                << u"3 todos and 0 clipboard items will be added.\n\n"
                                                   "Already in Vemra, so skipped: 0 todos and 2 clipboard items.\n\n"
                                                   "1 item can’t be read and will be skipped.\n\n"
                                                   "Nothing already in Vemra will be changed or deleted."_s
                                                << u"Imported 3 todos and 0 clipboard items."_s;
        // The todos are weighed apart from the entries, and their counts join the entries'.
        QTest::newRow("todos and entries skipped and unreadable alike")
            << QList<ExportedTodo> { todo(u"a"_s), todo(u"a"_s), todo(u" "_s), todo(u"b"_s, 1) }
            << QList<ExportedClipboardItem> { entry(u"text"_s, u"stored"_s), entry(u"Text"_s, u"x"_s),
                   entry(u"text"_s, u"new"_s) }
            << u"2 todos and 1 clipboard item will be added.\n\n"
               "Already in Vemra, so skipped: 1 todo and 1 clipboard item.\n\n"
               "2 items can’t be read and will be skipped.\n\n"
               "Nothing already in Vemra will be changed or deleted."_s
            << u"Imported 2 todos and 1 clipboard item."_s;
        QTest::newRow("singular") << QList<ExportedTodo> { todo(u"a"_s) }
                                  << QList<ExportedClipboardItem> { entry(u"text"_s, u"new"_s) }
                                  << u"1 todo and 1 clipboard item will be added.\n\n"
                                     "Nothing already in Vemra will be changed or deleted."_s
                                  << u"Imported 1 todo and 1 clipboard item."_s;
        QTest::newRow("bytes that are no image")
            << QList<ExportedTodo> { todo(u"a"_s) }
            << QList<ExportedClipboardItem> { entry(u"image"_s, QString(), "not an image") }
            << u"1 todo and 1 clipboard item will be added.\n\n"
               "Nothing already in Vemra will be changed or deleted."_s
            << u"Imported 1 todo and 0 clipboard items. 1 item couldn’t be read."_s;
    }

    void confirmationAndResult()
    {
        QFETCH(QList<ExportedTodo>, todos);
        QFETCH(QList<ExportedClipboardItem>, entries);
        QFETCH(QString, question);
        QFETCH(QString, result);
        Home home;
        const QString path = home.folder.filePath(u"in.json"_s);
        writeDocument(path, todos, entries);
        home.record(entry(u"text"_s, u"stored"_s));

        home.importFrom(path, 1); // Cancel
        QCOMPARE(home.alerts.alerts().first().informativeText, question);
        QCOMPARE(home.todos.allTodos().size(), 0);
        QCOMPARE(home.transfer.lastResult(), std::nullopt);

        home.importFrom(path, 0);
        QCOMPARE(home.transfer.lastResult(), result);
        // "Imported N todos …"
        QCOMPARE(home.todos.allTodos().size(), result.section(u' ', 1, 1).toInt());
    }

    void readError_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("detail");
        QTest::newRow("no export") << QByteArray("[1]") << u"This file isn’t a Vemra export."_s;
        QTest::newRow("newer")
            << QByteArray("{\"version\":4,\"clipboard\":[]}")
            << u"This file was exported by a newer version of Vemra (format 4). Update Vemra to import it."_s;
        QTest::newRow("damaged") << QByteArray("{\"version\":1,\"todos\":[{}]}")
                                 << u"This Vemra export is damaged: todos[0].id is missing."_s;
    }

    void readError()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, detail);
        Home home;
        const QString path = home.folder.filePath(u"bad.json"_s);
        QVERIFY(writeFile(path, bytes));
        home.importFrom(path);
        QCOMPARE(home.alerts.alerts().size(), 1);
        QCOMPARE(home.alerts.alerts().first().title, u"Vemra can’t import “bad.json”."_s);
        QCOMPARE(home.alerts.alerts().first().informativeText, detail);
        QCOMPARE(home.transfer.lastResult(), std::nullopt);
    }

    void nothingReadable()
    {
        Home home;
        const QString path = home.folder.filePath(u"in.json"_s);
        writeDocument(path, { todo(u" "_s) }, { entry(u"text"_s, u"\n"_s) });
        home.importFrom(path);
        QCOMPARE(home.alerts.alerts().first().title, u"Nothing new to import."_s);
        QCOMPARE(home.alerts.alerts().first().informativeText,
            u"“in.json” has no todos or clipboard items Vemra can read."_s);
    }

    // A store that can't save its part adds nothing of the import, and no side file stays.
    void failedSaveAddsNothing_data()
    {
        QTest::addColumn<bool>("todoStoreFails");
        QTest::newRow("todo store") << true;
        QTest::newRow("clipboard store") << false;
    }

    void failedSaveAddsNothing()
    {
        QFETCH(bool, todoStoreFails);
        Home home;
        const QString path = home.folder.filePath(u"in.json"_s);
        writeDocument(path, { todo(u"a"_s) },
            { entry(u"image"_s, QString(), png()), entry(u"text"_s, QString(30'000, u'z')), entry(u"text"_s, u"b"_s) });
        if (todoStoreFails)
            refuseInserts(home.folder.filePath(u"Todos.store"_s), u"todo"_s);
        else
            refuseInserts(home.clipboard->folder() + u"/Clipboard.store"_s, u"clipboard_item"_s);

        home.importFrom(path);
        QCOMPARE(home.alerts.alerts().size(), 2);
        const Alert failure = home.alerts.alerts().last();
        QCOMPARE(failure.title, u"Vemra couldn’t import “in.json”."_s);
        QVERIFY2(failure.informativeText.contains(u"disk full"_s), qPrintable(failure.informativeText));
        QCOMPARE(home.transfer.lastResult(), std::nullopt);
        QCOMPARE(home.todos.allTodos().size(), 0);
        QCOMPARE(home.clipboard->count(), 0);
        QCOMPARE(home.sideFiles(), QStringList());
        QVERIFY(!home.transfer.isWorking());
    }

    // A side file that can't be written (its folder can't be made) fails the import as a full
    // disk would, told without its inner path: nothing is added, rather than the entry skipped
    // as one that can't be read. The log tells it once, with how many were refused.
    void unwritableSideFileAddsNothing()
    {
        Home home;
        const QString path = home.folder.filePath(u"in.json"_s);
        writeDocument(path, { todo(u"a"_s) },
            { entry(u"image"_s, QString(), png()), entry(u"text"_s, QString(30'000, u'z')),
                entry(u"text"_s, QString(30'000, u'y')), entry(u"text"_s, QString(30'000, u'x')),
                entry(u"text"_s, u"b"_s) });
        const QString text = home.clipboard->folder() + u"/Text"_s;
        QVERIFY(QDir(text).removeRecursively() && writeFile(text, "not a folder"));
        static QStringList refusals;
        refusals.clear();
        const QtMessageHandler before
            = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &message) {
                  if (qstrcmp(context.category, "vemra.transfer") == 0 && message.startsWith(u"cannot write"_s))
                      refusals << message;
              });
        home.importFrom(path);
        qInstallMessageHandler(before);
        QCOMPARE(refusals.size(), 1);
        QVERIFY2(
            refusals.first().startsWith(u"cannot write 3 imported clipboard items:"_s), qPrintable(refusals.first()));
        QCOMPARE(home.alerts.alerts().size(), 2);
        QCOMPARE(home.alerts.alerts().last().informativeText,
            u"The imported clipboard items couldn’t be saved.\n\nNothing from the file was added."_s);
        QCOMPARE(home.transfer.lastResult(), std::nullopt);
        QCOMPARE(home.todos.allTodos().size(), 0);
        QCOMPARE(home.clipboard->count(), 0);
        QCOMPARE(home.sideFiles(), QStringList { u"Text"_s });
    }

    // Copies and a todo's edits made while an import writes both stores, opened as the
    // application opens them, are all saved after it with no failure told, and the main thread
    // never stops meanwhile.
    void savesDuringAnImport()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(u"in.json"_s);
        QList<ExportedTodo> todos;
        for (int i = 0; i < 2000; ++i)
            todos << todo(u"imported "_s + QString::number(i), i);
        QList<ExportedClipboardItem> entries;
        for (int i = 0; i < 40'000; ++i)
            entries << entry(u"text"_s, u"imported entry "_s + QString::number(i));
        writeDocument(path, todos, entries);

        AppHome home(folder.path());
        auto &[clock, todoStore, clipboard, dialogs, alerts, transfer] = home;
        QSignalSpy todoFailures(todoStore.get(), &TodoStore::saveFailed);
        QSignalSpy clipboardFailures(clipboard.get(), &ClipboardStore::saveFailed);
        const QUuid edited = todoStore->add(u"edited"_s, std::nullopt)->id;

        // While the import writes (confirmed, and not done): a copy and an edit every few
        // milliseconds, and the longest wait of a timer that asks to run every millisecond.
        const auto writing = [&] { return transfer.isWorking() && !alerts.alerts().isEmpty(); };
        int copies = 0;
        QTimer changes;
        changes.setInterval(3);
        connect(&changes, &QTimer::timeout, this, [&] {
            if (!writing())
                return;
            ++copies;
            auto capture = ClipboardCaptures::makeImported(
                entry(u"text"_s, u"copied during the import "_s + QString::number(copies)), clipboard->folder());
            QVERIFY(capture && capture.value());
            clipboard->record(*capture.value());
            todoStore->rename(edited, u"edit "_s + QString::number(copies));
        });
        QElapsedTimer sinceTick;
        qint64 longest = 0;
        bool wasWriting = false;
        QTimer ticks;
        ticks.setInterval(1);
        connect(&ticks, &QTimer::timeout, this, [&] {
            if (wasWriting)
                longest = std::max(longest, sinceTick.elapsed());
            wasWriting = writing();
            sinceTick.restart();
        });
        sinceTick.start();
        changes.start();
        ticks.start();
        dialogs.answerWith({ path });
        alerts.answerWith({ 0 });
        QCoro::waitFor(transfer.importData());
        changes.stop();
        ticks.stop();

        QCOMPARE(transfer.lastResult(), u"Imported 2,000 todos and 40,000 clipboard items."_s);
        // A save that waits for the import's lock stops the main thread for a second or more; a
        // quiet machine stays within a frame, and a loaded two-core one was seen near 100 ms.
        QVERIFY2(longest <= 500, qPrintable(u"the main thread stopped for %1 ms"_s.arg(longest)));
        QCOMPARE(todoFailures.count(), 0);
        QCOMPARE(clipboardFailures.count(), 0);
        QVERIFY(copies > 10);
        QTRY_VERIFY(!todoStore->hasPendingChanges() && !clipboard->hasPendingChanges());
        todoStore.reset();
        clipboard.reset();
        const auto reopenedTodos = TodoStore::make(folder.filePath(u"Todos.store"_s), &clock);
        QCOMPARE(reopenedTodos->allTodos().size(), 2001);
        QCOMPARE(reopenedTodos->todo(edited)->title, u"edit "_s + QString::number(copies));
        QCOMPARE(ClipboardStore::make(folder.filePath(u"Clipboard"_s))->count(), 40'000 + copies);
    }

    // A store that can't take the import while taking anything back would need space of its
    // own (a deletion refused like a full disk refuses it): nothing is on disk afterwards,
    // as the alert says.
    void failedImportLeavesNothingOnDisk_data()
    {
        QTest::addColumn<QString>("refusedInsert");
        QTest::addColumn<QString>("refusedDelete");
        QTest::newRow("entries refused") << u"clipboard_item"_s << u"todo"_s;
        QTest::newRow("todos refused") << u"todo"_s << u"clipboard_item"_s;
    }

    void failedImportLeavesNothingOnDisk()
    {
        QFETCH(QString, refusedInsert);
        QFETCH(QString, refusedDelete);
        QTemporaryDir folder;
        const QString path = folder.filePath(u"in.json"_s);
        writeDocument(path, { todo(u"a"_s), todo(u"b"_s, 1) },
            { entry(u"image"_s, QString(), png()), entry(u"text"_s, QString(30'000, u'z')), entry(u"text"_s, u"b"_s) });
        const QString todoFile = folder.filePath(u"Todos.store"_s);
        const QString clipboardFile = folder.filePath(u"Clipboard/Clipboard.store"_s);
        {
            Home home(folder.path());
            const auto file = [&](const QString &table) { return table == u"todo"_s ? todoFile : clipboardFile; };
            refuseInserts(file(refusedInsert), refusedInsert);
            refuse(file(refusedDelete), refusedDelete, u"DELETE"_s);
            home.importFrom(path);
            QCOMPARE(home.alerts.alerts().size(), 2);
            QVERIFY2(home.alerts.alerts().last().informativeText.endsWith(u"Nothing from the file was added."_s),
                qPrintable(home.alerts.alerts().last().informativeText));
            QCOMPARE(home.todos.allTodos().size(), 0);
            QCOMPARE(home.clipboard->count(), 0);
        }
        // What is on disk, read afresh.
        Home reopened(folder.path());
        QCOMPARE(reopened.todos.allTodos().size(), 0);
        QCOMPARE(reopened.clipboard->count(), 0);
        QCOMPARE(reopened.sideFiles(), QStringList());
    }

    // The file is damaged after it was planned, far enough in that batches of rows and side
    // files were written before the reading fails (its size and time kept, so that only the
    // reading finds out): nothing of the import stays.
    void damagedHalfwayChangesNothing()
    {
        Home home;
        home.record(entry(u"text"_s, u"kept"_s));
        const QString path = home.folder.filePath(u"in.json"_s);
        QList<ExportedClipboardItem> entries { entry(u"image"_s, QString(), png()),
            entry(u"text"_s, QString(30'000, u'y')) };
        for (int i = 0; i < 5'000; ++i)
            entries << entry(u"text"_s, u"entry "_s + QString::number(i));
        // Side files in the batch still being made when the reading fails.
        entries[3'000] = entry(u"image"_s, QString(), png());
        entries[3'001] = entry(u"text"_s, QString(30'000, u'x'));
        writeDocument(path, { todo(u"a"_s) }, entries);
        const QByteArray intact = contents(path);
        const qsizetype damage = intact.indexOf("entry 4500");
        QVERIFY(damage > 0);
        const QStringList filesBefore = home.sideFiles();

        home.alerts.onPresent = [&](const Alert &alert) {
            if (!alert.title.startsWith(u"Import from"_s))
                return;
            QFile file(path);
            const QDateTime modified = QFileInfo(path).lastModified();
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(damage - 1));
            QVERIFY(file.write("\x01") == 1 && file.flush());
            QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
        };
        home.importFrom(path);

        QCOMPARE(home.alerts.alerts().size(), 2);
        QCOMPARE(home.alerts.alerts().last().title, u"Vemra couldn’t import “in.json”."_s);
        QCOMPARE(home.todos.allTodos().size(), 0);
        QCOMPARE(home.clipboard->count(), 1);
        QCOMPARE(home.sideFiles(), filesBefore);
        QCOMPARE(home.transfer.lastResult(), std::nullopt);
        QCOMPARE(rows(home.clipboard->folder() + u"/Clipboard.store"_s, u"clipboard_item"_s), 1);
        QCOMPARE(rows(home.folder.filePath(u"Todos.store"_s), u"todo"_s), 0);
    }

    // Only the entries the plan chose are added, each read again from its own bytes of the file,
    // across batches, with the skipped ones in between.
    void chosenEntriesAmongSkippedOnes()
    {
        Home home;
        home.record(entry(u"text"_s, u"stored"_s));
        const QString path = home.folder.filePath(u"in.json"_s);
        QList<ExportedClipboardItem> entries;
        QList<ExportedClipboardItem> chosen;
        for (int i = 0; i < 3'000; ++i) {
            ExportedClipboardItem item = i % 3 == 1 ? entry(u"text"_s, u"stored"_s)
                : i % 3 == 2                        ? entry(u"Text"_s, u"unreadable"_s)
                : i % 600 == 0                      ? entry(u"text"_s, QString(30'000, QChar(u'a' + i % 26)))
                : i == 900                          ? entry(u"image"_s, QString(), png())
                                                    : entry(u"code"_s, u"entry "_s + QString::number(i));
            entries << item;
            if (i % 3 == 0)
                chosen << item;
        }
        writeDocument(path, {}, entries);
        home.importFrom(path);
        QCOMPARE(home.transfer.lastResultText(), u"Imported 0 todos and 1,000 clipboard items."_s);
        const QList<ClipboardItem> stored = home.clipboard->itemsWithIds([&] {
            QList<QUuid> ids;
            for (const ExportedClipboardItem &item : chosen)
                ids << item.id;
            return ids;
        }());
        QCOMPARE(stored.size(), chosen.size());
        for (qsizetype i = 0; i < chosen.size(); ++i) {
            QCOMPARE(stored[i].rawKind, chosen[i].type);
            if (chosen[i].imageData)
                QCOMPARE(stored[i].contentHash, ImportPlan::hash(chosen[i]).toHex());
            else
                QCOMPARE(home.clipboard->fullText(stored[i]), chosen[i].content);
        }
    }

    // The history's file refuses rows partway through a large import (a disk filling up): the
    // batches still being made when it fails leave no side file behind.
    void refusedHalfwayLeavesNoSideFile()
    {
        Home home;
        const QString path = home.folder.filePath(u"in.json"_s);
        // More entries than the rows written at a time, so that the first rows are refused while
        // later entries are still being made.
        QList<ExportedClipboardItem> entries;
        for (int i = 0; i < 40'000; ++i)
            entries << entry(u"text"_s, u"entry "_s + QString::number(i));
        for (const int at : { 10, 3'000, 20'000, 39'000 })
            entries[at] = entry(u"image"_s, QString(), png());
        writeDocument(path, { todo(u"a"_s) }, entries);
        const QString name = QUuid::createUuid().toString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
            db.setDatabaseName(home.clipboard->folder() + u"/Clipboard.store"_s);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(u"CREATE TRIGGER refuse_late BEFORE INSERT ON clipboard_item "
                                       "WHEN (SELECT count(*) FROM clipboard_item) >= 100 "
                                       "BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s));
        }
        QSqlDatabase::removeDatabase(name);

        home.importFrom(path);
        QCOMPARE(home.alerts.alerts().size(), 2);
        QVERIFY2(home.alerts.alerts().last().informativeText.contains(u"disk full"_s),
            qPrintable(home.alerts.alerts().last().informativeText));
        QCOMPARE(home.clipboard->count(), 0);
        QCOMPARE(home.todos.allTodos().size(), 0);
        // Nothing still running adds one later.
        QThreadPool::globalInstance()->waitForDone();
        QCOMPARE(home.sideFiles(), QStringList());
    }

    // Qt's global pool, which the main thread's painting waits on, is not where an import or an
    // export queues its work: with every thread of that pool held, both run to their end over
    // stores opened as the application opens them, the file read in many pieces, and what is
    // exported is what was imported.
    void globalPoolHeld()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(u"in.json"_s);
        const QList<ExportedTodo> todos { todo(u"a"_s, 1), todo(u"b"_s, 2) };
        QList<ExportedClipboardItem> entries;
        for (int i = 0; i < 3'000; ++i)
            entries << entry(u"text"_s, QString::number(i) + QString(600, u'w'));
        entries << entry(u"image"_s, QString(), png()) << entry(u"text"_s, QString(25'000, u'y'));
        writeDocument(path, todos, entries);
        QVERIFY(QFileInfo(path).size() > 2 * BackupReader::Splitting().pieceBytes);

        AppHome home(folder.path());
        auto &[clock, todoStore, clipboard, dialogs, alerts, transfer] = home;
        todoStore->waitForCheck();
        clipboard->waitForCheck();

        GlobalPoolHold hold;
        dialogs.answerWith({ path, path, folder.filePath(u"out.json"_s) });
        alerts.answerWith({ 0, 0 });
        waitForTask(transfer.importData());
        QCOMPARE(transfer.lastResult(), u"Imported 2 todos and 3,002 clipboard items."_s);
        waitForTask(transfer.importData());
        QCOMPARE(alerts.alerts().last().title, u"Nothing new to import."_s);
        waitForTask(transfer.exportData(DataTransfer::Scope::All));
        QCOMPARE(transfer.lastResult(), u"Exported 2 todos and 3,002 clipboard items."_s);
        hold.release();

        const BackupReader::Outcome exported = BackupReader::read(folder.filePath(u"out.json"_s));
        QVERIFY(std::holds_alternative<VemraExport>(exported));
        QList<ExportedClipboardItem> read = std::get<VemraExport>(exported).clipboard;
        const auto byId = [](const ExportedClipboardItem &a, const ExportedClipboardItem &b) { return a.id < b.id; };
        std::sort(read.begin(), read.end(), byId);
        std::sort(entries.begin(), entries.end(), byId);
        QCOMPARE(read.size(), entries.size());
        for (qsizetype i = 0; i < read.size(); ++i) {
            QCOMPARE(read[i].content, entries[i].content);
            QCOMPARE(read[i].imageData, entries[i].imageData);
        }
    }

    // An export or an import asked while the stores' files are still being checked at a start
    // (the checks held: Qt's global pool, where they run, kept busy) leaves the main thread at
    // once, shown at work; it runs once the checks end, over the files' contents.
    void askedDuringTheStartUpCheck_data()
    {
        QTest::addColumn<bool>("exports");
        QTest::newRow("export") << true;
        QTest::newRow("import") << false;
    }

    void askedDuringTheStartUpCheck()
    {
        QFETCH(bool, exports);
        QTemporaryDir folder;
        const QString document = folder.filePath(u"in.json"_s);
        writeDocument(document, { todo(u"from the file"_s) }, { entry(u"text"_s, u"from the file"_s) });
        {
            // Files with data, which a start checks in the background.
            Home home(folder.path());
            home.todos.add(u"stored"_s, std::nullopt);
            home.record(entry(u"text"_s, u"stored"_s));
            QVERIFY(home.todos.flush() && home.clipboard->flush());
        }
        GlobalPoolHold hold;
        AppHome home(folder.path());
        auto &[clock, todoStore, clipboard, dialogs, alerts, transfer] = home;
        QVERIFY(todoStore->isChecking() && clipboard->isChecking());
        const QString out = folder.filePath(u"out.json"_s);
        dialogs.answerWith({ exports ? out : document });
        alerts.answerWith({ 0 });
        QCoro::Task<> asked = exports ? transfer.exportData(DataTransfer::Scope::All) : transfer.importData();
        QVERIFY(todoStore->isChecking() && clipboard->isChecking());
        QVERIFY(transfer.isWorking() && transfer.isBusy());
        QVERIFY(alerts.alerts().isEmpty());

        hold.release();
        waitForTask(std::move(asked));
        QCOMPARE(transfer.lastResult(),
            exports ? u"Exported 1 todo and 1 clipboard item."_s : u"Imported 1 todo and 1 clipboard item."_s);
        QCOMPARE(todoStore->allTodos().size(), exports ? 1 : 2);
        QCOMPARE(clipboard->count(), exports ? 1 : 2);
        QVERIFY(!transfer.isBusy());
        if (exports) {
            const BackupReader::Outcome exported = BackupReader::read(out);
            QVERIFY(std::holds_alternative<VemraExport>(exported));
            QCOMPARE(std::get<VemraExport>(exported).todos.first().title, u"stored"_s);
            QCOMPARE(std::get<VemraExport>(exported).clipboard.first().content, u"stored"_s);
        }
    }

    // A named pipe is refused at once: the import ends, and the next one can start.
    void importOfAPipe()
    {
        Home home;
        const QString pipe = home.folder.filePath(u"pipe.json"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        home.importFrom(pipe);
        QCOMPARE(home.alerts.alerts().size(), 1);
        QCOMPARE(home.alerts.alerts().first().title, u"Vemra can’t import “pipe.json”."_s);
        QCOMPARE(home.alerts.alerts().first().informativeText, u"It isn’t a regular file."_s);
        QVERIFY(!home.transfer.isBusy());
    }

    // An entry stored while the question is asked, under the id of one of the file's, stays as
    // it is: the import adds nothing rather than change it.
    void storedMeanwhileIsNotChanged()
    {
        Home home;
        ExportedClipboardItem imported = entry(u"text"_s, u"from the file"_s);
        const QString path = home.folder.filePath(u"in.json"_s);
        writeDocument(path, { todo(u"a"_s) }, { entry(u"text"_s, u"another"_s), imported });
        home.alerts.onPresent = [&](const Alert &) {
            ExportedClipboardItem meanwhile = imported;
            meanwhile.content = u"copied meanwhile"_s;
            home.record(meanwhile);
            QVERIFY(home.clipboard->flush());
        };
        home.importFrom(path);
        QCOMPARE(home.alerts.alerts().size(), 2);
        QVERIFY(home.alerts.alerts().last().informativeText.endsWith(u"Nothing from the file was added."_s));
        QCOMPARE(home.todos.allTodos().size(), 0);
        const std::unique_ptr<ClipboardStore> reopened = ClipboardStore::make(home.place + u"/Clipboard"_s);
        const QList<ClipboardItem> stored = reopened->items();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.first().content, u"copied meanwhile"_s);
    }

    // While one export or import is under way, dialogs included, another is refused.
    void oneAtATime()
    {
        Home home;
        const QString path = home.folder.filePath(u"in.json"_s);
        writeDocument(path, { todo(u"a"_s) }, {});
        bool busyMeanwhile = false;
        home.alerts.onPresent = [&](const Alert &) {
            busyMeanwhile = home.transfer.isBusy();
            waitForTask(home.transfer.exportData(DataTransfer::Scope::All));
            waitForTask(home.transfer.importData());
        };
        home.importFrom(path);
        QVERIFY(busyMeanwhile);
        QCOMPARE(home.dialogs.requests().size(), 1);
        QVERIFY(!home.transfer.isBusy());
        QCOMPARE(home.transfer.lastResult(), u"Imported 1 todo and 0 clipboard items."_s);
    }
};

QTEST_GUILESS_MAIN(tst_DataTransfer)
#include "tst_DataTransfer.moc"
