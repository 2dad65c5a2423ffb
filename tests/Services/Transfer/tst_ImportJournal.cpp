#include "FakeAlertPresenter.h"
#include "FakeFileDialogs.h"
#include "FixedClock.h"
#include "FullDisk.h"
#include "Models/Transfer/ExportEncoder.h"
#include "Models/Transfer/ImportPlan.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Clipboard/ClipboardTransferReader.h"
#include "Services/Storage/StoreDatabase.h"
#include "Services/Storage/StoreWriter.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Transfer/BackupReader.h"
#include "Services/Transfer/BackupWriter.h"
#include "Services/Transfer/DataTransfer.h"
#include "Services/Transfer/ImportJournal.h"
#include "Services/Transfer/ImportWriter.h"
#include "TaskWait.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <memory>

#include <sqlite3.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QDateTime now(QDate(2026, 3, 4), QTime(15, 30), Qt::UTC);

QByteArray png()
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QString todoPath(const QString &folder)
{
    return folder + u"/Todos.store"_s;
}

QString clipboardPath(const QString &folder)
{
    return folder + u"/Clipboard"_s;
}

// The import's document: two todos and three entries, one with an image and one with a long
// text, so that side files are made too.
void writeDocument(const QString &path)
{
    QList<ExportedTodo> todos { { QUuid::createUuid(), u"first"_s, false, now, {}, {}, {}, 0 },
        { QUuid::createUuid(), u"second"_s, false, now.addSecs(1), {}, {}, {}, 1 } };
    QList<PendingExportItem> entries;
    for (int i = 0; i < 3; ++i) {
        PendingExportItem pending;
        pending.item.id = QUuid::createUuid();
        pending.item.type = i == 0 ? u"image"_s : u"text"_s;
        pending.item.content = i == 1 ? QString(30'000, u'z') : u"entry"_s;
        pending.item.createdAt = now.addSecs(-i);
        if (i == 0)
            pending.item.imageData = png();
        entries << pending;
    }
    BackupWriter writer(path);
    QVERIFY(writer.begin({ ExportEncoder::todoRun(todos, 0, todos.size()) }, now) && writer.write(entries)
        && writer.finish());
}

// What the import of `document` into both stores writes, planned as the transfer plans it.
ImportWriter::Job plannedJob(const QString &document, const TodoStore &todos, const ClipboardStore &clipboard)
{
    const ClipboardStore::TransferSource source = clipboard.transferSource();
    ImportPlan plan(todos.allTodos(),
        ClipboardKeys { ClipboardTransferReader::readKnownIds(source).value(),
            ClipboardTransferReader::readKnownHashes(source).value() });
    BackupReader::FileStamp stamp;
    const BackupReader::Outcome outcome = BackupReader::readKeys(
        document, [&plan](const EntryKey &key) { return plan.addEntry(key) || true; }, &stamp);
    plan.addTodos(std::get<VemraExport>(outcome).todos);
    return { document, stamp, plan.clipboard, todos.importedTodos(plan.todos), clipboard.folder(), clipboard.writer(),
        todos.writer() };
}

// A copied text, as the monitor would make it.
ClipboardCapture textCapture(const QString &content)
{
    ClipboardCapture capture;
    capture.id = QUuid::createUuid();
    capture.content = content;
    capture.contentHash
        = QString::fromLatin1(QCryptographicHash::hash(content.toUtf8(), QCryptographicHash::Sha256).toHex());
    capture.mimeType = u"public.utf8-plain-text"_s;
    capture.copiedAt = capture.firstCopiedAt = now;
    return capture;
}

// Fills the disk as the commit it is armed for begins to write, so that the commit and all
// after it find no room: installed on one store's writer, it lets the other store commit.
struct FillAtCommit
{
    FullDisk &disk;
    std::atomic<bool> armed = false;

    static int hook(void *self)
    {
        auto *fill = static_cast<FillAtCommit *>(self);
        if (fill->armed.exchange(false))
            fill->disk.fill();
        return 0;
    }
    void install(StoreWriter &writer)
    {
        writer
            .run([this](const StoreDatabase &database) {
                sqlite3_commit_hook(database.handle(), &FillAtCommit::hook, this);
                return 0;
            })
            .waitForFinished();
    }
};

// The stores in `folder` opened as the application opens them, and the transfer over them.
struct Running
{
    explicit Running(const QString &folder)
        : todos(TodoStore::make(todoPath(folder), &clock, IntegrityCheck::InBackground))
        , clipboard(ClipboardStore::make(clipboardPath(folder), IntegrityCheck::InBackground))
    {
        // Failed saves, which the application tells as they come.
        QObject::connect(todos.get(), &TodoStore::saveFailed, todos.get(), [this] { ++failedSaves; });
        QObject::connect(clipboard.get(), &ClipboardStore::saveFailed, clipboard.get(), [this] { ++failedSaves; });
        QTRY_VERIFY(!todos->isChecking() && !clipboard->isChecking());
    }

    // Imports `document`, answering the question with Import.
    void import(const QString &document)
    {
        dialogs.answerWith({ document });
        alerts.answerWith({ 0 });
        waitForTask(transfer.importData());
    }

    FixedClock clock { now };
    std::unique_ptr<TodoStore> todos;
    std::unique_ptr<ClipboardStore> clipboard;
    FakeFileDialogs dialogs;
    FakeAlertPresenter alerts;
    DataTransfer transfer { *todos, *clipboard, dialogs, alerts, clock };
    int failedSaves = 0;
};

// Runs an import of `document` into the stores in `folder` up to `step` and is killed there:
// nothing after it runs, not even destructors.
int importThenKill(const QString &folder, const QString &document, const QString &step)
{
    FixedClock clock(now);
    const std::unique_ptr<TodoStore> todos = TodoStore::make(todoPath(folder), &clock);
    const std::unique_ptr<ClipboardStore> clipboard = ClipboardStore::make(clipboardPath(folder));
    ImportWriter writer(plannedJob(document, *todos, *clipboard));
    if (!writer.write() || !writer.markInProgress())
        return 1;
    if (step != u"marked" && !writer.commitTodos())
        return 1;
    if (step == u"both" && !writer.commitEntries())
        return 1;
    ::raise(SIGKILL);
    return 1;
}

// Wraps the default SQLite file system: notes, for each file opened while `watching` is set,
// whether something written to it was not yet brought to the disk when it was closed.
namespace Syncs {

bool watching = false;
QStringList unsynced;
sqlite3_vfs *real = nullptr;
sqlite3_vfs wrapper;
sqlite3_io_methods methods;

struct File
{
    sqlite3_file base;
    sqlite3_file *inner;
    QString name;
    bool watched;
    bool dirty;
};

sqlite3_file *inner(sqlite3_file *file)
{
    return reinterpret_cast<File *>(file)->inner;
}

int open(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags)
{
    auto *tracked = reinterpret_cast<File *>(file);
    tracked->inner = reinterpret_cast<sqlite3_file *>(reinterpret_cast<char *>(file) + sizeof(File));
    const int code = real->xOpen(real, name, tracked->inner, flags, outFlags);
    if (code != SQLITE_OK || !tracked->inner->pMethods) {
        tracked->base.pMethods = nullptr;
        return code;
    }
    methods = *tracked->inner->pMethods;
    methods.xClose = [](sqlite3_file *f) {
        auto *t = reinterpret_cast<File *>(f);
        if (t->watched && t->dirty)
            unsynced << t->name;
        const int closed = t->inner->pMethods->xClose(t->inner);
        t->name.~QString();
        return closed;
    };
    methods.xRead
        = [](sqlite3_file *f, void *b, int n, sqlite3_int64 o) { return inner(f)->pMethods->xRead(inner(f), b, n, o); };
    methods.xWrite = [](sqlite3_file *f, const void *b, int n, sqlite3_int64 o) {
        reinterpret_cast<File *>(f)->dirty = true;
        return inner(f)->pMethods->xWrite(inner(f), b, n, o);
    };
    methods.xTruncate = [](sqlite3_file *f, sqlite3_int64 n) {
        reinterpret_cast<File *>(f)->dirty = true;
        return inner(f)->pMethods->xTruncate(inner(f), n);
    };
    methods.xSync = [](sqlite3_file *f, int flags) {
        const int code = inner(f)->pMethods->xSync(inner(f), flags);
        if (code == SQLITE_OK)
            reinterpret_cast<File *>(f)->dirty = false;
        return code;
    };
    methods.xFileSize = [](sqlite3_file *f, sqlite3_int64 *n) { return inner(f)->pMethods->xFileSize(inner(f), n); };
    methods.xLock = [](sqlite3_file *f, int l) { return inner(f)->pMethods->xLock(inner(f), l); };
    methods.xUnlock = [](sqlite3_file *f, int l) { return inner(f)->pMethods->xUnlock(inner(f), l); };
    methods.xCheckReservedLock
        = [](sqlite3_file *f, int *r) { return inner(f)->pMethods->xCheckReservedLock(inner(f), r); };
    methods.xFileControl
        = [](sqlite3_file *f, int op, void *a) { return inner(f)->pMethods->xFileControl(inner(f), op, a); };
    methods.xSectorSize = [](sqlite3_file *f) { return inner(f)->pMethods->xSectorSize(inner(f)); };
    methods.xDeviceCharacteristics
        = [](sqlite3_file *f) { return inner(f)->pMethods->xDeviceCharacteristics(inner(f)); };
    methods.xShmMap = [](sqlite3_file *f, int p, int s, int e, void volatile **m) {
        return inner(f)->pMethods->xShmMap(inner(f), p, s, e, m);
    };
    methods.xShmLock
        = [](sqlite3_file *f, int o, int n, int fl) { return inner(f)->pMethods->xShmLock(inner(f), o, n, fl); };
    methods.xShmBarrier = [](sqlite3_file *f) { inner(f)->pMethods->xShmBarrier(inner(f)); };
    methods.xShmUnmap = [](sqlite3_file *f, int d) { return inner(f)->pMethods->xShmUnmap(inner(f), d); };
    methods.xFetch = [](sqlite3_file *f, sqlite3_int64 o, int n, void **p) {
        return inner(f)->pMethods->xFetch(inner(f), o, n, p);
    };
    methods.xUnfetch
        = [](sqlite3_file *f, sqlite3_int64 o, void *p) { return inner(f)->pMethods->xUnfetch(inner(f), o, p); };
    new (&tracked->name) QString(QString::fromUtf8(name ? name : ""));
    tracked->watched = watching;
    tracked->dirty = false;
    tracked->base.pMethods = &methods;
    return code;
}

void install()
{
    real = sqlite3_vfs_find(nullptr);
    wrapper = *real;
    wrapper.zName = "syncs";
    wrapper.szOsFile = int(sizeof(File)) + real->szOsFile;
    wrapper.xOpen = &open;
    sqlite3_vfs_register(&wrapper, 1);
}

} // namespace Syncs

} // namespace

