#include "Platform/linux/GtkAnimationSetting.h"

#include <QFile>
#include <QStandardPaths>
#include <QStringList>

namespace GtkAnimationSetting {

std::optional<bool> animationsEnabled(const QString &settingsIni)
{
    bool inSettings = false;
    std::optional<bool> enabled;
    for (QString line : settingsIni.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSettings = line == QStringLiteral("[Settings]");
            continue;
        }
        if (!inSettings)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || line.left(equals).trimmed() != QStringLiteral("gtk-enable-animations"))
            continue;
        const QString value = line.mid(equals + 1).trimmed().toLower();
        if (value == QStringLiteral("false") || value == QStringLiteral("0"))
            enabled = false;
        else if (value == QStringLiteral("true") || value == QStringLiteral("1"))
            enabled = true;
    }
    return enabled;
}

std::optional<bool> animationsEnabled()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    for (const QString &version : { QStringLiteral("gtk-4.0"), QStringLiteral("gtk-3.0") }) {
        QFile file(config + QLatin1Char('/') + version + QStringLiteral("/settings.ini"));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        const std::optional<bool> enabled = animationsEnabled(QString::fromUtf8(file.read(64 * 1024)));
        if (enabled.has_value())
            return enabled;
    }
    return std::nullopt;
}

} // namespace GtkAnimationSetting
