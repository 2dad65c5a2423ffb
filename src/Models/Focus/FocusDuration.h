#pragma once

#include <QString>

#include <array>
#include <optional>

// Wordings of a focus length given in whole minutes. Pure; the minutes are split with integer
// division, and a length has an hour part from 60 minutes on.
namespace FocusDuration {

inline constexpr std::array<int, 7> presets { 10, 15, 20, 25, 30, 60, 360 };
inline constexpr int minimumMinutes = 1;
inline constexpr int maximumMinutes = 1440;
inline constexpr int maximumHours = 24;

// The length of `hours` (0…24) and `minutes` (0…59) when it lies within 1…1440 minutes.
std::optional<int> minutes(int hours, int minutes);
// "25m", "1h 30m", "2h".
QString shortName(int minutes);
// "25 min", "1 hr 30 min", "2 hr".
QString name(int minutes);
// "25 minutes", "1 hour 30 minutes", "2 hours"; empty for 0.
QString spokenName(int minutes);
// Before a noun: "25-minute", "2-hour", else the name ("1 hr 30 min").
QString adjective(int minutes);

} // namespace FocusDuration
