#pragma once

class UpdateDriverDelegate;

// Checks for new releases on its own schedule and when the user asks, and shows its own
// windows for what it finds. The application talks to it only through this interface and
// hears from it only through the delegate.
class UpdateDriver
{
public:
    virtual ~UpdateDriver() = default;

    // Starts the scheduled checks; `delegate` (not owned) outlives the driver's use of it.
    virtual void start(UpdateDriverDelegate *delegate) = 0;

    // The driver keeps this setting itself.
    virtual bool automaticallyChecks() const = 0;
    virtual void setAutomaticallyChecks(bool value) = 0;

    // A check the user asked for: every outcome is shown, including "up to date" and errors.
    virtual void checkForUpdates() = 0;
};
