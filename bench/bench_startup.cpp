// Start-up at history sizes of 0, 100,000 and 1,000,000 entries (with 300 todos): from launching
// the process to the tray icon, and to the first search answered over the whole history, with
// the peak resident memory once the work left for the first idle moment is done too; medians of
// 5 launches on a warm disk cache. Then the same launched at login (the panel not opened) over
// 20,000 todos, at no entries and at the largest size. Then the first launch
// over a history of the layout before (every hash kept, names without their counts) at 100,000
// and 1,000,000 entries: to the history checked and upgraded, and the peak resident memory;
// medians of 3, each over a fresh copy of the older file. Each launch is a process
// of its own running the application as main() does, over the test fakes (offscreen, no X
// server, no session bus), so the figures are Vemra's own start-up. `bench_startup N` stops at N;
// `bench_startup N --ends` runs an empty history and N alone, with 300 todos.
#include "AppHarness.h"
#include "ClipboardHistoryGenerator.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Todos/TodoStore.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sqlite3.h>

#include <cstdio>
#include <ctime>

using namespace BenchHistory;

namespace {

qint64 monotonicNanoseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The tray icon as the application shows it: the moment it is made visible is noted.
class NotingTray final : public TrayHost
{
public:
    bool isAvailable() const override { return true; }
    bool usesStatusNotifier() const override { return false; }
    void setVisible(bool visible) override
    {
        if (visible && shownAt == 0)
            shownAt = monotonicNanoseconds();
    }
    void setIcon(const QIcon &) override { }
    void setToolTip(const QString &) override { }
    QRect geometry() const override { return {}; }
    void showMenu(QMenu *) override { }
    std::optional<QColor> foreground() const override { return std::nullopt; }
    std::optional<QColor> background() const override { return std::nullopt; }

