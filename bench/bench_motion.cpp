// Cost of the shared motion in the todos tab at 1920×1080 with 300 todos: the frames of the
// calendar card's arrival, of a month step and of the list giving way to the empty state; and
// the timers that fire once nothing moves (there should be none).
#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/CrossFade.h"
#include "Platform/Clock.h"
#include "Platform/linux/QtSettingsStore.h"
#include "Services/Sound/SoundBank.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Todos/CalendarPanel.h"
#include "Views/Todos/MonthCalendar.h"
#include "Views/Todos/TodosView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int todoCount = 300;

struct Frames
{
    int count = 0;
    double median = 0;
    double worst = 0;
};

// Repaints the whole window at every turn of the event loop while `running` holds: the cost
// of one frame with the transition's effect in place.
Frames frames(QWidget &window, const std::function<bool()> &running)
{
    QList<double> times;
    while (running()) {
        QElapsedTimer timer;
        timer.start();
        window.repaint();
        times.append(double(timer.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 16);
    }
    Frames result;
    result.count = int(times.size());
    if (times.isEmpty())
        return result;
    std::sort(times.begin(), times.end());
    result.median = times.at(times.size() / 2);
    result.worst = times.last();
    return result;
}

void print(const char *what, const Frames &f)
{
    std::printf("  %-34s %3d frames, median %6.2f ms, worst %6.2f ms\n", what, f.count, f.median, f.worst);
}

// Counts the timer events the application delivers over `ms`.
class TimerCount final : public QObject
{
public:
    QHash<QByteArray, int> byClass;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Timer)
            ++byClass[watched->metaObject()->className()];
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const auto store = TodoStore::make(folder.filePath(QStringLiteral("Todos.store")));
    const QDate today = QDate::currentDate();
    for (int i = 0; i < todoCount; ++i) {
        const std::optional<QDate> day = i % 3 == 0 ? std::optional<QDate>(today.addDays(1 + i % 10)) : std::nullopt;
        store->add(QStringLiteral("Todo number %1, a title of an ordinary length").arg(i), day);
    }
    SystemClock clock;
    QtSettingsStore settings(folder.filePath(QStringLiteral("Vemra.ini")));
    TodosTabState state(*store, clock, settings, QString(), true);
    SoundBank sounds;

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *tab = new TodosView(state, sounds, Density::Regular,
        { QMargins(), QMargins(0, 12, 0, 0), QMargins(0, 12, 0, 0), std::nullopt, std::nullopt }, &window);
    layout->addWidget(tab);
    window.resize(1920, 1080);
    window.show();
    QCoreApplication::processEvents();

    QWidget *card = tab->calendarPanel()->parentWidget();
    auto *cardMotion = card->findChild<AppearTransition *>();
    state.setShowsCalendar(true);
    const Frames cardIn = frames(window, [cardMotion] { return cardMotion->isRunning(); });

    MonthCalendar *calendar = tab->calendarPanel()->calendar();
    auto *gridFade = calendar->findChild<CrossFade *>();
    QElapsedTimer step;
    step.start();
    calendar->stepMonth(1);
    const double stepStartMs = double(step.nsecsElapsed()) / 1e6;
    const Frames monthStep = frames(window, [gridFade] { return gridFade->isRunning(); });

    // Every todo of the list at once: the list's still fades out over the empty state.
    auto *bodyFade = tab->findChild<CrossFade *>(QString(), Qt::FindDirectChildrenOnly);
    QList<QUuid> ids;
    for (const Todo &todo : state.shownTodos())
        ids.append(todo.id);
    step.restart();
    store->remove(ids);
    const double clearStartMs = double(step.nsecsElapsed()) / 1e6;
    const Frames toEmpty = frames(window, [bodyFade] { return bodyFade->isRunning(); });

    // At rest: nothing should wake the main thread.
    QCoreApplication::processEvents();
    TimerCount timers;
    app.installEventFilter(&timers);
    QElapsedTimer rest;
    rest.start();
    while (rest.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    app.removeEventFilter(&timers);

    std::printf("todos tab, regular, 1920x1080, %d todos\n", todoCount);
    print("calendar card arriving", cardIn);
    std::printf("  %-34s %8.2f ms\n", "month step, start (still + refill)", stepStartMs);
    print("month step", monthStep);
    std::printf("  %-34s %8.2f ms\n", "clear all, start (still + switch)", clearStartMs);
    print("list to empty state", toEmpty);
    int total = 0;
    for (auto it = timers.byClass.cbegin(); it != timers.byClass.cend(); ++it) {
        std::printf("  timer at rest: %s x%d\n", it.key().constData(), it.value());
        total += it.value();
    }
    std::printf("  %-34s %d in 2 s\n", "timer events at rest", total);
    return 0;
}
