#include "Platform/linux/LinuxWorkspaceEvents.h"

#include "Platform/linux/ClockWatch.h"
#include "Platform/x11/X11DesktopWatcher.h"

#include <QDBusConnection>

namespace {

// logind and the clock check both see the same resume; one wake is reported.
constexpr qint64 wakeDebounceMs = 10'000;

} // namespace

LinuxWorkspaceEvents::LinuxWorkspaceEvents(const Clock &clock, QObject *parent)
    : WorkspaceEvents(parent)
{
    m_monotonic.start();
    m_clockWatch = new ClockWatch(
        clock, [this] { return m_monotonic.elapsed(); }, this);
    connect(m_clockWatch, &ClockWatch::dayChanged, this, &WorkspaceEvents::dayChanged);
    connect(m_clockWatch, &ClockWatch::clockJumped, this, &LinuxWorkspaceEvents::woke);
    m_clockWatch->start();

    m_desktops = new X11DesktopWatcher(this);
    connect(m_desktops, &X11DesktopWatcher::currentDesktopChanged, this, &WorkspaceEvents::activeSpaceChanged);

    QDBusConnection::systemBus().connect(QStringLiteral("org.freedesktop.login1"),
        QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
        QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
}

void LinuxWorkspaceEvents::prepareForSleep(bool goingToSleep)
{
    if (goingToSleep)
        return;
    // The check re-arms the day timer and reports a day that passed during the sleep.
    m_clockWatch->check();
    woke();
}

void LinuxWorkspaceEvents::woke()
{
    const qint64 now = m_monotonic.elapsed();
    if (m_lastWakeMs >= 0 && now - m_lastWakeMs < wakeDebounceMs)
        return;
    m_lastWakeMs = now;
    Q_EMIT didWake();
}
