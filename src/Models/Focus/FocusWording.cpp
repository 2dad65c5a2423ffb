#include "Models/Focus/FocusWording.h"

#include "Models/Common/ShortTime.h"
#include "Models/Focus/FocusDuration.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr qint64 outcomeWindowMs = 12 * 3600 * 1000;

} // namespace

namespace FocusWording {

StatusLine statusLine(const FocusSilencing &silencing)
{
    switch (silencing.kind()) {
    case FocusSilencing::Kind::TurnedOn:
        return { { QStringLiteral("Notifications off"), QStringLiteral("bell.slash.fill") }, false, false };
    case FocusSilencing::Kind::AlreadyOn:
        return { { QStringLiteral("Notifications off · ") + silencing.focus() + QStringLiteral(" was already on"),
                     QStringLiteral("bell.slash.fill") },
            false, false };
    case FocusSilencing::Kind::Pending:
        return { { QStringLiteral("Turning on Do Not Disturb…"), QString() }, true, false };
    case FocusSilencing::Kind::None:
        return { { QStringLiteral("Notifications on"), QStringLiteral("bell") }, false, false };
    case FocusSilencing::Kind::Failed:
        return { { QStringLiteral("Couldn’t silence notifications"), QStringLiteral("exclamationmark.triangle.fill"),
                     Tone::Warning },
            false, true };
    }
    return {};
}

std::optional<Line> outcome(const std::optional<FocusSession> &session, const QDateTime &now)
{
    if (!session || session->isActive || !session->endedAt)
        return std::nullopt;
    if (session->endedAt->msecsTo(now) >= outcomeWindowMs)
        return std::nullopt;
    if (session->didComplete()) {
        return Line { QStringLiteral("Focus complete · ") + FocusDuration::name(session->minutes()),
            QStringLiteral("checkmark.circle.fill"), Tone::Accent };
    }
    // The time actually spent, cut down to whole minutes, at least one.
    const qint64 spent = session->startedAt.msecsTo(*session->endedAt) / 60'000;
    const int minutes = int(std::clamp<qint64>(spent, 1, std::numeric_limits<int>::max()));
    return Line { QStringLiteral("Focus ended after ") + FocusDuration::name(minutes), QStringLiteral("stop.circle") };
}

std::optional<Note> note(bool silencesNotifications, const std::optional<FocusSilencerReadiness> &readiness)
{
    if (!silencesNotifications)
        return Note { { QStringLiteral("Notifications stay on"), QStringLiteral("bell") }, false };
    if (!readiness)
        return std::nullopt;
    if (readiness->isReady())
        return Note { { QStringLiteral("Do Not Disturb turns on while you focus"), QStringLiteral("moon.fill") },
            false };
    return Note { { QStringLiteral("Notifications won’t be silenced yet ·"), QStringLiteral("bell") }, true };
}

Prompt prompt(const std::optional<FocusSilencerReadiness> &readiness)
{
    if (readiness && readiness->kind() == FocusSilencerReadiness::Kind::Denied) {
        return { QStringLiteral("Focus needs permission to silence notifications"),
            QStringLiteral("Allow Vemra to run Shortcuts in Privacy & Security → Automation."),
            QStringLiteral("Open System Settings"), true };
    }
    return { QStringLiteral("Focus can’t silence notifications yet"),
        QStringLiteral("Vemra turns on Do Not Disturb through three small scripts of yours. It takes a one-time "
                       "setup."),
        QStringLiteral("Set Up…"), false };
}

double ringProgress(double remaining, double duration)
{
    if (!(duration > 0) || std::isnan(remaining))
        return 0;
    return std::clamp(remaining / duration, 0.0, 1.0);
}

QString shortTime(const QDateTime &time)
{
    return ShortTime::text(time.toLocalTime().time(), QLocale());
}

} // namespace FocusWording
