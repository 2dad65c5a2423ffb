#pragma once

#include "Services/Focus/FocusNotifying.h"

#include <QString>

class DesktopNotifications;
class SoundBank;

// Marks the end of a session with the chime and a desktop notification. A completion
// notification takes the place of the last one where the desktop still shows it.
class FocusNotifier final : public FocusNotifying
{
public:
    FocusNotifier(DesktopNotifications &notifications, SoundBank &sounds);

    // Desktop notifications need no permission: nothing to prepare.
    void prepare() override { }
    QCoro::Task<quint32> announceCompletion(FocusSession session, bool late) override;
    void playCompletionSound() override;

    static QString title();
    // "Your 25-minute focus session is finished." or, when it ran out while Vemra was not
    // running, "… focus session finished at 3:45 PM." with the planned end.
    static QString body(const FocusSession &session, bool late);

private:
    DesktopNotifications &m_notifications;
    SoundBank &m_sounds;
};
