// Export and import at the size of a real history: 100,000 clipboard entries (2,000 images and
// 1,000 texts longer than the inline limit) and 20,000 todos. Reports the export's time and
// peak memory over idle, the import's (read, plan, side files, inserts) time and peak memory
// against the file's size, a second import of the same file ("Nothing new to import."), and
// the longest the main thread went without turning its event loop during each, with the
// processor time spent (which a busy machine disturbs less than the wall clock). Each is run
// VEMRA_BENCH_RUNS times (3 when unset) and the medians are printed last.
#include "Models/Transfer/ExportedClipboardItem.h"
#include "Platform/AlertPresenter.h"
#include "Platform/Clock.h"
#include "Platform/FileDialogs.h"
#include "Services/Clipboard/ClipboardCaptures.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Transfer/DataTransfer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <QCoroTask>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

class ChosenFile final : public FileDialogs
{
public:
    explicit ChosenFile(QString path)
        : m_path(std::move(path))
    {
    }
    std::optional<QString> chooseFile(const FileDialogRequest &) override { return m_path; }

private:
    QString m_path;
};

// Confirms every import and remembers the last alert.
class Confirming final : public AlertPresenter
{
public:
    int present(const Alert &alert) override
    {
        last = alert.title;
        return 0;
    }
    void update(const Alert &alert) override { last = alert.title; }
    QString last;
};

qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

// Resets the peak resident size to the current one.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

qint64 processorMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

struct Figures
{
    qint64 elapsed = 0;
    qint64 processor = 0;
    qint64 peakKiB = 0;
    qint64 stall = 0;
};

std::map<std::string, std::vector<Figures>> &runs()
{
    static std::map<std::string, std::vector<Figures>> all;
    return all;
}

// Runs `work` to its end while a timer on the main thread notes the longest gap between its
// turns; prints the time, the processor time, the peak memory over what was resident before,
// and that gap.
template <typename Work> void measure(const char *what, Work work, qint64 entries, qint64 fileBytes = 0)
{
    resetPeak();
    const qint64 before = statusKiB("VmRSS:");
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer beat;
    beat.setInterval(5);
    QObject::connect(&beat, &QTimer::timeout, &beat, [&] {
        const qint64 at = clock.elapsed();
        longest = std::max(longest, at - last);
        last = at;
    });
    const qint64 cpuBefore = processorMs();
    clock.start();
    beat.start();
    QCoro::waitFor(work());
    const qint64 elapsed = clock.elapsed();
    const qint64 cpu = processorMs() - cpuBefore;
    longest = std::max(longest, elapsed - last);
    const qint64 peak = statusKiB("VmHWM:") - before;
    runs()[what].push_back(Figures { elapsed, cpu, peak, longest });
    std::printf("%-14s %7lld ms (processor %6lld ms)  %9.0f entries/s  peak +%6.1f MB", what,
        static_cast<long long>(elapsed), static_cast<long long>(cpu), entries * 1000.0 / std::max<qint64>(elapsed, 1),
        peak / 1024.0);
    if (fileBytes > 0)
        std::printf(" (%.2f x the file's %.1f MB)", peak * 1024.0 / fileBytes, fileBytes / 1048576.0);
    std::printf("  longest main-thread stall %lld ms\n", static_cast<long long>(longest));
}

qint64 median(std::vector<Figures> figures, qint64 Figures::*field)
{
    std::sort(figures.begin(), figures.end(), [&](const Figures &a, const Figures &b) { return a.*field < b.*field; });
    return figures[figures.size() / 2].*field;
}

