// Clipboard store at history sizes of 10,000, 100,000 and 1,000,000 entries: the main-thread
// cost of opening, recording, the first pages, the counts, a search keystroke (its page and its
// count) for common, rare, absent and multi-word terms, and deleting a period, as medians, plus
// the database's size and the peak resident memory while the queries run; then Delete All over
// 100,000 entries of which 20,000 are images. `bench_clipboard N` stops at N entries.
#include "Models/Clipboard/ClipboardPeriod.h"
#include "Services/Clipboard/ClipboardStore.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

namespace {

const QStringList &words()
{
    static const QStringList list = QStringLiteral(
        "the quick brown fox jumps over lazy dog meeting notes agenda invoice total amount paid "
        "address street city phone number email password reset link project build release version "
        "function return value error warning report draft review caf\u00e9 na\u00efve r\u00e9sum\u00e9 "
        "kitchen garden window table chair lamp paper coffee tea water market price order")
                                        .split(QLatin1Char(' '));
    return list;
}

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// A fixed generator: the same seed gives the same history.
class Generator
{
public:
    Generator(QString folder, QDateTime now, int imagePercent = 2)
        : m_folder(std::move(folder))
        , m_now(std::move(now))
        , m_imagePercent(imagePercent)
    {
    }

    // The UTF-8 bytes of text the database holds inline.
    qint64 textBytes() const { return m_textBytes; }

    QString sentence(int minWords, int maxWords)
    {
        std::uniform_int_distribution<int> count(minWords, maxWords);
        std::uniform_int_distribution<int> pick(0, int(words().size()) - 1);
        QStringList parts;
        for (int i = count(m_random); i > 0; --i)
            parts << words()[pick(m_random)];
        parts << QString::number(m_serial++);
        return parts.join(QLatin1Char(' '));
    }

    ClipboardCapture next(const QDateTime &copiedAt)
    {
        ClipboardCapture capture;
        capture.id = QUuid::createUuid();
        capture.copiedAt = copiedAt;
        capture.firstCopiedAt = copiedAt;
        capture.sourceAppName = m_serial % 3 == 0 ? QStringLiteral("Text Editor") : QStringLiteral("Web Browser");
        capture.sourceAppId = QStringLiteral("org.example.app");
        const QString name = capture.id.toString(QUuid::WithoutBraces).toUpper();
        const int roll = std::uniform_int_distribution<int>(0, 99)(m_random);
        if (roll < m_imagePercent) {
            // An image with its side files.
            const QByteArray bytes = "\x89PNG fake image " + QByteArray::number(m_serial++) + QByteArray(2000, 'i');
            capture.kind = ClipboardKind::Image;
            capture.contentHash = sha256(bytes);
            capture.mimeType = QStringLiteral("public.png");
            capture.byteCount = bytes.size();
            capture.pixelWidth = 640;
            capture.pixelHeight = 480;
            capture.imagePath = QStringLiteral("Images/") + name + QStringLiteral(".png");
            capture.thumbnailPath = QStringLiteral("Thumbnails/") + name + QStringLiteral(".png");
            writeFile(m_folder + QLatin1Char('/') + *capture.imagePath, bytes);
            writeFile(m_folder + QLatin1Char('/') + *capture.thumbnailPath, bytes.left(500));
        } else if (roll < m_imagePercent + 1) {
            // A text over 20,000 characters: the head inline, the whole in a side file.
            QString whole;
            while (whole.size() <= 24000)
                whole += sentence(20, 40) + QLatin1Char('\n');
            const QByteArray utf8 = whole.toUtf8();
            capture.kind = ClipboardKind::Text;
            capture.content = whole.left(20000);
            capture.contentHash = sha256(utf8);
            capture.mimeType = QStringLiteral("public.utf8-plain-text");
            capture.byteCount = utf8.size();
            capture.textPath = QStringLiteral("Text/") + name + QStringLiteral(".txt");
            writeFile(m_folder + QLatin1Char('/') + *capture.textPath, utf8);
        } else {
            const QString text = sentence(3, 30);
            const bool link = roll < m_imagePercent + 8;
            capture.kind = link ? ClipboardKind::Url : ClipboardKind::Text;
            capture.content = link
                ? QStringLiteral("https://example.org/") + text.split(QLatin1Char(' ')).join(QLatin1Char('/'))
                : text;
            capture.contentHash = sha256(capture.content.toUtf8());
            capture.mimeType = QStringLiteral("public.utf8-plain-text");
            capture.byteCount = capture.content.toUtf8().size();
        }
        return capture;
    }

