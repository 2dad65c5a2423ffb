#include "Platform/AppIdentity.h"

namespace AppIdentity {

// Given by the build, which names the installed files after it.
QString appId()
{
    return QStringLiteral(VEMRA_APP_ID);
}

} // namespace AppIdentity
