#pragma once

#include "Platform/WorkspaceEvents.h"

// Desktop events raised by the test itself.
class FakeWorkspaceEvents final : public WorkspaceEvents
{
    Q_OBJECT

public:
    using WorkspaceEvents::WorkspaceEvents;

    void switchDesktop() { Q_EMIT activeSpaceChanged(); }
    void startNewDay() { Q_EMIT dayChanged(); }
    void wake() { Q_EMIT didWake(); }
};
