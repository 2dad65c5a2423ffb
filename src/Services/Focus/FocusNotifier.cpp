#include "Services/Focus/FocusNotifier.h"

#include "Models/Focus/FocusDuration.h"
#include "Models/Focus/FocusSession.h"
#include "Models/Focus/FocusWording.h"
#include "Platform/DesktopNotifications.h"
#include "Services/Sound/SoundBank.h"

FocusNotifier::FocusNotifier(DesktopNotifications &notifications, SoundBank &sounds)
    : m_notifications(notifications)
    , m_sounds(sounds)
{
}

QCoro::Task<quint32> FocusNotifier::announceCompletion(FocusSession session, bool late)
{
    QCoro::Task<quint32> posting = m_notifications.post(title(), body(session, late), session.notificationId);
    co_return co_await posting;
}

void FocusNotifier::playCompletionSound()
{
    m_sounds.play(SoundBank::Sound::FocusComplete);
}

QString FocusNotifier::title()
{
    return QStringLiteral("Focus complete");
}

QString FocusNotifier::body(const FocusSession &session, bool late)
{
    const QString adjective = FocusDuration::adjective(session.minutes());
    if (late) {
        return QStringLiteral("Your ") + adjective + QStringLiteral(" focus session finished at ")
            + FocusWording::shortTime(session.endsAt) + u'.';
    }
    return QStringLiteral("Your ") + adjective + QStringLiteral(" focus session is finished.");
}
