// Cost of the todos tab's main-thread work at a few hundred and at 20,000 todos (what an import
// of a large export leaves): making the tab while its surface stays closed (at launch), the
// first and every later opening, the redraw after one todo changes with the tab open and
// closed, a new todo on top, a selection step, a drag step and a scroll, with the resident
// memory before and after the first opening; and the store's opening of its file, with the
// main thread's share when the check runs in the background. Each count (and the opening
// apart) runs in a child process of its own, so that one's memory does not hide in another's.
#include "Platform/Clock.h"
#include "Platform/linux/QtSettingsStore.h"
#include "Services/Sound/SoundBank.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Todos/ConfettiLayer.h"
#include "Views/Todos/FooterStatus.h"
#include "Views/Todos/TodoListView.h"
#include "Views/Todos/TodosView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

double median(QList<double> times)
{
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Runs `step` `runs` times, draining the event loop (deferred deletes, repaints) after each.
double measure(int runs, const std::function<void(int)> &step)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step(i);
        QCoreApplication::processEvents();
        times.append(elapsedMs(timer));
    }
    return median(times);
}

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// A fixed spread, as an import gives it: most todos undated, a third over the next ten days,
// one in eight done, titles of varied length (some wrap in the panel).
QList<ExportedTodo> generate(int count, const QDate &today)
{
    QList<ExportedTodo> todos;
    todos.reserve(count);
    const QDateTime created(today.addDays(-30), QTime(9, 0));
    for (int i = 0; i < count; ++i) {
        ExportedTodo todo;
        todo.id = QUuid::createUuid();
        todo.title = i % 4 == 0
            ? QStringLiteral("Todo number %1 with a title long enough to wrap in the panel now and then").arg(i)
            : QStringLiteral("Todo %1").arg(i);
        todo.isCompleted = i % 8 == 0;
        todo.createdAt = created.addSecs(i);
        if (todo.isCompleted)
            todo.completedAt = todo.createdAt;
        if (i % 3 == 0)
            todo.day = today.addDays(i % 10).toString(Qt::ISODate);
        todo.sortOrder = i;
        todos.append(todo);
    }
    return todos;
}

// The panel's (or the window's) todos tab and footer status over `store`, as made at launch,
// closed; `settle` delivers what its making posted.
struct Tab
{
    Tab(TodoStore &store, const QString &folder, bool window, bool settle = true)
        : settings(folder + QStringLiteral("/Vemra.ini"))
        , state(store, clock, settings, QString(), !window)
    {
        auto *layout = new QVBoxLayout(&root);
        TodosView::Metrics metrics;
        if (!window) {
            metrics.listMaxHeight = 340;
            metrics.emptyStateHeight = 112;
        }
        const Density density = window ? Density::Regular : Density::Compact;
        view = new TodosView(state, sounds, density, metrics, &root);
        layout->addWidget(view);
        view->setFooter(new FooterStatus(state, 11));
        new ConfettiLayer(&root);
        root.resize(window ? 560 : 380, window ? 700 : 560);
        if (settle)
            QCoreApplication::processEvents();
    }

    SystemClock clock;
    QtSettingsStore settings;
    TodosTabState state;
    SoundBank sounds;
    QWidget root;
    TodosView *view = nullptr;
};

// The store's opening of its file as at launch: what the main thread spends making the store
// (the check goes to a worker) and taking in the file's todos once the check has passed, alone
// and with the panel's tab made, closed (launched at login) or open (any other launch); the
// worker's check; and the whole opening done on the main thread as tools do; medians of 5.
void measureOpening(const QString &path)
{
    QList<double> made;
    QList<double> check;
    QList<double> taken;
    QList<double> takenClosed;
    QList<double> takenOpen;
    QList<double> whole;
    const QString folder = QFileInfo(path).absolutePath();
    // The check's end is a queued signal; delivering it, and what follows it in the event
    // loop (a relayout, a repaint), is the main thread's share.
    const auto takeIn = [](TodoStore &store) {
        QElapsedTimer timer;
        timer.start();
        while (store.isChecking())
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return elapsedMs(timer);
    };
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        auto store = TodoStore::make(path, nullptr, IntegrityCheck::InBackground);
        made.append(elapsedMs(timer));
        timer.restart();
        QThreadPool::globalInstance()->waitForDone();
        check.append(elapsedMs(timer));
        taken.append(takeIn(*store));
        for (const bool open : { false, true }) {
            // The pool's one thread is held until the tab is ready, so that the check ends after.
            // Painting waits for the pool too: the open panel is painted once the gate is open,
            // with the check's end.
            QSemaphore gate;
            QThreadPool::globalInstance()->setMaxThreadCount(1);
            QThreadPool::globalInstance()->start([&gate] { gate.acquire(); });
            store = TodoStore::make(path, nullptr, IntegrityCheck::InBackground);
            Tab tab(*store, folder, false, false);
            if (open)
                tab.root.show();
            gate.release();
            QThreadPool::globalInstance()->waitForDone();
            QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
            (open ? takenOpen : takenClosed).append(takeIn(*store));
        }
        store.reset();
        timer.restart();
        const auto before = TodoStore::make(path, nullptr, IntegrityCheck::Before);
        whole.append(elapsedMs(timer));
    }
    std::printf("todo store's opening (median of 5)\n");
    std::printf("  made, check in background   %8.2f ms (main thread)\n", median(made));
    std::printf("  check on the worker         %8.2f ms\n", median(check));
    std::printf("  todos taken in after it     %8.2f ms (main thread)\n", median(taken));
    std::printf("  the same, panel made closed %8.2f ms (main thread)\n", median(takenClosed));
    std::printf("  the same, panel open        %8.2f ms (main thread)\n", median(takenOpen));
    std::printf("  all on the main thread      %8.2f ms (check first)\n", median(whole));
}