    qint64 shownAt = 0;
};

// One launch over the data folder `prepared`, which it borrows for the run. Prints the moments
// of the tray icon, of the history checked and of the first search answered, and the peak
// resident memory in KiB.
int launch(int argc, char **argv, const QString &prepared, bool atLogin)
{
    QApplication app(argc, argv);
    AppHarness h;
    const QString data = h.home.dataFolder();
    QDir().mkpath(QFileInfo(data).absolutePath());
    if (!QDir().rename(prepared, data))
        return 1;
    NotingTray tray;
    h.facilities.tray = &tray;
    h.facilities.launchedAtLogin = atLogin;
    h.create();
    h.delegate->start();
    ClipboardStore &clipboard = h.delegate->environment().clipboard;
    if (clipboard.isChecking()) {
        QEventLoop loop;
        QObject::connect(&clipboard, &ClipboardStore::checked, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const qint64 checkedAt = monotonicNanoseconds();
    const qint64 found = clipboard.page(QStringLiteral("pri"), 501).total;
    const qint64 answeredAt = monotonicNanoseconds();
    // The work the application leaves for its first idle moment (the column's sums) counts in
    // the peak too.
    const auto idle = [] {
        QEventLoop loop;
        QTimer::singleShot(200, &loop, &QEventLoop::quit);
        loop.exec();
    };
    idle();
    clipboard.waitForBackgroundWork();
    idle();
    std::printf("%lld %lld %lld %lld %lld\n", tray.shownAt, answeredAt, statusKilobytes("VmHWM:"), found, checkedAt);
    std::fflush(stdout);
    h.delegate.reset();
    return QDir().rename(data, prepared) ? 0 : 1;
}

void prepare(const QString &folder, int size, int todoCount)
{
    const QDateTime now(QDate(2026, 12, 16), QTime(15, 0));
    {
        auto todos = TodoStore::make(folder + QStringLiteral("/Todos.store"));
        for (int i = 0; i < todoCount; ++i)
            todos->add(QStringLiteral("Todo %1").arg(i), std::nullopt);
    }
    const QString clipboardFolder = folder + QStringLiteral("/Clipboard");
    auto store = ClipboardStore::make(clipboardFolder);
    Generator(clipboardFolder, now).fill(*store, size, 20000);
}

// Turns the history at `path` back into the layout before: every hash kept whole, with an index
// of their heads, and names that do not count their uses.
bool turnBack(const QString &path)
{
    sqlite3 *handle = nullptr;
    bool done = sqlite3_open(path.toUtf8().constData(), &handle) == SQLITE_OK;
    const auto ownHash = [](sqlite3_context *context, int, sqlite3_value **arguments) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(arguments[0]));
        const QByteArray digest = QCryptographicHash::hash(
            QByteArrayView(text, text ? sqlite3_value_bytes(arguments[0]) : 0), QCryptographicHash::Sha256);
        sqlite3_result_blob(context, digest.constData(), int(digest.size()), SQLITE_TRANSIENT);
    };
    done = done
        && sqlite3_create_function_v2(handle, "own_hash", 1, SQLITE_UTF8, nullptr, ownHash, nullptr, nullptr, nullptr)
            == SQLITE_OK;
    for (const char *statement : { "BEGIN", "DROP TRIGGER clipboard_item_changed", "DROP INDEX clipboard_item_hash",
             "UPDATE clipboard_item SET content_hash = own_hash(content) WHERE length(content_hash) = 0",
             "CREATE INDEX clipboard_item_hash ON clipboard_item (substr(content_hash, 1, 8))",
             "CREATE TRIGGER clipboard_item_changed AFTER UPDATE ON clipboard_item "
             "BEGIN INSERT INTO clipboard_change (seq) VALUES (old.seq); END",
             "ALTER TABLE clipboard_name DROP COLUMN uses", "PRAGMA user_version = 8", "COMMIT", "VACUUM",
             "PRAGMA wal_checkpoint(TRUNCATE)" })
        done = done && sqlite3_exec(handle, statement, nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!done)
        std::printf("cannot turn the history back: %s\n", sqlite3_errmsg(handle));
    sqlite3_close(handle);
    return done;
}

bool copyFolder(const QString &from, const QString &to)
{
    QDir(to).removeRecursively();
    return QProcess::execute(QStringLiteral("cp"), { QStringLiteral("-a"), from, to }) == 0;
}

void run(const QString &program, int size, bool older, bool manyTodos = false)
{
    QTemporaryDir dir;
    const QString prepared = dir.path() + QStringLiteral("/Prepared");
    prepare(prepared, size, manyTodos ? 20000 : 300);
    if (older && !turnBack(prepared + QStringLiteral("/Clipboard/Clipboard.store")))
        return;
    const QString folder = dir.path() + QStringLiteral("/Vemra");
    if (!older)
        QDir().rename(prepared, folder);
    std::printf("%d entries%s%s (database %.1f MB)\n", size, older ? ", the layout before" : "",
        manyTodos ? ", 20,000 todos, launched at login" : "",
        double(fileSize((older ? prepared : folder) + QStringLiteral("/Clipboard/Clipboard.store"))) / 1e6);
    std::vector<double> tray;
    std::vector<double> checked;
    std::vector<double> search;
    double peak = 0;
    qint64 found = 0;
    for (int i = 0; i < (older ? 3 : 5); ++i) {
        if (older && !copyFolder(prepared, folder)) {
            std::printf("  cannot copy the history\n");
            return;
        }
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const qint64 started = monotonicNanoseconds();
        process.start(
            program, { manyTodos ? QStringLiteral("--launch-at-login") : QStringLiteral("--launch"), folder });
        if (!process.waitForFinished(600000) || process.exitCode() != 0) {
            std::printf("  a launch failed\n");
            return;
        }
        const QList<QByteArray> figures = process.readAllStandardOutput().trimmed().split(' ');
        if (figures.size() != 5) {
            std::printf("  a launch said nothing\n");
            return;
        }
        tray.push_back(double(figures[0].toLongLong() - started) / 1e6);
        search.push_back(double(figures[1].toLongLong() - started) / 1e6);
        checked.push_back(double(figures[4].toLongLong() - started) / 1e6);
        peak = std::max(peak, figures[2].toDouble() / 1024);
        found = figures[3].toLongLong();
    }
    report("launch -> tray icon", median(tray));
    std::printf("   ");
    for (const double each : tray)
        std::printf(" %.1f", each);
    std::printf(" ms, each launch\n");
    report(older ? "launch -> history upgraded and checked" : "launch -> history checked", median(checked));
    const QByteArray label = "launch -> first search (\"pri\", " + QByteArray::number(found) + " found)";
    report(label.constData(), median(search));
    std::printf("  peak resident memory %.1f MB\n\n", peak);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && (qstrcmp(argv[1], "--launch") == 0 || qstrcmp(argv[1], "--launch-at-login") == 0))
        return launch(argc, argv, QString::fromLocal8Bit(argv[2]), qstrcmp(argv[1], "--launch-at-login") == 0);
    QCoreApplication app(argc, argv);
    const int largest = argc > 1 ? std::atoi(argv[1]) : 1000000;
    // `--ends`: only an empty history and the largest, in the current layout.
    const bool ends = argc > 2 && qstrcmp(argv[2], "--ends") == 0;
    for (int size : { 0, 100000, 1000000 }) {
        if (size <= largest && (!ends || size == 0 || size == largest))
            run(QCoreApplication::applicationFilePath(), size, false);
    }
    for (int size : { 100000, 1000000 }) {
        if (size <= largest && !ends)
            run(QCoreApplication::applicationFilePath(), size, true);
    }
    run(QCoreApplication::applicationFilePath(), 0, false, true);
    if (largest > 0)
        run(QCoreApplication::applicationFilePath(), largest, false, true);
    return 0;
}
