#pragma once

#include <QDate>
#include <QObject>
#include <QTimer>

#include <functional>

class Clock;

// Notices the start of a new local day and jumps of the wall clock. Timers measure monotonic
// time, which stands still during suspend, so a timer to midnight alone would fire late after a
// sleep; a periodic check compares the wall clock with monotonic time and re-arms the timer.
class ClockWatch final : public QObject
{
    Q_OBJECT

public:
    // A wall clock that moves this much more (or less) than monotonic time has jumped.
    static constexpr qint64 jumpThresholdMs = 30'000;
    static constexpr int checkIntervalMs = 15'000;

    ClockWatch(const Clock &clock, std::function<qint64()> monotonicMs, QObject *parent = nullptr);

    // Starts the periodic check and the timer to the next midnight.
    void start();
    // Looks at the clocks now: emits what happened and re-arms the midnight timer.
    void check();

    // How long from now until just after the next local midnight.
    qint64 msecsToNextDay() const;
    bool isMidnightTimerActive() const { return m_midnight.isActive(); }

Q_SIGNALS:
    void dayChanged();
    void clockJumped();

private:
    void rearm();

    const Clock &m_clock;
    std::function<qint64()> m_monotonicMs;
    QTimer m_midnight;
    QTimer m_periodic;
    QDate m_day;
    qint64 m_wallBase = 0;
    qint64 m_monotonicBase = 0;
};
