#pragma once

#include <QString>

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

    // Whether the build names a place to look for updates; without one nothing is ever checked.
    virtual bool hasSource() const = 0;
    // What the user is told where there is no update source.
    static QString noSourceMessage() { return QStringLiteral("This copy of Vemra has no update source configured."); }

    // The driver keeps this setting itself.
    virtual bool automaticallyChecks() const = 0;
    virtual void setAutomaticallyChecks(bool value) = 0;

    // A check the user asked for: every outcome is shown, including "up to date" and errors.
    virtual void checkForUpdates() = 0;
};
