// The clipboard tab of the expanded window, through the running application over histories of
// 10,000, 100,000 and 1,000,000 entries: a search keystroke from the key to the list painted
// with its answer (common, rare, absent and multi-word terms), with the main thread's longest
// stall meanwhile; at 1,000,000 the first keystroke after a start with the search column
// present, keystrokes before the column is ready and when it is; deleting the last month at
// 1,000,000 (and a keystroke right after it) and everything at 100,000 from the tab's
// question, with the longest stall; the resident memory with the tab open; at 100,000 and 1,000,000 a copy arriving
// while the tab shows a search, and the search retyped while a copy waits for the writer, held as an import's commit
// holds it, with the longest stall of each; then the paint time of every frame while scrolling through 5,000 rows with
// pictures. `bench_clipviews N` stops at N entries; `bench_clipviews N PART` runs only one part: paint, search, copy,
// delete, first (after a start) or column (before it); `bench_clipviews N PART ONLY` only the history of N entries.
#include "ClipboardHistoryGenerator.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Theme/Symbols.h"
#include "RunningApplication.h"
#include "Services/Clipboard/ClipboardListModel.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Services/Storage/StoreWriter.h"
#include "Views/Clipboard/ClearConfirmation.h"
#include "Views/Clipboard/ClipboardListView.h"
#include "Views/Clipboard/ClipboardResults.h"
#include "Views/Clipboard/ClipboardView.h"
#include "Views/Clipboard/SearchField.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QUuid>

#include <cstdlib>
#include <map>

using namespace BenchHistory;
using namespace RunningApplication;

namespace {

// The part asked for on the command line; empty: all.
QByteArray &onlyPart()
{
    static QByteArray part;
    return part;
}

bool wants(const char *part)
{
    return onlyPart().isEmpty() || onlyPart() == part;
}

// The moment of the histories: their entries span the 400 days before it.
const QDateTime benchNow(QDate(2026, 12, 16), QTime(15, 0));

// The terms the goal names (a common prefix, a rare number, two words), then others.
const QStringList &goalTerms()
{
    static const QStringList terms { QStringLiteral("pri"), QStringLiteral("7777"), QStringLiteral("invoice total") };
    return terms;
}

// Notes the first paint of the tab's window after it is armed, and the moment that paint and
// the window's flush are over (the next turn of the event loop).
class PaintWatch final : public QObject
{
public:
    explicit PaintWatch(QWidget *window)
        : m_window(window)
    {
        qApp->installEventFilter(this);
    }
    ~PaintWatch() override { qApp->removeEventFilter(this); }
    PaintWatch(const PaintWatch &) = delete;
    PaintWatch &operator=(const PaintWatch &) = delete;

    void arm()
    {
        m_armed = true;
        m_paintedAt = 0;
    }
    qint64 paintedAt() const { return m_paintedAt; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_armed && event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->window() == m_window) {
            m_armed = false;
            QTimer::singleShot(0, this, [this] { m_paintedAt = nanoseconds(); });
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_armed = false;
    qint64 m_paintedAt = 0;
};

struct Keystroke
{
    double answered = 0;
    double painted = 0;
    double stall = 0;
};

// The window's clipboard tab, typed into as a user types.
class Tab
{
public:
    explicit Tab(ClipboardView &view)
        : m_view(view)
        , m_model(view.state().list())
        , m_paints(view.window())
    {
        QObject::connect(&m_model, &ClipboardListModel::summaryChanged, &m_model, [this] {
            m_answered = m_model.query();
            m_answeredAt = nanoseconds();
        });
    }

    ClipboardView &view() const { return m_view; }
    ClipboardListModel &model() const { return m_model; }

    // The answer to `query` over the whole history is shown: not one given while the store did
    // not read its file after a start.
    bool answers(const QString &query) const
    {
        return m_answered == query && m_answeredAt > 0 && m_view.state().store().readsFile()
            && m_model.totalCount() > 0;
    }

