// Cost of the todo list's main-thread work with a few hundred todos: building the rows, the
// redraw after one todo changes, a new todo on top, a selection step and a drag step.
#include "Services/Sound/SoundBank.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Todos/ConfettiLayer.h"
#include "Views/Todos/TodoListView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int todoCount = 400;

double median(QList<double> times)
{
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
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
        times.append(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const auto store = TodoStore::make(folder.filePath(QStringLiteral("Todos.store")));
    const QDate today = QDate::currentDate();
    // A fixed spread: most todos undated, the rest over the next ten days.
    for (int i = 0; i < todoCount; ++i) {
        const std::optional<QDate> day = i % 3 == 0 ? std::optional<QDate>(today.addDays(i % 10)) : std::nullopt;
        store->add(
            QStringLiteral("Todo number %1 with a title long enough to wrap in the panel now and then").arg(i), day);
    }
    TodosTabState state(store.get(), nullptr, nullptr, QString(), true);

    QWidget root;
    auto *layout = new QVBoxLayout(&root);
    QElapsedTimer build;
    build.start();
    SoundBank sounds;
    auto *list = new TodoListView(*store, state, sounds, Density::Compact, &root);
    layout->addWidget(list);
    new ConfettiLayer(&root);
    list->setMaxHeight(340);
    root.resize(380, 400);
    root.show();
    QCoreApplication::processEvents();
    const double buildMs = double(build.nsecsElapsed()) / 1e6;

    const QList<Todo> todos = store->allTodos();
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

    std::printf("todo list with %d todos (compact, 380 wide)\n", int(store->allTodos().size()));
    std::printf("  first build and show   %8.2f ms\n", buildMs);
    std::printf("  toggle one todo        %8.2f ms (median)\n", toggleMs);
    std::printf("  add a todo on top      %8.2f ms (median)\n", addMs);
    std::printf("  rename one todo        %8.2f ms (median)\n", renameMs);
    std::printf("  Down: selection step   %8.2f ms (median)\n", downMs);
    std::printf("  drag step              %8.2f ms (median)\n", dragMs);
    return 0;
}
