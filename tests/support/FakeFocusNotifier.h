#pragma once

#include "Models/Focus/FocusSession.h"
#include "Services/Focus/FocusNotifying.h"

#include <QList>

// Records what the focus manager asked for.
class FakeFocusNotifier final : public FocusNotifying
{
public:
    struct Announcement
    {
        FocusSession session;
        bool late = false;
    };

    void prepare() override { ++prepared; }
    void announceCompletion(const FocusSession &session, bool late) override { announced.append({ session, late }); }
    void playCompletionSound() override { ++chimes; }

    int prepared = 0;
    int chimes = 0;
    QList<Announcement> announced;
};