    // Shows `query` answered, typed some other way.
    void settleOn(const QString &query)
    {
        m_view.state().setQuery(query);
        waitUntil([&] { return answers(query); }, 60'000);
        idle(20);
    }

    // Types the last character of `term` onto the rest, which the field holds: from the key to
    // the answer in the list's model, and to the window painted with it (the answer itself
    // when it changes nothing on screen), with the longest stall meanwhile.
    Keystroke type(const QString &term)
    {
        StallProbe probe;
        m_answeredAt = 0;
        m_answered.clear();
        const QString last = term.right(1);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, last);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, last);
        probe.start();
        const qint64 start = nanoseconds();
        QCoreApplication::sendEvent(m_view.searchField()->field(), &press);
        QCoreApplication::sendEvent(m_view.searchField()->field(), &release);
        Keystroke figures;
        if (!waitUntil([&] { return answers(term); }, 60'000)) {
            std::printf("  no answer for \"%s\"\n", qPrintable(term));
            return figures;
        }
        m_paints.arm();
        figures.answered = double(m_answeredAt - start) / 1e6;
        const bool painted = waitUntil([&] { return m_paints.paintedAt() > 0; }, 100);
        figures.painted = painted ? double(m_paints.paintedAt() - start) / 1e6 : figures.answered;
        figures.stall = probe.longest();
        return figures;
    }

private:
    ClipboardView &m_view;
    ClipboardListModel &m_model;
    PaintWatch m_paints;
    QString m_answered;
    qint64 m_answeredAt = 0;
};

// Median key → painted, answered and stall of `runs` keystrokes of each term; returns the
// worst median painted among the goal's terms.
double searches(Tab &tab, const QStringList &terms, int runs)
{
    double worst = 0;
    for (const QString &term : terms) {
        std::vector<double> painted;
        std::vector<double> answered;
        std::vector<double> stalls;
        for (int i = 0; i < runs; ++i) {
            tab.settleOn(term.chopped(1));
            const Keystroke k = tab.type(term);
            painted.push_back(k.painted);
            answered.push_back(k.answered);
            stalls.push_back(k.stall);
        }
        const QByteArray label = "keystroke \"" + term.toUtf8() + "\" (" + QByteArray::number(tab.model().resultCount())
            + " found, " + QByteArray::number(tab.model().rowCount()) + " rows): key -> painted";
        report(label.constData(), median(painted));
        report("  key -> answer in the list's model", median(answered));
        report("  longest main-thread stall", median(stalls));
        if (goalTerms().contains(term))
            worst = std::max(worst, median(painted));
    }
    tab.settleOn(QString());
    return worst;
}

// A copy of another application's, new to the history, that the search "pri" finds, a second
// after the one before: the newest entry.
QString newCopy(Application &app)
{
    app.harness.clock.advance(1000);
    return QStringLiteral("price list ") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// Copies arriving while the tab shows a search: the longest main-thread stall from each copy
// until the list shows it and it is saved; then, while a copy waits for the writer, held busy
// as an import's commit holds it, the search retyped: the longest stall of each keystroke.
void copiesDuringASearch(Application &app, Tab &tab, const QByteArray &at)
{
    FakeSystemClipboard &clipboard = app.harness.systemClipboard;
    ClipboardStore &store = tab.view().state().store();
    const QString term = QStringLiteral("pri");
    // After the copies earlier runs left in a kept history.
    const QList<ClipboardItem> newest = store.items(1);
    if (!newest.isEmpty() && newest.first().lastCopiedAt > app.harness.clock.now())
        app.harness.clock.set(newest.first().lastCopiedAt);
    const auto shows
        = [&](const QString &text) { return tab.model().rowCount() > 0 && tab.model().item(0).content == text; };
    std::vector<double> stalls;
    for (int i = 0; i < 7; ++i) {
        tab.settleOn(term);
        const QString text = newCopy(app);
        StallProbe probe;
        probe.start();
        clipboard.copyText(text);
        if (!waitUntil([&] { return shows(text) && !store.hasPendingChanges(); }, 60'000))
            std::printf("  the copy did not show\n");
        idle(50);
        stalls.push_back(probe.longest());
    }
    report("a copy while the tab shows \"pri\": longest main-thread stall, median", median(stalls));
    const double worst = *std::max_element(stalls.begin(), stalls.end());
    report("  the longest of 7", worst);
    row("copy arriving during a search at " + at + ": longest stall, worst of 7", ms(worst));

    auto held = std::make_shared<QSemaphore>();
    store.writer()->run([held](const StoreDatabase &) {
        held->acquire();
        return true;
    });
    tab.settleOn(term);
    const QString waiting = newCopy(app);
    StallProbe probe;
    probe.start();
    clipboard.copyText(waiting);
    if (!waitUntil([&] { return shows(waiting); }, 60'000))
        std::printf("  the waiting copy did not show\n");
    idle(50);
    const double arrived = probe.longest();
    std::vector<double> keys;
    for (int i = 0; i < 7; ++i) {
        tab.settleOn(term.chopped(1));
        keys.push_back(tab.type(term).stall);
    }
    const bool waited = store.hasPendingChanges();
    held->release();
    waitUntil([&] { return !store.hasPendingChanges(); }, 60'000);
    tab.settleOn(QString());
    std::printf("  with the writer held%s:\n", waited ? "" : " (the copy was written meanwhile!)");
    report("  a copy while the tab shows \"pri\": longest main-thread stall", arrived);
    report("  \"pri\" retyped while the copy waits: longest stall of a keystroke, median", median(keys));
    const double worstKey = std::max(arrived, *std::max_element(keys.begin(), keys.end()));
    report("  the longest of them", worstKey);
    row("search while a copy waits for the writer at " + at + ": longest stall", ms(worstKey));
}

QString columnPath(const QString &dataFolder)
{
    return dataFolder + QStringLiteral("/Clipboard/") + ClipboardStore::databaseFileName() + QStringLiteral("-search");
}

// Opens the tab's question for `request` and presses its Delete button: the longest stall
// from the press until the deletion is saved, the list shows what is left, and a second more.
void deleteFromTab(Tab &tab, const ClearRequest &request, const char *what, const char *rowName)
{
    ClipboardTabState &state = tab.view().state();
    ClipboardStore &store = state.store();
    const qint64 before = store.count();
    state.beginClearing(request);
    idle(50);
    ClearConfirmation *question = tab.view().results()->confirmation();
    if (!question || !question->deleteButton()) {
        std::printf("  no question to delete %s\n", what);
        return;
    }
    announce(what);
    StallProbe probe;
    probe.start();
    QElapsedTimer clock;
    clock.start();
    question->deleteButton()->click();
    waitUntil([&] { return !store.hasPendingChanges() && tab.model().totalCount() == store.count(); }, 120'000);
    const qint64 saved = clock.elapsed();
    const double stallUntilSaved = probe.longest();
    idle(1000);
    const double stall = probe.longest();
    std::printf("  delete %s (%lld entries): saved in %lld ms, longest main-thread stall %.1f ms (%.1f ms until "
                "saved)\n",
        what, before - store.count(), saved, stall, stallUntilSaved);
    row(rowName, ms(stall));
}

// Launches the application over `prepared` and times the first keystroke of "pri" once its
// window shows the clipboard tab.
double firstSearchAfterStart(const QString &prepared)
{
    Application app(prepared, benchNow);
    app.launch();
    Tab tab(app.windowChild<ClipboardView>(VemraTab::Clipboard));
    tab.view().state().setQuery(QStringLiteral("pr"));
    const double painted = tab.type(QStringLiteral("pri")).painted;
    std::printf("  after a start: \"pri\" %lld found of %lld in %.1f ms%s\n", tab.model().resultCount(),
        tab.model().totalCount(), painted, app.environment().clipboard.isChecking() ? " (the check under way)" : "");
    // The application goes once its files are checked, as quitting waits for them.
    app.environment().clipboard.waitForCheck();
    return painted;
}

// What the keys typed before the search column was made found, over several starts.
struct BeforeTheColumn
{
    std::map<QString, std::vector<double>> keys;
    std::vector<double> stalls;
    std::vector<double> made;
    std::vector<double> checked;
    int after = 0;
};

// Launches the application over `prepared` without its search column and, at once, types the
// goal's terms from the `first`th on, a key each onto the rest (typed without waiting for its
// answer, as a quick typist does), again and again until the column is made.
void startWithoutTheColumn(const QString &prepared, int first, BeforeTheColumn &found)
{
    QFile::remove(columnPath(prepared));
    Application app(prepared, benchNow);
    const qint64 launched = nanoseconds();
    app.launch();
    const QString column = columnPath(app.harness.home.dataFolder());
    // Looked for every few milliseconds, whatever the keys wait for meanwhile.
    qint64 madeAt = 0;
    qint64 checkedAt = 0;
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    QObject::connect(&look, &QTimer::timeout, &look, [&] {
        if (!checkedAt && !app.environment().clipboard.isChecking())
            checkedAt = nanoseconds();
        if (!madeAt && QFileInfo::exists(column))
            madeAt = nanoseconds();
    });
    look.start(2);
    Tab tab(app.windowChild<ClipboardView>(VemraTab::Clipboard));
    for (int typed = first; !madeAt && typed < first + 300 && double(nanoseconds() - launched) < 60e9; ++typed) {
        const QString &term = goalTerms()[typed % goalTerms().size()];
        tab.view().state().setQuery(term.chopped(1));
        const Keystroke k = tab.type(term);
        if (k.painted == 0)
            continue;
        // A key pressed after the column was made is answered from it.
        if (madeAt && madeAt < nanoseconds() - qint64(k.painted * 1e6)) {
            ++found.after;
            continue;
        }
        found.keys[term].push_back(k.painted);
        found.stalls.push_back(k.stall);
    }
    waitUntil([&] { return madeAt > 0 && checkedAt > 0; }, 60'000);
    if (madeAt)
        found.made.push_back(double(madeAt - launched) / 1e6);
    if (checkedAt)
        found.checked.push_back(double(checkedAt - launched) / 1e6);
    app.environment().clipboard.waitForBackgroundWork();
}

// Three starts without the search column, each typing first another of the goal's terms: the
// median of the keys pressed before the column was made, how many there were, and when it was.
void beforeTheColumn(const QString &prepared)
{
    BeforeTheColumn found;
    for (int first = 0; first < int(goalTerms().size()); ++first)
        startWithoutTheColumn(prepared, first, found);
    double worst = 0;
    int measured = 0;
    for (const QString &term : goalTerms()) {
        const std::vector<double> &times = found.keys[term];
        measured += int(times.size());
        const QByteArray label = "keystroke \"" + term.toUtf8() + "\" before the column is ready ("
            + QByteArray::number(int(times.size())) + " of them): key -> painted";
        report(label.constData(), times.empty() ? 0 : median(times));
        if (!times.empty())
            worst = std::max(worst, median(times));
    }
    std::printf("  %d keys before the column, %d after it (not counted)\n", measured, found.after);
    report("  longest main-thread stall of one, median", found.stalls.empty() ? 0 : median(found.stalls));
    report("launch -> the file checked (and the column handed over), median",
        found.checked.empty() ? 0 : median(found.checked));
    report("launch -> the search column made, median", found.made.empty() ? 0 : median(found.made));
    row("search at 1M before the column is ready, worst median of the three (" + QByteArray::number(measured)
            + " keys)",
        ms(worst));
    row("search column made after a start without one at 1M",
        found.made.empty() ? QByteArray("never") : ms(median(found.made)));
}

void run(int size)
{
    QTemporaryDir dir;
    // Kept between runs under VEMRA_BENCH_HISTORIES, filled once (the delete part takes entries
    // from them), or made afresh.
    const QString kept = qEnvironmentVariable("VEMRA_BENCH_HISTORIES");
    const QString prepared = kept.isEmpty() ? QString(dir.path() + QStringLiteral("/Vemra"))
                                            : QString(kept + QLatin1Char('/') + QString::number(size));
    if (kept.isEmpty() || !QFileInfo::exists(prepared)) {
        const QString folder = prepared + QStringLiteral("/Clipboard");
        auto store = ClipboardStore::make(folder);
        const double fill = milliseconds([&] { Generator(folder, benchNow).fill(*store, size, 20000); });
        std::printf("%d entries (filled in %.1f s)\n", int(store->count()), fill / 1000.0);
        // The search column is made on the first launch.
        store->waitForBackgroundWork();
    }
    const QByteArray at = size >= 1000000 ? QByteArray("1M") : QByteArray::number(size / 1000) + "k";
    {
        Application app(prepared, benchNow);
        app.launchChecked();
        app.environment().clipboard.waitForBackgroundWork();
        const qint64 before = statusKilobytes("VmRSS:");
        Tab tab(app.windowChild<ClipboardView>(VemraTab::Clipboard));
        idle(100);
        const qint64 open = statusKilobytes("VmRSS:");
        if (wants("search")) {
            const double worst = searches(tab,
                goalTerms()
                    + QStringList { QStringLiteral("CAF\u00c9"), QStringLiteral("zzq"), QStringLiteral("web browser"),
                        QStringLiteral("qu") },
                size >= 1000000 ? 7 : 11);
            row("search key -> list painted at " + at + ", worst median of \"pri\", \"7777\", \"invoice total\"",
                ms(worst));
            std::printf("  resident memory: %lld KiB with the history open, %lld KiB with the window's tab on it\n",
                before, open);
        }
        if (size >= 100000 && wants("copy"))
            copiesDuringASearch(app, tab, at);
        if (size == 100000 && wants("delete"))
            deleteFromTab(tab, ClearRequest::all(), "everything", "Delete All at 100k: longest stall");
    }
    if (size >= 1000000 && wants("first")) {
        std::vector<double> first;
        for (int i = 0; i < 3; ++i)
            first.push_back(firstSearchAfterStart(prepared));
        report("first keystroke \"pri\" after a start, the column present", median(first));
        row("first search after a start at 1M, column present", ms(median(first)));
    }
    if (size >= 1000000 && wants("column"))
        beforeTheColumn(prepared);
    if (size >= 1000000 && wants("delete")) {
        Application app(prepared, benchNow);
        app.launchChecked();
        Tab tab(app.windowChild<ClipboardView>(VemraTab::Clipboard));
        idle(100);
        deleteFromTab(tab, ClearRequest::of(ClipboardPeriod::LastMonth), "the last month",
            "delete last month at 1M: longest stall");
        // The search's column, erased in place, still serves: the first keystrokes after it.
        std::vector<double> after;
        for (int i = 0; i < 3; ++i) {
            tab.settleOn(QStringLiteral("pr"));
            after.push_back(tab.type(QStringLiteral("pri")).painted);
            std::printf("  keystroke \"pri\" %d after the deletion: %.1f ms\n", i + 1, after.back());
        }
        row("search at 1M right after deleting the last month, median of the first three", ms(median(after)));
    }
    std::printf("\n");
}

// Paint time of each frame while scrolling through 5,000 rows, a tenth of them pictures whose
// thumbnails are decoded and cached beforehand, as after a first look at them.
void runPaint()
{
    QTemporaryDir dir;
    const QString prepared = dir.path() + QStringLiteral("/Vemra");
    const QString folder = prepared + QStringLiteral("/Clipboard");
    QDir().mkpath(folder + QStringLiteral("/Thumbnails"));
    {
        auto store = ClipboardStore::make(folder);
        Generator generator(folder, benchNow, 10);
        QImage thumbnail(320, 200, QImage::Format_RGB32);
        QList<ClipboardCapture> captures;
        for (int i = 0; i < 5000; ++i) {
            ClipboardCapture capture = generator.next(benchNow.addSecs(-60 * (5000 - i)));
            if (capture.thumbnailPath) {
                thumbnail.fill(QColor::fromHsv(i % 360, 160, 230));
                thumbnail.save(folder + QLatin1Char('/') + *capture.thumbnailPath, "PNG");
            }
            captures << capture;
        }
        if (!store->insertImported(captures))
            std::printf("cannot fill the history\n");
    }
    Application app(prepared, benchNow);
    app.launchChecked();
    ClipboardView &view = app.windowChild<ClipboardView>(VemraTab::Clipboard);
    ClipboardTabState &state = view.state();
    while (state.list().hasMore())
        state.showMore();
    while (state.list().canFetchMore())
        state.list().fetchMore();
    idle(50);
    ClipboardListView *list = view.results()->list();
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
                QCoreApplication::processEvents();
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
    if (argc > 2)
        onlyPart() = argv[2];
    if (wants("paint")) {
        runPaint();
        std::printf("\n");
    }
    for (int size : { 10000, 100000, 1000000 }) {
        if (size <= largest && (argc <= 3 || size == largest))
            run(size);
    }
    return 0;
}
