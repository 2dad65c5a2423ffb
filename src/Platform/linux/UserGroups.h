#pragma once

#include <sys/types.h>

// Who else a file's group lets change it. Safe to use from any thread.
class UserGroups
{
public:
    virtual ~UserGroups() = default;

    // Whether `gid` is the user's own private group: named after the user, the user's primary
    // group, and with no other member listed (Debian's user private groups). A file writable
    // by such a group is the user's own.
    virtual bool isPrivateGroup(gid_t gid) const = 0;
};

// The answer of the system's user and group databases for the effective user.
class SystemUserGroups final : public UserGroups
{
public:
    bool isPrivateGroup(gid_t gid) const override;
};
