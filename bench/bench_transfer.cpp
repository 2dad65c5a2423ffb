// Export and import at the size of a real history, through the running application (its
// settings window on the Data pane): 100,000 clipboard entries (2,000 images and 1,000 texts
// longer than the inline limit) and 20,000 todos. Reports the export's time and peak memory over
// idle, the import's (read, plan, side files, inserts) time from the file chosen to its question
// and to its result, and peak memory against the file's size, a second import of the same file
// ("Nothing new to import."), and the longest the main thread went without turning its event
// loop during each (before the question too), with the processor time spent (which a busy
// machine disturbs less than the wall clock). Each is run VEMRA_BENCH_RUNS times (3 when unset)
// and the medians are printed last. `bench_transfer export` runs the export alone.
#include "App/PlatformWidgets/AlertBox.h"
#include "App/PlatformWidgets/MessageBoxAlertPresenter.h"
#include "App/PlatformWidgets/QtFileDialogs.h"
#include "Models/Transfer/ExportedClipboardItem.h"
#include "Platform/Clock.h"
#include "RunningApplication.h"
#include "Services/Clipboard/ClipboardCaptures.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Transfer/DataTransfer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <QCoroTask>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

using namespace RunningApplication;

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
    // From the file chosen to the question (or the answer) shown, and the longest stall before.
    qint64 question = 0;
    qint64 stallBefore = 0;
};

std::map<std::string, std::vector<Figures>> &runs()
{
    static std::map<std::string, std::vector<Figures>> all;
    return all;
}

// The user at the application's own dialogs: picks `file` in the file dialog, and presses the
// first button of every message box (Import, OK), noting when each showed.
class User final : public QObject
{
public:
    explicit User(QString file)
        : m_file(std::move(file))
    {
        m_look.setInterval(1);
        connect(&m_look, &QTimer::timeout, this, &User::look);
        m_look.start();
    }

    // The moment the file was chosen, and when the first message box after it showed.
    qint64 chosenAt = 0;
    qint64 askedAt = 0;
    QString asked;
    std::function<void()> onAsked;

private:
    void look()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<QFileDialog *>(modal); dialog && dialog->isVisible()) {
            dialog->selectFile(m_file);
            chosenAt = nanoseconds();
            askedAt = 0;
            // QFileDialog keeps its accept() to itself; QDialog's calls it.
            static_cast<QDialog *>(dialog)->accept();
        } else if (auto *box = qobject_cast<AlertBox *>(modal); box && box->isVisible()) {
            if (askedAt == 0) {
                askedAt = nanoseconds();
                asked = box->text();
                if (onAsked)
                    onAsked();
            }
            // The first button, the default, as Return presses it.
            if (!box->buttons().isEmpty())
                box->buttons().first()->click();
        }
    }

    QString m_file;
    QTimer m_look;
};

