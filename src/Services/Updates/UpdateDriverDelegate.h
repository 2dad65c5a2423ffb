#pragma once

#include "Services/Updates/UpdateItem.h"

// What the update driver asks of the application, and tells it, during an update session.
class UpdateDriverDelegate
{
public:
    virtual ~UpdateDriverDelegate() = default;

    // Whether the application announces updates of scheduled checks itself, instead of the
    // driver opening a window for each.
    virtual bool supportsGentleScheduledUpdateReminders() const = 0;
    // Whether the driver shows its own window for an update a scheduled check found;
    // `immediateFocus` tells whether that window would come up in front of the user.
    virtual bool shouldHandleShowingScheduledUpdate(const UpdateItem &update, bool immediateFocus) = 0;
    // The driver is about to show `update` itself (true) or leaves it to the application.
    virtual void willHandleShowingUpdate(bool handleShowingUpdate, const UpdateItem &update) = 0;
    // The user is now looking at the update.
    virtual void didReceiveUserAttention(const UpdateItem &update) = 0;
    // The update session is over, whatever its outcome.
    virtual void willFinishUpdateSession() = 0;
};
