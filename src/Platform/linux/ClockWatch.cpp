#include "Platform/linux/ClockWatch.h"

#include "Platform/Clock.h"

#include <algorithm>

ClockWatch::ClockWatch(const Clock &clock, std::function<qint64()> monotonicMs, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
    , m_monotonicMs(std::move(monotonicMs))
{
    m_midnight.setSingleShot(true);
    m_midnight.setTimerType(Qt::CoarseTimer);
    m_periodic.setInterval(checkIntervalMs);
    m_periodic.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_midnight, &QTimer::timeout, this, &ClockWatch::check);
    connect(&m_periodic, &QTimer::timeout, this, &ClockWatch::check);

    const QDateTime now = m_clock.now();
    m_day = now.toLocalTime().date();
    m_wallBase = now.toMSecsSinceEpoch();
    m_monotonicBase = m_monotonicMs();
}

void ClockWatch::start()
{
    m_periodic.start();
    rearm();
}

void ClockWatch::check()
{
    const QDateTime now = m_clock.now();
    const qint64 wall = now.toMSecsSinceEpoch();
    const qint64 monotonic = m_monotonicMs();
    const qint64 drift = (wall - m_wallBase) - (monotonic - m_monotonicBase);
    m_wallBase = wall;
    m_monotonicBase = monotonic;

    const QDate day = now.toLocalTime().date();
    const bool newDay = day != m_day;
    m_day = day;

    // Re-armed on every check, so a sleep, a jump or a new time zone is taken in within one interval.
    rearm();
    if (drift > jumpThresholdMs || drift < -jumpThresholdMs)
        Q_EMIT clockJumped();
    if (newDay)
        Q_EMIT dayChanged();
}

qint64 ClockWatch::msecsToNextDay() const
{
    const QDateTime now = m_clock.now().toLocalTime();
    const QDateTime next = now.date().addDays(1).startOfDay();
    // A little past midnight, so that the check surely sees the new date.
    return std::max<qint64>(now.msecsTo(next), 0) + 500;
}

void ClockWatch::rearm()
{
    const qint64 wait = msecsToNextDay();
    // QTimer takes an int; a day always fits, but a far jump could not.
    m_midnight.start(static_cast<int>(std::min<qint64>(wait, 24LL * 3600 * 1000 + 1000)));
}