// Runs `work` to its end while a probe notes the main thread's longest stall; prints the time
// from the file chosen to the end and to the first message box, the processor time, the peak
// memory over what was resident before, and the stalls.
template <typename Work> void measure(const char *what, User &user, Work work, qint64 entries, qint64 fileBytes = 0)
{
    announce(what);
    resetPeak();
    const qint64 before = statusKiB("VmRSS:");
    StallProbe probe;
    double stallBefore = 0;
    user.chosenAt = 0;
    user.askedAt = 0;
    user.onAsked = [&] { stallBefore = probe.longest(); };
    const qint64 cpuBefore = processorMs();
    probe.start();
    QCoro::waitFor(work());
    const qint64 end = nanoseconds();
    user.onAsked = nullptr;
    const qint64 cpu = processorMs() - cpuBefore;
    const double stall = probe.longest();
    if (user.askedAt == 0)
        stallBefore = stall;
    const qint64 peak = statusKiB("VmHWM:") - before;
    const qint64 elapsed = (end - user.chosenAt) / 1000000;
    const qint64 question = user.askedAt > 0 ? (user.askedAt - user.chosenAt) / 1000000 : elapsed;
    runs()[what].push_back(Figures { elapsed, cpu, peak, qint64(stall), question, qint64(stallBefore) });
    std::printf("%-14s %7lld ms (processor %6lld ms)  %9.0f entries/s  peak +%6.1f MB", what,
        static_cast<long long>(elapsed), static_cast<long long>(cpu), entries * 1000.0 / std::max<qint64>(elapsed, 1),
        peak / 1024.0);
    if (fileBytes > 0)
        std::printf(" (%.2f x the file's %.1f MB)", peak * 1024.0 / fileBytes, fileBytes / 1048576.0);
    std::printf("\n  file chosen -> \"%s\" %lld ms; longest main-thread stall %.1f ms, %.1f ms before it\n",
        qPrintable(user.asked), static_cast<long long>(question), stall, stallBefore);
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

// The application over the test fakes but for its own file dialogs and message boxes, over
// the data folder `prepared`, its settings window on the Data pane as the user opens it.
struct TransferApp
{
    explicit TransferApp(const QString &prepared)
        : app(prepared, QDateTime::currentDateTime())
    {
        app.harness.facilities.fileDialogs = &dialogs;
        app.harness.facilities.alerts = &alerts;
        app.launchChecked();
        app.harness.delegate->showSettings(SettingsPane::Data);
        QCoreApplication::processEvents();
    }
    DataTransfer &transfer() const { return app.environment().transfer; }

    QtFileDialogs dialogs;
    MessageBoxAlertPresenter alerts;
    Application app;
};

void reportRow(const char *measure, const std::vector<Figures> &figures, qint64 Figures::*field)
{
    row(measure, QByteArray::number(median(figures, field)) + " ms");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir home;
    SystemClock clock;
    const QString file = home.filePath(QStringLiteral("export.json"));
    User user(file);
    const QString source = home.filePath(QStringLiteral("a"));
    {
        auto todos = TodoStore::make(source + QStringLiteral("/Todos.store"), &clock);
        auto clipboard = ClipboardStore::make(source + QStringLiteral("/Clipboard"));
        std::printf("filling 20,000 todos and 100,000 clipboard entries…\n");
        if (const Status filled = fill(*todos, *clipboard); !filled) {
            std::fprintf(stderr, "cannot fill the stores: %s\n", qPrintable(filled.error().description()));
            return 1;
        }
        std::printf("stored: %lld todos, %lld clipboard entries\n", static_cast<long long>(todos->allTodos().size()),
            static_cast<long long>(clipboard->count()));
    }

    const int rounds = qEnvironmentVariableIsSet("VEMRA_BENCH_RUNS")
        ? std::max(1, qEnvironmentVariableIntValue("VEMRA_BENCH_RUNS"))
        : 3;
    {
        TransferApp from(source);
        for (int round = 0; round < rounds; ++round) {
            // A new file each time, as the dialog would ask before replacing one.
            QFile::remove(file);
            measure(
                "export", user, [&] { return from.transfer().exportData(DataTransfer::Scope::All); }, 120'000);
            std::printf("  %s\n", qPrintable(from.transfer().lastResult().value_or(user.asked)));
        }
    }
    const qint64 size = QFileInfo(file).size();
    const bool exportOnly = argc >= 2 && qstrcmp(argv[1], "export") == 0;

    for (int round = 0; !exportOnly && round < rounds; ++round) {
        TransferApp into(home.filePath(QStringLiteral("b%1").arg(round)));
        measure(
            "import", user, [&] { return into.transfer().importData(); }, 120'000, size);
        std::printf("  %s\n", qPrintable(into.transfer().lastResult().value_or(user.asked)));
        measure(
            "import again", user, [&] { return into.transfer().importData(); }, 120'000, size);
    }
    std::printf("medians of %d runs:\n", rounds);
    for (const auto &[what, figures] : runs()) {
        std::printf("%-14s %7lld ms (processor %6lld ms)  peak +%6.1f MB  to the question %lld ms  longest "
                    "main-thread stall %lld ms (%lld ms before the question)\n",
            what.c_str(), static_cast<long long>(median(figures, &Figures::elapsed)),
            static_cast<long long>(median(figures, &Figures::processor)), median(figures, &Figures::peakKiB) / 1024.0,
            static_cast<long long>(median(figures, &Figures::question)),
            static_cast<long long>(median(figures, &Figures::stall)),
            static_cast<long long>(median(figures, &Figures::stallBefore)));
    }
    if (!exportOnly) {
        reportRow(
            "import of 100k entries + 20k todos, file chosen -> result shown", runs()["import"], &Figures::elapsed);
        reportRow("  file chosen -> question", runs()["import"], &Figures::question);
        reportRow("longest main-thread stall during that import", runs()["import"], &Figures::stall);
        reportRow("  before its question", runs()["import"], &Figures::stallBefore);
        reportRow(
            "second import of the same file -> \"Nothing new to import.\"", runs()["import again"], &Figures::question);
        reportRow("  its longest stall", runs()["import again"], &Figures::stall);
    }
    reportRow("export of the same, file chosen -> result", runs()["export"], &Figures::elapsed);
    reportRow("  its processor time", runs()["export"], &Figures::processor);
    reportRow("  its longest stall", runs()["export"], &Figures::stall);
    return 0;
}
