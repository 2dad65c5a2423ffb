// What the clipboard store takes on disk, by table and index and in the search's column, for
// 100,000 short texts as people copy them and for the history below. Then the store at history
// sizes of 10,000, 100,000 and 1,000,000 entries, a fifth of the short texts with characters of
// three or four bytes: the main-thread cost of opening, recording, the first pages, the counts,
// a search keystroke (its page and its count) for common, rare, absent and multi-word terms,
// one before the search column is ready (through SQLite alone, with the processor time its
// threads take, and while the column is made), and deleting a period, as medians, plus the
// database's size and resident memory while recording, searching and deleting (its anonymous
// and file-backed parts apart: only the first is the process's own); then Delete All over
// 100,000 entries of which 20,000 are images. `bench_clipboard N` stops at N entries;
// `bench_clipboard sizes` only tells the sizes.
#include "ClipboardHistoryGenerator.h"
#include "Models/Clipboard/ClipboardPeriod.h"
#include "Services/Clipboard/ClipboardDatabase.h"
#include "Services/Clipboard/ClipboardFiles.h"
#include "Services/Clipboard/ClipboardStore.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <vector>

#include <sys/resource.h>

using namespace BenchHistory;

namespace {

// Bytes an entry of each table and index, from SQLite's own page statistics, with how full
// their pages are; then the file's own size.
void reportSizes(const QString &database, qint64 entries)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("sizes"));
        db.setDatabaseName(database);
        QSqlQuery query(db);
        if (db.open()
            && query.exec(QStringLiteral("SELECT name, sum(pgsize), 1.0 - 1.0 * sum(unused) / sum(pgsize) FROM dbstat "
                                         "GROUP BY name ORDER BY 2 DESC"))) {
            while (query.next())
                std::printf("    %-40s %7.1f bytes an entry, pages %2.0f %% full\n",
                    qPrintable(query.value(0).toString()), query.value(1).toDouble() / double(entries),
                    query.value(2).toDouble() * 100);
        }
        if (query.exec(QStringLiteral("SELECT freelist_count * page_size FROM pragma_freelist_count, pragma_page_size"))
            && query.next()) {
            std::printf("    %-40s %7.1f bytes an entry\n", "free pages", query.value(0).toDouble() / double(entries));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("sizes"));
}

// Fills a new store's file as saves would, many entries a transaction, which is far quicker
// than a save per copy at a million entries; the UTF-8 bytes of text held inline.
qint64 fillQuickly(const std::function<ClipboardCapture(const QDateTime &)> &next, const QString &folder,
    const QDateTime &now, int count)
{
    for (const QString &sub : ClipboardFiles::folders())
        QDir().mkpath(folder + QLatin1Char('/') + sub);
    auto opened = ClipboardDatabase::open(folder + QLatin1Char('/') + ClipboardStore::databaseFileName());
    if (!opened)
        return 0;
    const qint64 span = qint64(400) * 24 * 3600 * 1000;
    qint64 textBytes = 0;
    ClipboardDatabase::Changes changes;
    for (int i = 0; i < count; ++i) {
        const ClipboardCapture capture = next(now.addMSecs(-span + span * i / count));
        textBytes += capture.content.toUtf8().size();
        changes.items.append(ClipboardItem(capture));
        if (changes.items.size() == 20000 || i + 1 == count) {
            if (!ClipboardDatabase::write(opened.value()->sql(), changes))
                std::printf("cannot fill the store\n");
            changes.items.clear();
        }
    }
    return textBytes;
}

qint64 fillQuickly(Generator &generator, const QString &folder, const QDateTime &now, int count)
{
    return fillQuickly([&generator](const QDateTime &at) { return generator.next(at); }, folder, now, count);
}

