#include "Services/Shell/BuildInfo.h"

// The three values come from the build configuration, given to this file alone so that
// changing one rebuilds nothing else.

namespace BuildInfo {

QString version()
{
    return QStringLiteral(VEMRA_VERSION);
}

QString buildNumber()
{
    return QStringLiteral(VEMRA_BUILD_NUMBER);
}

QUrl updateFeed()
{
    return QUrl(QStringLiteral(VEMRA_UPDATE_FEED_URL));
}

} // namespace BuildInfo
