#include "Services/Focus/SystemFocusTimers.h"

#include <qcoro/qcorotimer.h>

namespace {

constexpr std::chrono::milliseconds tickInterval { 1000 };

} // namespace

SystemFocusTimers::SystemFocusTimers(QObject *parent)
    : FocusTimers(parent)
{
    m_tick.setTimerType(Qt::PreciseTimer);
    connect(&m_tick, &QTimer::timeout, this, [this] {
        // The first fire is aligned to the whole second; every later one follows a second on.
        if (m_tick.interval() != tickInterval.count())
            m_tick.start(tickInterval);
        Q_EMIT ticked();
    });
}

void SystemFocusTimers::startTicking(std::chrono::milliseconds firstDelay)
{
    m_tick.start(firstDelay);
}

void SystemFocusTimers::stopTicking()
{
    m_tick.stop();
}

QCoro::Task<> SystemFocusTimers::pause(std::chrono::milliseconds duration)
{
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    timer.start(duration);
    co_await timer;
}