QByteArray noisePng(QRandomGenerator &random)
{
    QImage image(48, 48, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = random.generate() | 0xFF000000u;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

Status fill(TodoStore &todos, ClipboardStore &clipboard)
{
    QRandomGenerator random(20260304);
    const QDateTime start(QDate(2025, 1, 1), QTime(9, 0), Qt::UTC);
    QList<ExportedTodo> records;
    for (int i = 0; i < 20'000; ++i) {
        ExportedTodo todo { QUuid::createUuid(), QStringLiteral("Todo number %1 / with a few words").arg(i), i % 3 == 0,
            start.addSecs(i * 60), start.addSecs(i * 60 + 5), {}, {}, i };
        if (todo.isCompleted)
            todo.completedAt = start.addSecs(i * 60 + 30);
        if (i % 4 == 0)
            todo.day = QStringLiteral("2025-06-%1").arg(1 + i % 28, 2, 10, QLatin1Char('0'));
        records << todo;
    }
    if (Status inserted = todos.insertImported(records); !inserted)
        return inserted;

    QList<ClipboardCapture> captures;
    for (int i = 0; i < 100'000; ++i) {
        ExportedClipboardItem item;
        item.id = QUuid::createUuid();
        item.createdAt = start.addSecs(i * 30);
        item.lastCopiedAt = item.createdAt.addSecs(i % 7);
        item.metadata = ExportedClipboardItem::Metadata { QStringLiteral("Editor"),
            QStringLiteral("org.example.Editor"), {}, {}, {} };
        if (i % 50 == 0) {
            item.type = QStringLiteral("image");
            item.imageData = noisePng(random);
        } else if (i % 100 == 1) {
            item.type = QStringLiteral("text");
            item.content = QStringLiteral("Long text %1 ").arg(i).repeated(2'000);
        } else {
            item.type = QStringLiteral("text");
            item.content = QStringLiteral("Copied text number %1, with some words after it").arg(i);
        }
        auto capture = ClipboardCaptures::makeImported(item, clipboard.folder());
        if (capture && capture.value())
            captures << *capture.value();
    }
    return clipboard.insertImported(captures);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QTemporaryDir home;
    SystemClock clock;
    Confirming alerts;
    const QString file = home.filePath(QStringLiteral("export.json"));
    ChosenFile dialogs(file);

    auto todos = TodoStore::make(home.filePath(QStringLiteral("a/Todos.store")), &clock);
    auto clipboard = ClipboardStore::make(home.filePath(QStringLiteral("a/Clipboard")));
    std::printf("filling 20,000 todos and 100,000 clipboard entries…\n");
    if (const Status filled = fill(*todos, *clipboard); !filled) {
        std::fprintf(stderr, "cannot fill the stores: %s\n", qPrintable(filled.error().description()));
        return 1;
    }
    std::printf("stored: %lld todos, %lld clipboard entries\n", static_cast<long long>(todos->allTodos().size()),
        static_cast<long long>(clipboard->count()));

    const int rounds = qEnvironmentVariableIsSet("VEMRA_BENCH_RUNS")
        ? std::max(1, qEnvironmentVariableIntValue("VEMRA_BENCH_RUNS"))
        : 3;
    DataTransfer from(*todos, *clipboard, dialogs, alerts, clock);
    for (int round = 0; round < rounds; ++round) {
        measure(
            "export", [&] { return from.exportData(DataTransfer::Scope::All); }, 120'000);
        std::printf("  %s\n", qPrintable(from.lastResult().value_or(alerts.last)));
    }
    const qint64 size = QFileInfo(file).size();

    for (int round = 0; round < rounds; ++round) {
        const QString place = home.filePath(QStringLiteral("b%1").arg(round));
        auto freshTodos = TodoStore::make(place + QStringLiteral("/Todos.store"), &clock);
        auto freshClipboard = ClipboardStore::make(place + QStringLiteral("/Clipboard"));
        DataTransfer into(*freshTodos, *freshClipboard, dialogs, alerts, clock);
        measure(
            "import", [&] { return into.importData(); }, 120'000, size);
        std::printf("  %s\n", qPrintable(into.lastResult().value_or(alerts.last)));
        measure(
            "import again", [&] { return into.importData(); }, 120'000, size);
        std::printf("  %s\n", qPrintable(alerts.last));
    }
    std::printf("medians of %d runs:\n", rounds);
    for (const auto &[what, figures] : runs()) {
        std::printf("%-14s %7lld ms (processor %6lld ms)  peak +%6.1f MB  longest main-thread stall %lld ms\n",
            what.c_str(), static_cast<long long>(median(figures, &Figures::elapsed)),
            static_cast<long long>(median(figures, &Figures::processor)), median(figures, &Figures::peakKiB) / 1024.0,
            static_cast<long long>(median(figures, &Figures::stall)));
    }
    return 0;
}
