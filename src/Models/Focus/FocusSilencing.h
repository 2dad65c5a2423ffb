#pragma once

#include <QString>

// What a focus session did about notifications. Only TurnedOn and AlreadyOn carry the name of
// the mode that was reported on; values are made through the named constructors so that the
// other cases never carry one.
class FocusSilencing final
{
public:
    enum class Kind {
        // Silencing was asked for and is still being applied.
        Pending,
        // Silencing was not asked for.
        None,
        // Vemra turned Do Not Disturb on; `focus` is the mode then reported on.
        TurnedOn,
        // A mode was on already and nothing was changed; `focus` is its name.
        AlreadyOn,
        // Silencing was asked for but could not be applied or confirmed.
        Failed,
    };

    FocusSilencing() = default;

    static FocusSilencing pending() { return FocusSilencing(Kind::Pending); }
    // Pending, and the "on" request is about to be made: a Do Not Disturb found on later is
    // Vemra's own doing, even when Vemra ended before it could confirm it.
    static FocusSilencing turningOn()
    {
        FocusSilencing silencing(Kind::Pending);
        silencing.m_turningOn = true;
        return silencing;
    }
    static FocusSilencing none() { return FocusSilencing(Kind::None); }
    static FocusSilencing turnedOn(const QString &focus) { return FocusSilencing(Kind::TurnedOn, focus); }
    static FocusSilencing alreadyOn(const QString &focus) { return FocusSilencing(Kind::AlreadyOn, focus); }
    static FocusSilencing failed() { return FocusSilencing(Kind::Failed); }

    Kind kind() const { return m_kind; }
    // The mode's name for TurnedOn and AlreadyOn, empty for the other cases.
    QString focus() const { return m_focus; }
    // Notifications are off for the session: TurnedOn or AlreadyOn.
    bool isSilenced() const { return m_kind == Kind::TurnedOn || m_kind == Kind::AlreadyOn; }
    // Pending after the "on" request was started.
    bool isTurningOn() const { return m_turningOn; }

    friend bool operator==(const FocusSilencing &, const FocusSilencing &) = default;

private:
    explicit FocusSilencing(Kind kind, QString focus = {})
        : m_kind(kind)
        , m_focus(std::move(focus))
    {
    }

    Kind m_kind = Kind::None;
    QString m_focus;
    bool m_turningOn = false;
};
