#pragma once

#include "Models/Common/Result.h"
#include "Models/Focus/FocusSilencerReadiness.h"

#include <QString>
#include <qcoro/qcorotask.h>

#include <optional>

// Reads whether a Do Not Disturb mode is on and turns Do Not Disturb on and off. Every call
// starts on the main thread and never blocks it, however long the desktop takes.
class FocusSilencer
{
public:
    virtual ~FocusSilencer() = default;

    // Whether silencing can work now; never fails.
    virtual QCoro::Task<FocusSilencerReadiness> readiness(bool asking) = 0;
    // The name of the mode that is on, none when none is on. The same mode reads the same on
    // consecutive calls.
    virtual QCoro::Task<Result<std::optional<QString>>> currentFocus() = 0;
    // Returns once the request was carried out; whether it took effect is read back.
    virtual QCoro::Task<Status> turnOnDoNotDisturb() = 0;
    virtual QCoro::Task<Status> turnOffDoNotDisturb() = 0;

    // Where the user sets silencing up (the scripts' folder), for the setup guide.
    virtual QString setupFolder() const = 0;
};
