#pragma once

#include "Platform/WorkspaceEvents.h"

#include <QElapsedTimer>

class Clock;
class ClockWatch;
class X11DesktopWatcher;

// The desktop's events on Linux: desktop switches from the X root window, waking from logind's
// PrepareForSleep(false) or, where logind is silent, from a jump of the wall clock, and the day
// change from a timer to local midnight that every wake or jump re-arms.
class LinuxWorkspaceEvents final : public WorkspaceEvents
{
    Q_OBJECT

public:
    explicit LinuxWorkspaceEvents(const Clock &clock, QObject *parent = nullptr);

private Q_SLOTS:
    // Connected by name: D-Bus signals cannot be connected through function pointers.
    void prepareForSleep(bool goingToSleep);

private:
    void woke();

    QElapsedTimer m_monotonic;
    ClockWatch *m_clockWatch = nullptr;
    X11DesktopWatcher *m_desktops = nullptr;
    qint64 m_lastWakeMs = -1;
};
