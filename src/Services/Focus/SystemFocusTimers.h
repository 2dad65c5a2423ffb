#pragma once

#include "Services/Focus/FocusTimers.h"

#include <QTimer>

// Precise timers on the main event loop: a coarse timer may fire up to 5 % early, before the
// remaining time has crossed the whole second, which would hold the countdown for a second.
class SystemFocusTimers final : public FocusTimers
{
    Q_OBJECT

public:
    explicit SystemFocusTimers(QObject *parent = nullptr);

    void startTicking(std::chrono::milliseconds firstDelay) override;
    void stopTicking() override;
    bool isTicking() const override { return m_tick.isActive(); }
    QCoro::Task<> pause(std::chrono::milliseconds duration) override;

private:
    QTimer m_tick;
};
