#pragma once

#include "Models/Common/Result.h"
#include "Models/Focus/FocusSession.h"

#include <QByteArray>

#include <optional>

// The stored form of a focus session: one compact JSON object with the times as seconds since
// 1 January 2001 UTC, the id in upper case and the silencing as a one-key object:
//
//     {"duration":1500,"endsAt":786301500.25,"id":"5C0F2A8E-1B7D-4E39-9A61-3F2D8C4B7E10",
//      "isActive":true,"silencing":{"turnedOn":{"focus":"Do Not Disturb"}},"startedAt":786300000.25}
//
// "endedAt" is left out while the session runs. Reading is strict: beyond the JSON types, a
// value that could not have been written by a running system (a length outside one minute to
// 24 hours, an end that is not start plus length, an ended time that disagrees with the active
// flag, a time far outside the calendar) is refused, so that a damaged value never reaches the
// integer arithmetic of the views.
namespace FocusSessionCoding {

// None when a time or the length is not a finite number.
std::optional<QByteArray> encode(const FocusSession &session);
// The session, or why the bytes are not one. Never fails otherwise; safe on any input.
Result<FocusSession> decode(const QByteArray &bytes);

} // namespace FocusSessionCoding