// What a history of `count` entries takes on disk, by table and index and in the search's
// column, against the goal of twice its text and 100 bytes an entry; then the same file
// vacuumed, as a file whose indexes were written in order would be.
void reportStoreSize(const char *what, const std::function<ClipboardCapture(const QDateTime &)> &next, int count)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/Clipboard");
    const QDateTime now(QDate(2026, 12, 16), QTime(15, 0));
    const qint64 text = fillQuickly(next, folder, now, count);
    const QString database = folder + QLatin1Char('/') + ClipboardStore::databaseFileName();
    std::printf("%s: %d entries, %.1f bytes of text an entry\n", what, count, double(text) / count);
    reportSizes(database, count);
    qint64 column = 0;
    {
        std::unique_ptr<ClipboardStore> store = ClipboardStore::make(folder);
        store->waitForBackgroundWork();
        column = QFileInfo(database + QStringLiteral("-search")).size();
    }
    const double databaseBytes = double(fileSize(database)) / count;
    const double columnBytes = double(column) / count;
    const double goal = 2.0 * double(text) / count + 100;
    std::printf("  database %.1f + search column %.1f = %.1f bytes an entry, against %.1f (twice the text + 100): "
                "%.2f times the text\n",
        databaseBytes, columnBytes, databaseBytes + columnBytes, goal,
        (databaseBytes + columnBytes) * count / double(text));
    // Through the store's own functions, which its indexes use.
    sqlite3 *handle = nullptr;
    if (sqlite3_open(QFile::encodeName(database).constData(), &handle) != SQLITE_OK
        || !ClipboardDatabase::schema().functions(handle)
        || sqlite3_exec(handle, "VACUUM", nullptr, nullptr, nullptr) != SQLITE_OK)
        std::printf("  cannot vacuum: %s\n", sqlite3_errmsg(handle));
    sqlite3_close(handle);
    std::printf("  vacuumed, the database %.1f bytes an entry:\n", double(fileSize(database)) / count);
    reportSizes(database, count);
    std::printf("\n");
}

void reportStoreSizes()
{
    const QDateTime now(QDate(2026, 12, 16), QTime(15, 0));
    ShortTexts shortTexts;
    reportStoreSize(
        "short texts", [&shortTexts](const QDateTime &at) { return shortTexts.next(at); }, 100000);
    // Its side files are left in a folder of their own; only the database and column count.
    QTemporaryDir sideFiles;
    for (const QString &sub : ClipboardFiles::folders())
        QDir().mkpath(sideFiles.path() + QLatin1Char('/') + sub);
    Generator history(sideFiles.path(), now);
    reportStoreSize(
        "the benchmark's history", [&history](const QDateTime &at) { return history.next(at); }, 100000);
}

// The processor time this process has run, on all its threads.
double processorMilliseconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// A keystroke as the list takes it: the scan on other threads, the page read after it.
ClipboardStore::Page keystroke(ClipboardStore &store, const QString &term)
{
    QFuture<std::optional<ClipboardSearch::Scan>> scan = store.scanInBackground(term, 501);
    if (!scan.isValid())
        return store.page(term, 501);
    scan.waitForFinished();
    return store.page(term, scan.resultCount() > 0 ? scan.result() : std::nullopt, 501);
}

