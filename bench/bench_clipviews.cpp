// The clipboard tab of the expanded window over histories of 10,000, 100,000 and 1,000,000
// entries: a search keystroke from the text change to the list holding its new page and the
// header its count (common, rare, absent and multi-word terms), the same with the list laid out,
// and the resident memory with the window's tab open; then the paint time of every frame while
// scrolling through 5,000 rows with pictures. `bench_clipviews N` stops at N entries.
#include "ClipboardHistoryGenerator.h"
#include "Components/Theme/Symbols.h"
#include "Platform/Clock.h"
#include "Platform/FrontApp.h"
#include "Platform/SettingsStore.h"
#include "Platform/linux/QtSystemClipboard.h"
#include "Services/Clipboard/ClipboardListModel.h"
#include "Services/Clipboard/ClipboardMonitor.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Services/Clipboard/ImageLoader.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"
#include "Services/Sound/SoundBank.h"
#include "Views/Clipboard/ClipboardListView.h"
#include "Views/Clipboard/ClipboardResults.h"
#include "Views/Clipboard/ClipboardView.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThreadPool>

#include <cstdlib>

using namespace BenchHistory;

namespace {

// Settings kept in memory: the tab only reads the two recording switches.
class MemorySettings final : public SettingsStore
{
public:
    bool contains(const QString &key) const override { return m_values.contains(key); }
    QVariant value(const QString &key) const override { return m_values.value(key); }
    void setValue(const QString &key, const QVariant &value) override { m_values.insert(key, value); }
    void remove(const QString &key) override { m_values.remove(key); }

private:
    QHash<QString, QVariant> m_values;
};

// No application in front: the monitor is never started here anyway.
class NoFrontApp final : public FrontApp
{
public:
    FrontApplication current() const override { return {}; }
};

// The window's clipboard tab over one store, as the window makes it.
struct Window
{
    explicit Window(ClipboardStore &store)
        : monitor(store, preferences, clipboard, frontApp, clock)
        , state(store, clipboard, sounds, clock, surface, Densities::clipboardPageSize(Density::Regular),
              Densities::closesSurface(Density::Regular))
        , view(state, monitor, preferences, images, Density::Regular)
    {
        view.resize(560, 700);
        view.show();
        QCoreApplication::processEvents();
    }

    QtSystemClipboard clipboard;
    MemorySettings settings;
    Preferences preferences { settings };
    ImageLoader images;
    SoundBank sounds;
    Surface surface;
    SystemClock clock;
    NoFrontApp frontApp;
    ClipboardMonitor monitor;
    ClipboardTabState state;
    ClipboardView view;
};

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

void run(int size)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/Clipboard");
    const QDateTime now = QDateTime::currentDateTime();
    auto store = ClipboardStore::make(folder);
    Generator generator(folder, now);
    const double fill = milliseconds([&] { generator.fill(*store, size); });
    std::printf("%d entries (filled in %.1f s)\n", int(store->count()), fill / 1000.0);
    settle();

    const qint64 before = statusKilobytes("VmRSS:");
    Window window(*store);
    settle();
    const qint64 open = statusKilobytes("VmRSS:");
    ClipboardTabState &state = window.view.state();
    ClipboardListView *list = window.view.results()->list();

    // Each keystroke types the term's last letter onto its shorter form.
    const QStringList terms { QStringLiteral("pri"), QStringLiteral("CAF\u00c9"), QStringLiteral("77777"),
        QStringLiteral("zzq"), QStringLiteral("invoice total"), QStringLiteral("web browser"), QStringLiteral("qu") };
    for (const QString &term : terms) {
        std::vector<double> model;
        std::vector<double> laidOut;
        for (int i = 0; i < 11; ++i) {
            state.setQuery(term.chopped(1));
            settle();
            model.push_back(milliseconds([&] { state.setQuery(term); }));
            state.setQuery(term.chopped(1));
            settle();
            laidOut.push_back(milliseconds([&] {
                state.setQuery(term);
                list->doItemsLayout();
            }));
        }
        const QByteArray label = "keystroke \"" + term.toUtf8() + "\" ("
            + QByteArray::number(state.list().resultCount()) + " found, " + QByteArray::number(state.list().rowCount())
            + " rows)";
        report(label.constData(), median(model));
        report("  with the list laid out", median(laidOut));
    }
    state.setQuery(QString());
    settle();
    std::printf(
        "  resident memory: %lld KiB with the history open, %lld KiB with the window's tab on it\n\n", before, open);
}

// Paint time of each frame while scrolling through 5,000 rows, a tenth of them pictures whose
// thumbnails are decoded and cached beforehand, as after a first look at them.
void runPaint()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/Clipboard");
    QDir().mkpath(folder + QStringLiteral("/Thumbnails"));
    const QDateTime now = QDateTime::currentDateTime();
    auto store = ClipboardStore::make(folder);
    Generator generator(folder, now, 10);
    QImage thumbnail(320, 200, QImage::Format_RGB32);
    for (int i = 0; i < 5000; ++i) {
        ClipboardCapture capture = generator.next(now.addSecs(-60 * (5000 - i)));
        if (capture.thumbnailPath) {
            thumbnail.fill(QColor::fromHsv(i % 360, 160, 230));
            thumbnail.save(folder + QLatin1Char('/') + *capture.thumbnailPath, "PNG");
        }
        store->record(capture);
    }
    Window window(*store);
    ClipboardTabState &state = window.view.state();
    while (state.list().hasMore())
        state.showMore();
    settle();
    ClipboardListView *list = window.view.results()->list();
    QScrollBar *bar = list->verticalScrollBar();
    std::printf("%d rows in the window's list, %d pixels to scroll\n", state.list().rowCount(), bar->maximum());

    // A first pass loads the pictures; the measured pass scrolls as a wheel does, 60 pixels a frame.
    const auto pass = [&](std::vector<double> *frames) {
        for (int y = 0; y <= bar->maximum(); y += 60) {
            bar->setValue(y);
            const double ms = milliseconds([&] { list->viewport()->repaint(); });
            if (frames) {
                frames->push_back(ms);
            } else {
                QThreadPool::globalInstance()->waitForDone();
                settle();
            }
        }
    };
    pass(nullptr);
    std::vector<double> frames;
    pass(&frames);
    std::sort(frames.begin(), frames.end());
    report("paint a frame, median", frames[frames.size() / 2]);
    report("paint a frame, 99th percentile", frames[frames.size() * 99 / 100]);
    report("paint a frame, slowest", frames.back());
    std::printf("  (%zu frames, %zu over 16 ms)\n", frames.size(),
        size_t(std::count_if(frames.begin(), frames.end(), [](double ms) { return ms > 16; })));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Symbols::useIconTheme();
    const int largest = argc > 1 ? std::atoi(argv[1]) : 1000000;
    runPaint();
    std::printf("\n");
    for (int size : { 10000, 100000, 1000000 }) {
        if (size <= largest)
            run(size);
    }
    return 0;
}
