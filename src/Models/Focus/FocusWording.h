#pragma once

#include "Models/Focus/FocusSession.h"
#include "Models/Focus/FocusSilencerReadiness.h"

#include <QDateTime>
#include <QString>

#include <optional>

// What the focus tab says about a session and about silencing, worked out as plain values so
// that the widgets only draw them. Symbols are names of the Symbols table.
namespace FocusWording {

enum class Tone { Secondary, Accent, Warning };

struct Line
{
    QString text;
    QString symbol;
    Tone tone = Tone::Secondary;

    friend bool operator==(const Line &, const Line &) = default;
};

// The running display's line about notifications.
struct StatusLine
{
    Line line;
    // Pending: a spinner stands where the symbol would.
    bool showsSpinner = false;
    // Failed: a "Check Setup" link follows.
    bool offersCheckSetup = false;

    friend bool operator==(const StatusLine &, const StatusLine &) = default;
};
StatusLine statusLine(const FocusSilencing &silencing);

// The line about the last session, for twelve hours after it ended (measured against `now`,
// an end later than `now` counting as recent); none while a session runs or without one.
std::optional<Line> outcome(const std::optional<FocusSession> &session, const QDateTime &now);

// The line under the start button; none while the readiness has not been checked.
struct Note
{
    Line line;
    // Silencing cannot work yet: a "Set Up…" link follows.
    bool offersSetUp = false;

    friend bool operator==(const Note &, const Note &) = default;
};
std::optional<Note> note(bool silencesNotifications, const std::optional<FocusSilencerReadiness> &readiness);

// The card shown instead of the start button when silencing cannot work.
struct Prompt
{
    QString title;
    QString detail;
    QString firstButton;
    // The first button opens the permission settings (only for Denied) instead of the setup.
    bool opensPermissions = false;

    friend bool operator==(const Prompt &, const Prompt &) = default;
};
Prompt prompt(const std::optional<FocusSilencerReadiness> &readiness);

// The fraction of the ring drawn: the remaining share of the planned length, within 0…1;
// 0 for a length that is not positive or a value that is not a number.
double ringProgress(double remaining, double duration);

// A clock time in the locale's short format, date left out ("3:45 PM").
QString shortTime(const QDateTime &time);

} // namespace FocusWording