// `mode` is "panel", "window" or "opening" (the store's opening alone).
int runCount(int count, const QString &mode)
{
    const bool window = mode == QStringLiteral("window");
    QTemporaryDir folder;
    const auto store = TodoStore::make(folder.filePath(QStringLiteral("Todos.store")));
    const QDate today = QDate::currentDate();
    if (!store->insertImported(generate(count, today))) {
        std::fprintf(stderr, "could not store the todos\n");
        return 1;
    }
    if (mode == QStringLiteral("opening")) {
        measureOpening(store->filePath());
        return 0;
    }
    const double residentStored = residentMegabytes();

    QElapsedTimer launch;
    launch.start();
    Tab tab(*store, folder.path(), window);
    const double launchMs = elapsedMs(launch);
    const double residentClosed = residentMegabytes();
    QWidget &root = tab.root;

    const QList<Todo> todos = store->allTodos();
    // A change while the panel is closed.
    const double toggleClosedMs = measure(11, [&](int i) { store->toggle(todos.at(i).id); });

    QElapsedTimer open;
    open.start();
    root.show();
    QCoreApplication::processEvents();
    const double firstOpenMs = elapsedMs(open);
    const double residentOpen = residentMegabytes();
    const double reopenMs = measure(11, [&](int i) {
        root.hide();
        QCoreApplication::processEvents();
        if (i % 2 == 1)
            store->toggle(todos.at(i).id); // a change while it was closed
        root.show();
    });

    TodoListView *list = tab.view->list();
    const double toggleMs = measure(21, [&](int i) { store->toggle(todos.at(i).id); });
    const double addMs = measure(21, [&](int i) { store->add(QStringLiteral("New %1").arg(i), std::nullopt); });
    const double renameMs
        = measure(21, [&](int i) { store->rename(todos.at(50).id, QStringLiteral("Renamed %1").arg(i)); });
    const double downMs = measure(41, [&](int) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        list->handleKey(down);
    });
    const QUuid first = list->rows().first().id;
    const double dragMs = measure(41, [&](int i) { list->dragRow(first, (i % 20) * 7.0); });
    list->dropRow();
    QScrollBar *bar = list->scrollArea()->verticalScrollBar();
    const double scrollMs = measure(41, [&](int i) { bar->setValue((i * 997) % qMax(1, bar->maximum())); });

    std::printf("todos tab with %d todos (%s)\n", int(store->allTodos().size()),
        window ? "window, regular, 560 wide" : "panel, compact, 380 wide");
    std::printf("  made at launch, closed      %8.2f ms\n", launchMs);
    std::printf("  toggle one todo, closed     %8.2f ms (median)\n", toggleClosedMs);
    std::printf("  first opening               %8.2f ms\n", firstOpenMs);
    std::printf("  later openings              %8.2f ms (median)\n", reopenMs);
    std::printf("  toggle one todo, open       %8.2f ms (median)\n", toggleMs);
    std::printf("  add a todo on top           %8.2f ms (median)\n", addMs);
    std::printf("  rename one todo             %8.2f ms (median)\n", renameMs);
    std::printf("  Down: selection step        %8.2f ms (median)\n", downMs);
    std::printf("  drag step                   %8.2f ms (median)\n", dragMs);
    std::printf("  scroll step                 %8.2f ms (median)\n", scrollMs);
    std::printf("  resident: todos stored      %8.1f MB\n", residentStored);
    std::printf("  resident: tab made, closed  %8.1f MB\n", residentClosed);
    std::printf("  resident: after opening     %8.1f MB\n", residentOpen);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1) {
        QApplication app(argc, argv);
        return runCount(QString::fromLocal8Bit(argv[1]).toInt(),
            argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("panel"));
    }
    QCoreApplication app(argc, argv);
    int status = 0;
    for (const bool window : { false, true }) {
        for (const int count : { 300, 20000 }) {
            for (const QString &mode : window ? QStringList { QStringLiteral("window") }
                                              : QStringList { QStringLiteral("opening"), QStringLiteral("panel") }) {
                const QStringList arguments { QString::number(count), mode };
                QProcess child;
                child.setProcessChannelMode(QProcess::ForwardedChannels);
                child.start(QCoreApplication::applicationFilePath(), arguments);
                child.waitForFinished(-1);
                status = qMax(status, child.exitCode());
            }
        }
    }
    return status;
}
