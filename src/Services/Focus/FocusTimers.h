#pragma once

#include <QObject>

#include <qcoro/qcorotask.h>

#include <chrono>

// The two kinds of waiting a focus session does: the once-a-second tick and the short pauses
// while Do Not Disturb is confirmed. Tests replace them with timers they drive by hand.
class FocusTimers : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // ticked() after `firstDelay`, then every second, until stopped or started again.
    virtual void startTicking(std::chrono::milliseconds firstDelay) = 0;
    virtual void stopTicking() = 0;
    virtual bool isTicking() const = 0;
    // Resumes the awaiting coroutine after `duration`.
    virtual QCoro::Task<> pause(std::chrono::milliseconds duration) = 0;

Q_SIGNALS:
    void ticked();
};
