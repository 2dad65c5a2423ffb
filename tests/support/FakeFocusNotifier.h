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
    // Answers with ids counting up from 1.
    QCoro::Task<quint32> announceCompletion(FocusSession session, bool late) override
    {
        announced.append({ session, late });
        co_return quint32(announced.size());
    }
    void playCompletionSound() override { ++chimes; }

    int prepared = 0;
    int chimes = 0;
    QList<Announcement> announced;
};