// Keystrokes before the column is ready, as after a kill while it was being made: first with
// its making blocked (the scan through SQLite alone), then while it is made afresh.
void timeWithoutColumn(std::unique_ptr<ClipboardStore> &store, const QString &folder)
{
    const QString column = folder + QLatin1Char('/') + ClipboardStore::databaseFileName() + QStringLiteral("-search");
    const auto reopen = [&] {
        store.reset();
        QFile::remove(column);
        store = ClipboardStore::make(folder);
    };
    // A folder in the column's place keeps the column made from taking it, and once its making
    // has failed, every scan reads the file through SQLite.
    store.reset();
    QFile::remove(column);
    QDir().mkpath(column);
    store = ClipboardStore::make(folder);
    store->waitForBackgroundWork();
    for (const QString &term : { QStringLiteral("pri"), QStringLiteral("zzq") }) {
        const QByteArray label = "keystroke \"" + term.toUtf8() + "\" without the column (SQLite scan alone)";
        std::vector<double> processor;
        report(label.constData(), medianOf(5, [&] {
            const double from = processorMilliseconds();
            keystroke(*store, term);
            processor.push_back(processorMilliseconds() - from);
        }));
        // What the machine's other work barely changes: the time the scan's threads ran.
        report("  its processor time, every thread", median(processor));
    }
    QDir().rmdir(column);
    reopen();
    QElapsedTimer making;
    making.start();
    std::vector<double> during;
    while (!QFileInfo::exists(column) && during.size() < 50) {
        const double ms = milliseconds([&] { keystroke(*store, QStringLiteral("pri")); });
        if (!QFileInfo::exists(column))
            during.push_back(ms);
    }
    const QByteArray label
        = "keystroke \"pri\" while the column is made (" + QByteArray::number(int(during.size())) + " of them)";
    report(label.constData(), during.empty() ? 0.0 : median(during));
    store->waitForBackgroundWork();
    report("  the column made meanwhile, from the opening", double(making.elapsed()));
}

