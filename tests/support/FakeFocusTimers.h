#pragma once

#include "Services/Focus/FocusTimers.h"

#include <QList>

#include <coroutine>
#include <deque>

// Ticks when the test says so; records the first delays asked for and the pauses taken.
// Pauses end at once unless `holdsPauses`, then when the test resumes them.
class FakeFocusTimers final : public FocusTimers
{
public:
    using FocusTimers::FocusTimers;

    void startTicking(std::chrono::milliseconds firstDelay) override
    {
        firstDelays.append(firstDelay);
        m_ticking = true;
    }
    void stopTicking() override { m_ticking = false; }
    bool isTicking() const override { return m_ticking; }

    QCoro::Task<> pause(std::chrono::milliseconds duration) override
    {
        pauses.append(duration);
        if (holdsPauses)
            co_await Held { *this };
    }

    void tick() { Q_EMIT ticked(); }
    bool resumePause()
    {
        if (heldPauses.empty())
            return false;
        const std::coroutine_handle<> next = heldPauses.front();
        heldPauses.pop_front();
        next.resume();
        return true;
    }

    QList<std::chrono::milliseconds> firstDelays;
    QList<std::chrono::milliseconds> pauses;
    bool holdsPauses = false;
    std::deque<std::coroutine_handle<>> heldPauses;

private:
    struct Held
    {
        FakeFocusTimers &timers;
        bool await_ready() const { return false; }
        void await_suspend(std::coroutine_handle<> waiting) const { timers.heldPauses.push_back(waiting); }
        void await_resume() const { }
    };

    bool m_ticking = false;
};
