#pragma once

#include <QString>

#include <optional>

// The system's record of whether the application starts when the user logs in.
// The system keeps the registration; the application stores nothing of its own for it.
class LoginItemService
{
public:
    enum class Status {
        NotRegistered,
        Enabled,
        // Registered, but the user still has to allow it in the system's settings.
        RequiresApproval,
        NotFound,
    };

    virtual ~LoginItemService() = default;

    virtual Status status() const = 0;
    // The path of a registration of the user's own making (one this application did not write)
    // that registering or unregistering would replace or remove; nothing when there is none.
    virtual std::optional<QString> usersOwnEntry() const { return std::nullopt; }
    // Each returns the system's error text when it failed, nothing when it worked.
    virtual std::optional<QString> registerItem() = 0;
    virtual std::optional<QString> unregisterItem() = 0;
    // Shows where the user approves login items, for a registration that waits for approval.
    virtual void openApprovalSettings() = 0;
};
