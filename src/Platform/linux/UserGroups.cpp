#include "Platform/linux/UserGroups.h"

#include <QByteArray>

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

// The buffer the reentrant look-ups fill, grown while they ask for more.
constexpr size_t initialBuffer = 4096;
constexpr size_t maximumBuffer = size_t(1) << 20;

} // namespace

bool SystemUserGroups::isPrivateGroup(gid_t gid) const
{
    QByteArray userName;
    {
        passwd entry {};
        passwd *found = nullptr;
        for (size_t size = initialBuffer; size <= maximumBuffer; size *= 2) {
            QByteArray buffer(qsizetype(size), Qt::Uninitialized);
            const int error = ::getpwuid_r(::geteuid(), &entry, buffer.data(), size, &found);
            if (error == ERANGE)
                continue;
            if (error != 0 || found == nullptr || found->pw_gid != gid)
                return false;
            userName = QByteArray(found->pw_name);
            break;
        }
    }
    if (userName.isEmpty())
        return false;
    group entry {};
    group *found = nullptr;
    for (size_t size = initialBuffer; size <= maximumBuffer; size *= 2) {
        QByteArray buffer(qsizetype(size), Qt::Uninitialized);
        const int error = ::getgrgid_r(gid, &entry, buffer.data(), size, &found);
        if (error == ERANGE)
            continue;
        if (error != 0 || found == nullptr || userName != found->gr_name)
            return false;
        for (char **member = found->gr_mem; member != nullptr && *member != nullptr; ++member) {
            if (userName != *member)
                return false;
        }
        return true;
    }
    return false;
}
