#pragma once

#include <QCoroTask>
#include <QEventLoop>
#include <QTimer>
#include <QtGlobal>

#include <chrono>
#include <optional>
#include <type_traits>

// Runs a task to its end on this thread's event loop, as QCoro::waitFor does, but for a bounded
// time: a task stuck on work no thread is left to run (a pool waiting on its own work) stops its
// test with a stack trace of every thread, well before the suite's time-out, instead of hanging it.
// The process ends then, since nothing stuck can be torn down.
template <typename T> T waitForTask(QCoro::Task<T> task, std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    QEventLoop loop;
    bool done = false;
    std::conditional_t<std::is_void_v<T>, bool, std::optional<T>> result {};
    const auto watch = [&]() -> QCoro::Task<> {
        if constexpr (std::is_void_v<T>)
            co_await task;
        else
            result = co_await task;
        done = true;
        loop.quit();
    };
    QCoro::Task<> watching = watch();
    if (!done) {
        QTimer::singleShot(limit, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!done)
        qFatal("A task did not end within %lld s: a thread may wait on work no thread is left to run",
            static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(limit).count()));
    if constexpr (!std::is_void_v<T>)
        return std::move(*result);
}
