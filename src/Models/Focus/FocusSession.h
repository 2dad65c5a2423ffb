#pragma once

#include "Models/Focus/FocusSilencing.h"

#include <QDateTime>
#include <QUuid>

#include <optional>

// One timed stretch of work: it starts at a moment, runs for a planned length and ends by
// running out or by the user ending it early. `endsAt` is fixed at creation; `endedAt` is
// present exactly when the session is no longer active. Times are kept to the millisecond.
struct FocusSession
{
    QUuid id;
    QDateTime startedAt;
    QDateTime endsAt;
    // The planned length in seconds.
    double duration = 0;
    bool isActive = true;
    FocusSilencing silencing = FocusSilencing::none();
    std::optional<QDateTime> endedAt;
    // The desktop's id of the last completion notification shown, handed from one session to
    // the next so that a later notification takes its place, also after a relaunch; 0 for none.
    quint32 notificationId = 0;

    // A new, active session of `minutes` whole minutes from `start`, with a fresh id. The
    // number of minutes is not checked here.
    static FocusSession make(int minutes, const QDateTime &start);

    // Seconds from `at` to the planned end, never below 0.
    double remaining(const QDateTime &at) const;
    // Ended at or after the planned end.
    bool didComplete() const;
    // The planned length in whole minutes, halves rounded away from zero (89.5 gives 90).
    int minutes() const;

    friend bool operator==(const FocusSession &, const FocusSession &) = default;
};
