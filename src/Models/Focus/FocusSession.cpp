#include "Models/Focus/FocusSession.h"

#include <algorithm>
#include <cmath>

FocusSession FocusSession::make(int minutes, const QDateTime &start)
{
    FocusSession session;
    session.id = QUuid::createUuid();
    session.startedAt = start.toUTC();
    session.duration = minutes * 60.0;
    session.endsAt = session.startedAt.addSecs(qint64(minutes) * 60);
    return session;
}

double FocusSession::remaining(const QDateTime &at) const
{
    return std::max(0.0, double(at.msecsTo(endsAt)) / 1000.0);
}

bool FocusSession::didComplete() const
{
    return endedAt.has_value() && *endedAt >= endsAt;
}

int FocusSession::minutes() const
{
    if (!std::isfinite(duration))
        return 0;
    // Clamped first: a length far outside what a session can have must not overflow.
    const double clamped = std::clamp(duration / 60.0, -1e9, 1e9);
    return int(std::round(clamped));
}
