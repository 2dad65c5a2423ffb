#include "Platform/linux/XdgAutostartEntry.h"

#include "Platform/linux/DesktopEntryFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

XdgAutostartEntry::XdgAutostartEntry()
    : XdgAutostartEntry(defaultEntryPath(), QCoreApplication::applicationFilePath())
{
}

XdgAutostartEntry::XdgAutostartEntry(QString entryPath, QString executablePath)
    : m_entryPath(std::move(entryPath))
    , m_executablePath(std::move(executablePath))
{
}

QString XdgAutostartEntry::defaultEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/vemra.desktop");
}

QString XdgAutostartEntry::execLine(const QString &executablePath)
{
    // The command line's own quoting first, then the escapes of a desktop entry string,
    // which are undone before the command line is split.
    QString quoted = QStringLiteral("\"");
    for (const QChar c : executablePath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
    }
    quoted += QStringLiteral("\" --login-item");

    QString value;
    for (const QChar c : quoted) {
        if (c == QLatin1Char('\\'))
            value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            value += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            value += QStringLiteral("\\r");
        else
            value += c;
    }
    return value;
}

LoginItemService::Status XdgAutostartEntry::status() const
{
    QFile file(m_entryPath);
    if (!QFileInfo(m_entryPath).isFile() || !file.open(QIODevice::ReadOnly))
        return Status::NotRegistered;

    bool disabled = false;
    DesktopEntryFile::readMainGroup(file, [&disabled](const QString &key, const QString &value) {
        disabled = (key == QLatin1String("Hidden") && value == QLatin1String("true"))
            || (key == QLatin1String("X-GNOME-Autostart-enabled") && value == QLatin1String("false"));
        return !disabled;
    });
    return disabled ? Status::NotRegistered : Status::Enabled;
}

std::optional<QString> XdgAutostartEntry::registerItem()
{
    if (!QFileInfo(m_executablePath).isAbsolute())
        return QStringLiteral("The location of the running program is not known.");
    const QString folder = QFileInfo(m_entryPath).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("The folder %1 could not be created.").arg(QDir::toNativeSeparators(folder));

    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Vemra\n"
                                         "Exec=%1\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(execLine(m_executablePath));
    QSaveFile file(m_entryPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(entry.toUtf8()) < 0 || !file.commit())
        return QStringLiteral("%1 could not be written: %2")
            .arg(QDir::toNativeSeparators(m_entryPath), file.errorString());
    return std::nullopt;
}

std::optional<QString> XdgAutostartEntry::unregisterItem()
{
    QFile file(m_entryPath);
    if (!QFileInfo::exists(m_entryPath) && !QFileInfo(m_entryPath).isSymLink())
        return std::nullopt;
    if (!file.remove())
        return QStringLiteral("%1 could not be removed: %2")
            .arg(QDir::toNativeSeparators(m_entryPath), file.errorString());
    return std::nullopt;
}
