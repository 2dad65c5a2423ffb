#pragma once

// What the benchmarks that measure through the running application share: the application as
// main() starts it, over the test fakes and a data folder made beforehand; a probe of the main
// thread's longest stall; waiting while the event loop turns; and the summary's rows.
#include "App/Tray/HostWindow.h"
#include "AppHarness.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Shell/Environment.h"
#include "Services/Todos/TodoStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

namespace RunningApplication {

inline qint64 nanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A timer on the main thread that fires every millisecond and notes the longest gap between
// two of its turns: the longest the main thread went without turning its event loop.
class StallProbe final
{
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { note(); });
    }

    void start()
    {
        m_last = nanoseconds();
        m_longest = 0;
        m_timer.start();
    }
    // The longest stall since start(), in milliseconds, counting the one under way.
    double longest()
    {
        note();
        return double(m_longest) / 1e6;
    }

private:
    void note()
    {
        const qint64 at = nanoseconds();
        m_longest = std::max(m_longest, at - m_last);
        m_last = at;
    }

    QTimer m_timer;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// Turns the event loop until `done` holds or `timeoutMs` passed; false on the time-out.
inline bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > timeoutMs)
            loop.quit();
    });
    if (!done()) {
        poll.start(1);
        loop.exec();
    }
    return done();
}

// Turns the event loop for `ms` milliseconds.
inline void idle(int ms)
{
    waitUntil([] { return false; }, ms);
}

// Says what comes next and waits VEMRA_BENCH_PAUSE milliseconds, so that a profiler can be
// attached to the main thread for it.
inline void announce(const char *what)
{
    std::printf("  next: %s\n", what);
    std::fflush(stdout);
    idle(qEnvironmentVariableIntValue("VEMRA_BENCH_PAUSE"));
}

// One row of the summary that scripts/bench gathers: what was measured and its figure.
inline void row(const QByteArray &measure, const QByteArray &figure)
{
    std::printf("ROW %s: %s\n", measure.constData(), figure.constData());
    std::fflush(stdout);
}

inline QByteArray ms(double value)
{
    return QByteArray::number(value, 'f', value < 10 ? 2 : 1) + " ms";
}

// The application over the test fakes (change `harness.facilities` before launching), started
// as main() starts it over the data folder `prepared`, which it borrows while it runs. Its clock
// stands at `now`.
class Application final
{
public:
    Application(QString prepared, const QDateTime &now)
        : m_prepared(std::move(prepared))
    {
        harness.clock.set(now);
        m_data = harness.home.dataFolder();
        QDir().mkpath(QFileInfo(m_data).absolutePath());
        if (QFileInfo::exists(m_prepared) && !QDir().rename(m_prepared, m_data))
            std::printf("cannot move the data folder in\n");
    }
    ~Application()
    {
        harness.delegate.reset();
        if (!QDir().rename(m_data, m_prepared))
            std::printf("cannot move the data folder back\n");
    }
    Application(const Application &) = delete;
    Application &operator=(const Application &) = delete;

    // Launches it without waiting for the stores' checks.
    void launch()
    {
        if (!harness.delegate)
            harness.create();
        harness.delegate->start();
        QCoreApplication::processEvents();
    }
    // Launches it and waits for the stores' checks, as a user does who opens it later.
    void launchChecked()
    {
        launch();
        const Environment &e = environment();
        waitUntil([&] { return !e.todos.isChecking() && !e.clipboard.isChecking(); }, 600'000);
    }
    const Environment &environment() const { return harness.delegate->environment(); }

    // The expanded window shown on `tab`, and its first child of type T.
    template <typename T> T &windowChild(VemraTab tab)
    {
        harness.delegate->showWindow(tab);
        QCoreApplication::processEvents();
        return *harness.delegate->window()->findChild<T *>();
    }

    AppHarness harness;

private:
    QString m_prepared;
    QString m_data;
};

} // namespace RunningApplication