class tst_ImportJournal : public QObject
{
    Q_OBJECT

private slots:
    // The process ends between the steps of an import's commit; the next start finds the
    // import whole or takes back what it had added.
    // Once an import has ended, what it wrote to either store is on the disk, not only in the
    // system's cache: the user is told it was imported.
    void importedIsOnTheDisk()
    {
        Syncs::install();
        QTemporaryDir folder;
        const QString document = folder.filePath(u"in.json"_s);
        writeDocument(document);
        FixedClock clock(now);
        const std::unique_ptr<TodoStore> todos = TodoStore::make(todoPath(folder.path()), &clock);
        const std::unique_ptr<ClipboardStore> clipboard = ClipboardStore::make(clipboardPath(folder.path()));
        ImportWriter::Job job = plannedJob(document, *todos, *clipboard);
        Syncs::watching = true;
        {
            ImportWriter writer(std::move(job));
            QVERIFY(writer.write());
            QVERIFY(writer.commit());
            QCOMPARE(writer.added(), 3);
        }
        Syncs::watching = false;
        QCOMPARE(Syncs::unsynced, QStringList());
    }

    // The process is killed between the steps of an import's commit; the next start, opening
    // the stores as the application does (their files checked in the background), finds the
    // import whole or takes back what it had added.
    void killedMidImport_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("todos");
        QTest::addColumn<int>("entries");
        QTest::newRow("marked, nothing committed") << u"marked"_s << 0 << 0;
        QTest::newRow("between the two commits") << u"todos"_s << 0 << 0;
        QTest::newRow("after both commits") << u"both"_s << 2 << 3;
    }

    void killedMidImport()
    {
        QFETCH(QString, step);
        QFETCH(int, todos);
        QFETCH(int, entries);
        QTemporaryDir folder;
        const QString document = folder.filePath(u"in.json"_s);
        writeDocument(document);
        {
            // Stores with data, so that the next start checks their files in the background.
            FixedClock clock(now);
            const std::unique_ptr<TodoStore> todoStore = TodoStore::make(todoPath(folder.path()), &clock);
            todoStore->add(u"already there"_s, std::nullopt);
            QVERIFY(todoStore->flush());
            const std::unique_ptr<ClipboardStore> clipboard = ClipboardStore::make(clipboardPath(folder.path()));
            clipboard->record(textCapture(u"already there"_s));
            QVERIFY(clipboard->flush());
        }
        QProcess child;
        child.start(
            QCoreApplication::applicationFilePath(), { u"--import-then-kill"_s, folder.path(), document, step });
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QVERIFY(QFile::exists(ImportJournal::path(clipboardPath(folder.path()))));

        FixedClock clock(now);
        const std::unique_ptr<TodoStore> todoStore
            = TodoStore::make(todoPath(folder.path()), &clock, IntegrityCheck::InBackground);
        const std::unique_ptr<ClipboardStore> clipboard
            = ClipboardStore::make(clipboardPath(folder.path()), IntegrityCheck::InBackground);
        QVERIFY(todoStore->isChecking() && clipboard->isChecking());
        FakeFileDialogs dialogs;
        FakeAlertPresenter alerts;
        const DataTransfer transfer(*todoStore, *clipboard, dialogs, alerts, clock);
        QTRY_VERIFY(!todoStore->isChecking() && !clipboard->isChecking());
        clipboard->waitForBackgroundWork();
        QCOMPARE(todoStore->allTodos().size(), 1 + todos);
        QCOMPARE(clipboard->count(), 1 + entries);
        // The mark goes once the taking back is written, on the todos' writer.
        QTRY_VERIFY(!ImportJournal::exists(clipboard->folder()));
        QCOMPARE(transfer.lastResult().has_value(), step != u"both");

        // Once more, from the files: nothing taken back comes back.
        const std::unique_ptr<TodoStore> reopenedTodos = TodoStore::make(todoPath(folder.path()), &clock);
        QCOMPARE(reopenedTodos->allTodos().size(), 1 + todos);
        const std::unique_ptr<ClipboardStore> reopened = ClipboardStore::make(clipboardPath(folder.path()));
        QCOMPARE(reopened->count(), 1 + entries);
    }

    // The disk fills at the entries' commit, after the todos' has succeeded, so that taking
    // the todos back finds no room either. Whatever the user imports next, and whether or not
    // room was made, that import is taken back first: the question counts what the stores
    // hold, nothing of it is half kept, the failures are told in our words, and after a
    // restart each import is whole or absent.
    void fullDiskAtTheLastCommit_data()
    {
        QTest::addColumn<bool>("roomMade");
        QTest::addColumn<bool>("sameFile");
        QTest::newRow("room made, the same file") << true << true;
        QTest::newRow("room made, another file") << true << false;
        QTest::newRow("still full, the same file") << false << true;
    }

    void fullDiskAtTheLastCommit()
    {
        QFETCH(bool, roomMade);
        QFETCH(bool, sameFile);
        QTemporaryDir folder;
        const QString document = folder.filePath(u"in.json"_s);
        writeDocument(document);
        const QString other = folder.filePath(u"other.json"_s);
        writeDocument(other);
        const QString second = sameFile ? document : other;
        const QString secondName = sameFile ? u"in.json"_s : u"other.json"_s;
        FullDisk disk(folder.path());
        {
            Running app(folder.path());
            FillAtCommit fill { disk };
            fill.install(*app.clipboard->writer());
            app.alerts.onPresent = [&](const Alert &alert) {
                if (alert.title.startsWith(u"Import from"_s))
                    fill.armed = true;
            };
            app.import(document);
            app.alerts.onPresent = nullptr;
            QVERIFY(disk.isFull());
            QCOMPARE(app.alerts.alerts().size(), 2);
            QCOMPARE(app.alerts.alerts().last().title, u"Vemra couldn’t import “in.json”."_s);
            QCOMPARE(
                app.alerts.alerts().last().informativeText, u"The disk is full.\n\nNothing from the file was added."_s);
            QVERIFY(ImportJournal::exists(app.clipboard->folder()));

            if (roomMade)
                disk.free();
            app.alerts.clear();
            app.import(second);
            if (roomMade) {
                QCOMPARE(app.alerts.alerts().size(), 1);
                QCOMPARE(app.alerts.alerts().first().informativeText.section(u'\n', 0, 0),
                    u"2 todos and 3 clipboard items will be added."_s);
                QCOMPARE(app.transfer.lastResult(), u"Imported 2 todos and 3 clipboard items."_s);
            } else {
                // Refused before its question, leaving the first import's mark as it was.
                QCOMPARE(app.alerts.alerts().size(), 1);
                QCOMPARE(app.alerts.alerts().first().title, u"Vemra couldn’t import “%1”."_s.arg(secondName));
                QCOMPARE(app.alerts.alerts().first().informativeText,
                    u"The disk is full.\n\nNothing from the file was added."_s);
                QVERIFY(ImportJournal::exists(app.clipboard->folder()));
                QCOMPARE(app.todos->allTodos().size(), 0);
                disk.free();
            }
            QVERIFY(app.todos->flush() && app.clipboard->flush());
        }
        // The next start, and the files read afresh after it.
        const int expected = roomMade ? 1 : 0;
        {
            Running app(folder.path());
            app.clipboard->waitForBackgroundWork();
            QCOMPARE(app.todos->allTodos().size(), 2 * expected);
            QCOMPARE(app.clipboard->count(), 3 * expected);
            QTRY_VERIFY(!ImportJournal::exists(app.clipboard->folder()));
        }
        FixedClock clock(now);
        QCOMPARE(TodoStore::make(todoPath(folder.path()), &clock)->allTodos().size(), 2 * expected);
        QCOMPARE(ClipboardStore::make(clipboardPath(folder.path()))->count(), 3 * expected);
    }

    // A start while the disk is still full after an import failed on it: the user, who changed
    // nothing, is told only that taking the import back waits for room; its todos are out of
    // sight at once, and leave the file once there is room.
    void startWhileTheDiskIsStillFull()
    {
        QTemporaryDir folder;
        const QString document = folder.filePath(u"in.json"_s);
        writeDocument(document);
        FullDisk disk(folder.path());
        {
            Running app(folder.path());
            FillAtCommit fill { disk };
            fill.install(*app.clipboard->writer());
            app.alerts.onPresent = [&](const Alert &alert) {
                if (alert.title.startsWith(u"Import from"_s))
                    fill.armed = true;
            };
            app.import(document);
            app.alerts.onPresent = nullptr;
            QVERIFY(disk.isFull());
        }
        QVERIFY(ImportJournal::exists(clipboardPath(folder.path())));
        {
            Running app(folder.path());
            app.todos->setRetryInterval(20ms);
            QTRY_COMPARE(app.alerts.alerts().size(), 1);
            QCOMPARE(app.alerts.alerts().first().title, u"Vemra is taking back an interrupted import."_s);
            QCOMPARE(app.alerts.alerts().first().informativeText, u"It will finish once there’s room on the disk."_s);
            QCOMPARE(app.todos->allTodos().size(), 0);
            QVERIFY(app.todos->hasPendingChanges());
            disk.free();
            QTRY_VERIFY(!app.todos->hasPendingChanges());
            QCOMPARE(app.alerts.alerts().size(), 1);
            QCOMPARE(app.failedSaves, 0);
        }
        FixedClock clock(now);
        QCOMPARE(TodoStore::make(todoPath(folder.path()), &clock)->allTodos().size(), 0);
        Running app(folder.path());
        QTRY_VERIFY(!ImportJournal::exists(app.clipboard->folder()));
        QCOMPARE(app.alerts.alerts().size(), 0);
    }

    // The mark of an earlier version, whose entries were committed first, found while the
    // history's writer is busy with other work: the entries leave the list at once and the main
    // thread waits for nothing; the mark goes once their deletion is written, not before.
    void entriesTakenBackWhileTheWriterIsHeld()
    {
        QTemporaryDir folder;
        FixedClock clock(now);
        QByteArray mark = "Vemra import 1\ntodo " + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '\n';
        {
            const std::unique_ptr<ClipboardStore> clipboard = ClipboardStore::make(clipboardPath(folder.path()));
            for (const QString &text : { u"one"_s, u"two"_s, u"three"_s })
                mark += "entry " + clipboard->record(textCapture(text)).id.toByteArray(QUuid::WithoutBraces) + '\n';
            clipboard->record(textCapture(u"the user's own"_s));
            QVERIFY(clipboard->flush());
            QFile file(ImportJournal::path(clipboard->folder()));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(mark) == mark.size());
        }
        // Opened as the application opens them; the transfer comes once their checks are over.
        const std::unique_ptr<TodoStore> todos
            = TodoStore::make(todoPath(folder.path()), &clock, IntegrityCheck::InBackground);
        const std::unique_ptr<ClipboardStore> clipboard
            = ClipboardStore::make(clipboardPath(folder.path()), IntegrityCheck::InBackground);
        QTRY_VERIFY(!todos->isChecking() && !clipboard->isChecking());
        QCOMPARE(clipboard->count(), 4);
        // Held for a while, or until released.
        auto held = std::make_shared<QSemaphore>();
        clipboard->writer()->run([held](const StoreDatabase &) { return held->tryAcquire(1, 5000); });
        const auto release = qScopeGuard([held] { held->release(); });

        QElapsedTimer waited;
        waited.start();
        FakeFileDialogs dialogs;
        FakeAlertPresenter alerts;
        const DataTransfer transfer(*todos, *clipboard, dialogs, alerts, clock);
        QVERIFY2(waited.elapsed() < 1000, qPrintable(u"waited %1 ms"_s.arg(waited.elapsed())));
        QCOMPARE(clipboard->count(), 1);
        QCOMPARE(transfer.lastResult(), u"The last import was interrupted, so nothing from it was added."_s);
        QTest::qWait(50);
        QVERIFY(ImportJournal::exists(clipboard->folder()));

        held->release();
        QTRY_VERIFY(!ImportJournal::exists(clipboard->folder()));
        QVERIFY(!clipboard->hasPendingChanges());
        QCOMPARE(ClipboardStore::make(clipboardPath(folder.path()))->count(), 1);
        QCOMPARE(alerts.alerts().size(), 0);
    }

    // An import never writes over the mark of another, nor removes it.
    void markOfAnotherImportStays()
    {
        QTemporaryDir folder;
        const QString document = folder.filePath(u"in.json"_s);
        writeDocument(document);
        FixedClock clock(now);
        const std::unique_ptr<TodoStore> todos = TodoStore::make(todoPath(folder.path()), &clock);
        const std::unique_ptr<ClipboardStore> clipboard = ClipboardStore::make(clipboardPath(folder.path()));
        const QList<QUuid> earlier { QUuid::createUuid() };
        QVERIFY(ImportJournal::write(clipboard->folder(), earlier, earlier));
        QFile mark(ImportJournal::path(clipboard->folder()));
        QVERIFY(mark.open(QIODevice::ReadOnly));
        const QByteArray before = mark.readAll();
        mark.close();
        {
            ImportWriter writer(plannedJob(document, *todos, *clipboard));
            QVERIFY(!writer.write() || !writer.commit());
        }
        QVERIFY(mark.open(QIODevice::ReadOnly));
        QCOMPARE(mark.readAll(), before);
        QCOMPARE(TodoStore::make(todoPath(folder.path()), &clock)->allTodos().size(), 0);
        QCOMPARE(ClipboardStore::make(clipboardPath(folder.path()))->count(), 0);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--import-then-kill") == 0)
        return importThenKill(
            QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    tst_ImportJournal test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ImportJournal.moc"