    // Fills the store with `count` entries spread over the 400 days before `now`.
    void fill(ClipboardStore &store, int count)
    {
        const qint64 span = qint64(400) * 24 * 3600 * 1000;
        for (int i = 0; i < count; ++i) {
            const ClipboardCapture capture = next(m_now.addMSecs(-span + span * i / count));
            m_textBytes += capture.content.toUtf8().size();
            store.record(capture);
        }
    }

private:
    QString m_folder;
    QDateTime m_now;
    int m_imagePercent;
    std::mt19937 m_random { 20261206 };
    qint64 m_serial = 0;
    qint64 m_textBytes = 0;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double milliseconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

double medianOf(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(milliseconds(work));
    return median(times);
}

qint64 statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Starts a new peak-memory measurement for this process.
void resetPeak()
{
    writeFile(QStringLiteral("/proc/self/clear_refs"), "5");
}

void report(const char *what, double ms)
{
    std::printf("  %-44s %9.3f ms\n", what, ms);
}

qint64 fileSize(const QString &path)
{
    return QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
}

void run(int size)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/Clipboard");
    const QDateTime now(QDate(2026, 12, 16), QTime(15, 0));
    auto store = ClipboardStore::make(folder);
    if (store->loadError()) {
        std::printf("cannot open the store: %s\n", qPrintable(store->loadError()->description()));
        return;
    }
    const ClipboardCalendar calendar = ClipboardCalendar::current();
    Generator generator(folder, now);

    const double fill = milliseconds([&] { generator.fill(*store, size); });
    std::printf("%d entries (filled through record() in %.1f s)\n", int(store->count()), fill / 1000.0);
    store.reset();
    const QString database = folder + QLatin1Char('/') + ClipboardStore::databaseFileName();
    std::printf("  database %.1f MB for %.1f MB of text held (%.2f times)\n", double(fileSize(database)) / 1e6,
        double(generator.textBytes()) / 1e6, double(fileSize(database)) / double(generator.textBytes()));
    report("open (with its integrity check)", milliseconds([&] { store = ClipboardStore::make(folder); }));

    resetPeak();
    const qint64 before = statusKilobytes("VmRSS:");

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

    // A keystroke in the window's search field: the page of 501 and the count of all matches.
    const QStringList terms { QStringLiteral("pri"), QStringLiteral("CAF\u00c9"), QStringLiteral("77777"),
        QStringLiteral("zzq"), QStringLiteral("invoice total"), QStringLiteral("web browser"), QStringLiteral("qu") };
    for (const QString &term : terms) {
        qint64 total = 0;
        const double ms = medianOf(11, [&] { total = store->page(term, 501).total; });
        const QByteArray label = "keystroke \"" + term.toUtf8() + "\" (" + QByteArray::number(total) + " found)";
        report(label.constData(), ms);
    }
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
    std::printf("  resident memory: %lld KiB before the queries, peak %lld KiB during them\n\n", before,
        statusKilobytes("VmHWM:"));
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
    const int largest = argc > 1 ? std::atoi(argv[1]) : 1000000;
    // The same work at three history sizes shows what grows with the history and what does not.
    for (int size : { 10000, 100000, 1000000 }) {
        if (size <= largest)
            run(size);
    }
    runDeleteAll();
    return 0;
}
