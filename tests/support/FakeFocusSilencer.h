#pragma once

#include "Services/Focus/FocusSilencer.h"

#include <QStringList>

#include <coroutine>
#include <deque>

// A Do Not Disturb that the silencer's calls really switch: "on" turns on the mode named
// `onName`, "off" turns every mode off, the status call reads `focus`. Tests script readings
// ahead of the state, make calls fail, or hold every call until they release it, to order
// calls of overlapping sessions by hand.
class FakeFocusSilencer final : public FocusSilencer
{
public:
    QCoro::Task<FocusSilencerReadiness> readiness(bool) override
    {
        calls << QStringLiteral("readiness");
        co_await Gate { *this };
        // A copy: co_return of an lvalue moves from it.
        co_return FocusSilencerReadiness(readinessAnswer);
    }

    QCoro::Task<Result<std::optional<QString>>> currentFocus() override
    {
        calls << QStringLiteral("status");
        co_await Gate { *this };
        if (!scriptedReads.empty()) {
            Result<std::optional<QString>> read = scriptedReads.front();
            scriptedReads.pop_front();
            co_return read;
        }
        if (failsReads)
            co_return Error { QStringLiteral("The status could not be read."), {} };
        co_return std::optional<QString>(focus);
    }

    QCoro::Task<Status> turnOnDoNotDisturb() override
    {
        calls << QStringLiteral("on");
        co_await Gate { *this };
        if (failsTurnOn)
            co_return Error { QStringLiteral("It did not turn on."), {} };
        focus = onName;
        co_return Status();
    }

    QCoro::Task<Status> turnOffDoNotDisturb() override
    {
        calls << QStringLiteral("off");
        co_await Gate { *this };
        focus.reset();
        co_return Status();
    }

    QString setupFolder() const override { return QStringLiteral("/scripts"); }

    // Resumes the call held longest; false when none is held.
    bool releaseNext()
    {
        if (held.empty())
            return false;
        const std::coroutine_handle<> next = held.front();
        held.pop_front();
        next.resume();
        return true;
    }

    // The mode that is on now.
    std::optional<QString> focus;
    QString onName = QStringLiteral("Do Not Disturb");
    // Status readings given before the state is read, in order.
    std::deque<Result<std::optional<QString>>> scriptedReads;
    bool failsReads = false;
    bool failsTurnOn = false;
    FocusSilencerReadiness readinessAnswer = FocusSilencerReadiness::ready();
    // While true, each call waits at its start until released.
    bool holds = false;
    QStringList calls;
    std::deque<std::coroutine_handle<>> held;

private:
    struct Gate
    {
        FakeFocusSilencer &fake;
        bool await_ready() const { return !fake.holds; }
        void await_suspend(std::coroutine_handle<> waiting) const { fake.held.push_back(waiting); }
        void await_resume() const { }
    };
};
