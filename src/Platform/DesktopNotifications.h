#pragma once

#include <QString>

#include <qcoro/qcorotask.h>

// Notifications shown by the desktop. Posting never blocks and never fails visibly: without a
// notification service nothing is shown.
class DesktopNotifications
{
public:
    virtual ~DesktopNotifications() = default;

    // Shows a notification in place of the one with the id `replaces` where the desktop still
    // shows that one (0: a new one). Gives the id the desktop gave it, 0 when none was shown.
    virtual QCoro::Task<quint32> post(QString summary, QString body, quint32 replaces) = 0;
};
