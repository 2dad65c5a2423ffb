#pragma once

#include <QString>

// Notifications shown by the desktop. A notification posted under the tag of an earlier one
// replaces it where the desktop still shows that one. Posting never waits and never fails
// visibly: without a notification service nothing is shown.
class DesktopNotifications
{
public:
    virtual ~DesktopNotifications() = default;

    virtual void post(const QString &tag, const QString &summary, const QString &body) = 0;
};
