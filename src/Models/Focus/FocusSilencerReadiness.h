#pragma once

#include <QStringList>

// Whether silencing notifications can work now, as a silencer reports it.
class FocusSilencerReadiness final
{
public:
    enum class Kind {
        // The scripts folder answered, but these scripts (by name, in FocusShortcut order) are
        // missing or unusable.
        MissingShortcuts,
        Ready,
        // Kept for the permission states of other systems; the scripts never need permission.
        NeedsPermission,
        Denied,
        // The scripts folder cannot be read.
        Unavailable,
    };

    FocusSilencerReadiness() = default;

    static FocusSilencerReadiness missingShortcuts(const QStringList &names)
    {
        return FocusSilencerReadiness(Kind::MissingShortcuts, names);
    }
    static FocusSilencerReadiness ready() { return FocusSilencerReadiness(Kind::Ready); }
    static FocusSilencerReadiness needsPermission() { return FocusSilencerReadiness(Kind::NeedsPermission); }
    static FocusSilencerReadiness denied() { return FocusSilencerReadiness(Kind::Denied); }
    static FocusSilencerReadiness unavailable() { return FocusSilencerReadiness(Kind::Unavailable); }

    Kind kind() const { return m_kind; }
    bool isReady() const { return m_kind == Kind::Ready; }
    // The missing scripts' names for MissingShortcuts, in order; empty otherwise.
    QStringList missing() const { return m_missing; }

    friend bool operator==(const FocusSilencerReadiness &, const FocusSilencerReadiness &) = default;

private:
    explicit FocusSilencerReadiness(Kind kind, QStringList missing = {})
        : m_kind(kind)
        , m_missing(std::move(missing))
    {
    }

    Kind m_kind = Kind::Unavailable;
    QStringList m_missing;
};
