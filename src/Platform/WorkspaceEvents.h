#pragma once

#include <QObject>

// The desktop happenings the application reacts to: a switch to another virtual desktop (the
// panel closes), the start of a new calendar day (the views' idea of today) and waking from
// sleep (a running focus session catches up).
class WorkspaceEvents : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

Q_SIGNALS:
    void activeSpaceChanged();
    void dayChanged();
    void didWake();
};
