#pragma once

#include "Models/Focus/FocusSession.h"

#include <qcoro/qcorotask.h>

// Marks the end of a focus session for the user. Each call returns at once; what it starts
// runs in the background.
class FocusNotifying
{
public:
    virtual ~FocusNotifying() = default;

    // Makes sure the user can be notified when the session ends.
    virtual void prepare() = 0;
    // Posts the completion notification for a finished session in place of the one whose id
    // the session carries. `late` is true when the session ran out while Vemra was not
    // running. Gives the id of the notification shown, 0 when none was.
    virtual QCoro::Task<quint32> announceCompletion(FocusSession session, bool late) = 0;
    // Plays the completion chime.
    virtual void playCompletionSound() = 0;
};
