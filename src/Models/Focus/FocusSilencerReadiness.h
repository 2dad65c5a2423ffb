#pragma once

#include <QStringList>

// Whether silencing notifications can work now, as a silencer reports it.
class FocusSilencerReadiness final
{
public:
    enum class Kind {
        // The scripts folder answered, but some scripts are missing (by name, in FocusShortcut
        // order) or cannot be used (a sentence for each, naming the script and why).
        MissingShortcuts,
        Ready,
        // Kept for the permission states of other systems; the scripts never need permission.
        NeedsPermission,
        Denied,
        // The scripts folder cannot be read.
        Unavailable,
    };

    FocusSilencerReadiness() = default;

    static FocusSilencerReadiness missingShortcuts(const QStringList &names, const QStringList &problems = {})
    {
        return FocusSilencerReadiness(Kind::MissingShortcuts, names, problems);
    }
    static FocusSilencerReadiness ready() { return FocusSilencerReadiness(Kind::Ready); }
    static FocusSilencerReadiness needsPermission() { return FocusSilencerReadiness(Kind::NeedsPermission); }
    static FocusSilencerReadiness denied() { return FocusSilencerReadiness(Kind::Denied); }
    static FocusSilencerReadiness unavailable() { return FocusSilencerReadiness(Kind::Unavailable); }

    Kind kind() const { return m_kind; }
    bool isReady() const { return m_kind == Kind::Ready; }
    // The missing scripts' names for MissingShortcuts, in order; empty otherwise.
    QStringList missing() const { return m_missing; }
    // Why the scripts that are there cannot be used, one sentence each; empty otherwise.
    QStringList problems() const { return m_problems; }

    friend bool operator==(const FocusSilencerReadiness &, const FocusSilencerReadiness &) = default;

private:
    explicit FocusSilencerReadiness(Kind kind, QStringList missing = {}, QStringList problems = {})
        : m_kind(kind)
        , m_missing(std::move(missing))
        , m_problems(std::move(problems))
    {
    }

    Kind m_kind = Kind::Unavailable;
    QStringList m_missing;
    QStringList m_problems;
};
