#pragma once

#include "Services/Focus/FocusSilencer.h"

#include <chrono>

class UserScripts;

// Silences notifications through three scripts of the user's ("Vemra Focus Status", "Vemra
// Focus On", "Vemra Focus Off"), since every desktop turns Do Not Disturb on its own way. The
// status script prints the name of the mode that is on, on its first line, or nothing; a
// script succeeds when it exits with status 0. Keeps no state between calls.
class ShortcutsFocusSilencer final : public FocusSilencer
{
public:
    static constexpr std::chrono::milliseconds listingTimeout { 15'000 };
    static constexpr std::chrono::milliseconds runTimeout { 30'000 };

    explicit ShortcutsFocusSilencer(UserScripts &scripts);

    QCoro::Task<FocusSilencerReadiness> readiness(bool asking) override;
    QCoro::Task<Result<std::optional<QString>>> currentFocus() override;
    QCoro::Task<Status> turnOnDoNotDisturb() override;
    QCoro::Task<Status> turnOffDoNotDisturb() override;
    QString setupFolder() const override;

    // What the status script's output says: the first line without surrounding white space;
    // none for output that is empty or only white space; "Focus" when a mode is on but the
    // first line gives no name.
    static std::optional<QString> focusName(const QByteArray &output);

private:
    QCoro::Task<Result<QByteArray>> run(QString name);

    UserScripts &m_scripts;
};