void run(int size)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/Clipboard");
    const QDateTime now(QDate(2026, 12, 16), QTime(15, 0));
    const ClipboardCalendar calendar = ClipboardCalendar::current();
    // A fifth of the short texts hold curly quotes, dashes, emoji or Asian scripts.
    Generator generator(folder, now, 2, 20);

    qint64 textBytes = 0;
    const double fill = milliseconds([&] { textBytes = fillQuickly(generator, folder, now, size); });
    std::printf("%d entries (filled in %.1f s)\n", size, fill / 1000.0);
    const QString database = folder + QLatin1Char('/') + ClipboardStore::databaseFileName();
    std::printf("  database %.1f MB for %.1f MB of text held (%.2f times; %.0f bytes an entry beyond twice the text)\n",
        double(fileSize(database)) / 1e6, double(textBytes) / 1e6, double(fileSize(database)) / double(textBytes),
        double(fileSize(database) - 2 * textBytes) / size);
    reportSizes(database, size);
    std::unique_ptr<ClipboardStore> store;
    report("open (with its integrity check)", milliseconds([&] { store = ClipboardStore::make(folder); }));
    if (store->loadError()) {
        std::printf("cannot open the store: %s\n", qPrintable(store->loadError()->description()));
        return;
    }

    // The search's column is made in the background once the history opens.
    report("  then its search column, in the background", milliseconds([&] { store->waitForBackgroundWork(); }));
    timeWithoutColumn(store, folder);
    const qint64 column = QFileInfo(database + QStringLiteral("-search")).size();
    std::printf("  search column beside it %.1f MB (%.0f bytes an entry); with the database %.2f times the text\n",
        double(column) / 1e6, double(column) / size, double(fileSize(database) + column) / double(textBytes));
    std::optional<MemoryWatch> watch(std::in_place);

    // A new copy and a repeated copy, as the monitor hands them over.
    std::vector<double> fresh;
    std::vector<double> repeated;
    for (int i = 0; i < 51; ++i) {
        const ClipboardCapture capture = generator.next(now.addSecs(i));
        fresh.push_back(milliseconds([&] { store->record(capture); }));
        ClipboardCapture again = capture;
        again.id = QUuid::createUuid();
        again.imagePath.reset();
        again.thumbnailPath.reset();
        again.textPath.reset();
        again.copiedAt = now.addSecs(i + 1);
        repeated.push_back(milliseconds([&] { store->record(again); }));
    }
    report("record a new copy", median(fresh));
    report("record a repeated copy (fold)", median(repeated));

    report("first page of 101", medianOf(21, [&] { store->items(101); }));
    report("first page of 501", medianOf(21, [&] { store->items(501); }));
    report("count", medianOf(21, [&] { store->count(); }));
    watch->report("recording and the first pages");

    // The first search makes what every later one reuses: threads, connections, buffers.
    watch.emplace();
    keystroke(*store, QStringLiteral("pri"));
    watch->report("the first search");

    watch.emplace();

    // A keystroke in the window's search field: the page of 501 and the count of all matches.
    const QStringList terms { QStringLiteral("pri"), QStringLiteral("CAF\u00c9"), QStringLiteral("77777"),
        QStringLiteral("zzq"), QStringLiteral("invoice total"), QStringLiteral("web browser"), QStringLiteral("qu") };
    for (const QString &term : terms) {
        qint64 total = 0;
        const double ms = medianOf(11, [&] { total = store->page(term, 501).total; });
        const QByteArray label = "keystroke \"" + term.toUtf8() + "\" (" + QByteArray::number(total) + " found)";
        report(label.constData(), ms);
        report("  its scan off the main thread, then the page", medianOf(11, [&] { keystroke(*store, term); }));
    }
    // Typing fast: each keystroke cancels the scan before it; the time to the last page.
    report("typed \"p\", \"pr\", \"pri\" at once", medianOf(11, [&] {
        QFuture<std::optional<ClipboardSearch::Scan>> scan;
        for (const QString &typed : { QStringLiteral("p"), QStringLiteral("pr") }) {
            scan.cancel();
            scan = store->scanInBackground(typed, 501);
        }
        scan.cancel();
        keystroke(*store, QStringLiteral("pri"));
    }));
    watch->report("searching");

    // Flat while searching: every term five times more holds no more memory.
    watch.emplace();
    for (int round = 0; round < 5; ++round) {
        for (const QString &term : terms)
            keystroke(*store, term);
    }
    watch->report("searching again");

    watch.emplace();
    for (ClipboardPeriod period : ClipboardPeriods::all) {
        const QByteArray label = "count of " + ClipboardPeriods::word(period).toUtf8();
        report(label.constData(), medianOf(21, [&] { store->count(ClearRequest::of(period), now, calendar); }));
    }

    // Each run deletes another whole month, about a thirteenth of the history.
    std::vector<double> deletions;
    qint64 deleted = 0;
    for (int month = 1; month <= 3; ++month) {
        const QDateTime then = now.addMonths(-month);
        deleted += store->count(ClearRequest::of(ClipboardPeriod::LastMonth), then, calendar);
        deletions.push_back(
            milliseconds([&] { store->deleteItems(ClearRequest::of(ClipboardPeriod::LastMonth), then, calendar); }));
    }
    report("delete a month (main thread)", median(deletions));
    report("  its side files, after", milliseconds([&] { store->waitForBackgroundWork(); }));

    std::printf("  (%lld entries deleted in 3 months)\n", deleted);
    // Deleting works with a large cache of its own for the while.
    watch->report("counting and deleting");
    std::printf("\n");
}

// Delete All over 100,000 entries of which a fifth are images with two side files each.
void runDeleteAll()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/Clipboard");
    const QDateTime now(QDate(2026, 12, 16), QTime(15, 0));
    auto store = ClipboardStore::make(folder);
    Generator generator(folder, now, 20);
    generator.fill(*store, 100000);
    std::printf("%d entries, %d with images\n", int(store->count()),
        int(QDir(folder + QStringLiteral("/Images")).entryList(QDir::Files).size()));
    report("delete all (main thread)",
        milliseconds([&] { store->deleteItems(ClearRequest::all(), now, ClipboardCalendar::current()); }));
    report("  its side files, after", milliseconds([&] { store->waitForBackgroundWork(); }));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // `bench_clipboard sizes` tells only what the store takes on disk.
    const bool sizesOnly = argc > 1 && qstrcmp(argv[1], "sizes") == 0;
    reportStoreSizes();
    if (sizesOnly)
        return 0;
    const int largest = argc > 1 ? std::atoi(argv[1]) : 1000000;
    // The same work at three history sizes shows what grows with the history and what does not.
    for (int size : { 10000, 100000, 1000000 }) {
        if (size <= largest)
            run(size);
    }
    runDeleteAll();
    return 0;
}
