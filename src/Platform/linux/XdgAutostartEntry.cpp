#include "Platform/linux/XdgAutostartEntry.h"

#include "Platform/DataPaths.h"
#include "Platform/linux/DesktopEntryFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

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

QStringList XdgAutostartEntry::argumentsOf(const QString &execValue)
{
    // The escapes of a desktop entry string first, then the command line's own quoting.
    QString line;
    for (qsizetype i = 0; i < execValue.size(); ++i) {
        const QChar c = execValue.at(i);
        if (c != QLatin1Char('\\') || i + 1 == execValue.size()) {
            line += c;
            continue;
        }
        const QChar next = execValue.at(++i);
        line += next == QLatin1Char('n') ? QChar(QLatin1Char('\n'))
            : next == QLatin1Char('t')   ? QChar(QLatin1Char('\t'))
            : next == QLatin1Char('r')   ? QChar(QLatin1Char('\r'))
            : next == QLatin1Char('s')   ? QChar(QLatin1Char(' '))
                                         : next;
    }
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        QChar c = line.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                quoted = false;
                continue;
            }
            if (c == QLatin1Char('\\') && i + 1 < line.size())
                c = line.at(++i);
        } else if (c == QLatin1Char('"')) {
            quoted = inArgument = true;
            continue;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inArgument)
                arguments << current.replace(QStringLiteral("%%"), QStringLiteral("%"));
            current.clear();
            inArgument = false;
            continue;
        }
        current += c;
        inArgument = true;
    }
    if (inArgument)
        arguments << current.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return arguments;
}

QString XdgAutostartEntry::programOf(const QString &execValue)
{
    const QStringList arguments = argumentsOf(execValue);
    qsizetype index = 0;
    // A wrapper that only sets the environment ("env QT_SCALE_FACTOR=1.25 vemra") starts the
    // program after its own options and assignments.
    if (!arguments.isEmpty() && QFileInfo(arguments.first()).fileName() == QLatin1String("env")) {
        for (index = 1; index < arguments.size(); ++index) {
            const QString &argument = arguments.at(index);
            if (argument == QLatin1String("--")) {
                ++index;
                break;
            }
            if (argument == QLatin1String("-u") || argument == QLatin1String("-C"))
                ++index; // their value follows
            else if (!argument.startsWith(QLatin1Char('-')) && !argument.contains(QLatin1Char('=')))
                break;
        }
    }
    QString program = arguments.value(index);
    if (!program.isEmpty() && !program.contains(QLatin1Char('/')))
        program = QStandardPaths::findExecutable(program);
    return program;
}

XdgAutostartEntry::Reading XdgAutostartEntry::read(const QString &entryPath)
{
    Reading reading;
    QFile file(entryPath);
    if (!QFileInfo(entryPath).isFile() || !file.open(QIODevice::ReadOnly)) {
        // A link to nowhere is still the user's; a folder is no entry at all.
        reading.exists = QFileInfo(entryPath).isSymLink();
        return reading;
    }
    reading.exists = true;
    bool hasExec = false;
    DesktopEntryFile::readMainGroup(file, [&](const QString &key, const QString &value) {
        if (key == QLatin1String("Exec")) {
            hasExec = true;
            reading.program = programOf(value);
            const QStringList arguments = argumentsOf(value);
            // What this program writes, for this or any other copy of it, and nothing else.
            reading.written = arguments.size() == 2 && arguments.at(1) == QLatin1String("--login-item")
                && value == execLine(arguments.at(0));
        }
        reading.disabled = reading.disabled || (key == QLatin1String("Hidden") && value == QLatin1String("true"))
            || (key == QLatin1String("X-GNOME-Autostart-enabled") && value == QLatin1String("false"));
        return true;
    });
    // A link (into the user's own dotfiles, say) is never replaced by a file of ours unasked.
    reading.written = reading.written && hasExec && !QFileInfo(entryPath).isSymLink();
    return reading;
}

bool XdgAutostartEntry::startsThisProgram(const Reading &reading) const
{
    if (reading.disabled || reading.program.isEmpty())
        return false;
    const QString canonical = QFileInfo(reading.program).canonicalFilePath();
    return !canonical.isEmpty() ? canonical == QFileInfo(m_executablePath).canonicalFilePath()
                                : reading.program == m_executablePath;
}

QStringList XdgAutostartEntry::othersStartingThisProgram() const
{
    // The desktop starts every entry of the folder, whatever its name.
    const QFileInfo entry(m_entryPath);
    QStringList others;
    const QFileInfoList entries = entry.absoluteDir().entryInfoList(
        { QStringLiteral("*.desktop") }, QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    for (const QFileInfo &other : entries) {
        if (other.fileName() != entry.fileName() && startsThisProgram(read(other.absoluteFilePath())))
            others << other.absoluteFilePath();
    }
    return others;
}

LoginItemService::Status XdgAutostartEntry::status() const
{
    return startsThisProgram(read(m_entryPath)) || !othersStartingThisProgram().isEmpty() ? Status::Enabled
                                                                                          : Status::NotRegistered;
}

std::optional<QString> XdgAutostartEntry::usersOwnEntry() const
{
    // Entries under other names start this program only while it is registered, and
    // unregistering removes them; none of them was written here.
    const Reading reading = read(m_entryPath);
    if (reading.exists && !reading.written)
        return m_entryPath;
    if (const QStringList others = othersStartingThisProgram(); !others.isEmpty())
        return others.first();
    return std::nullopt;
}

std::optional<QString> XdgAutostartEntry::registerItem()
{
    if (!QFileInfo(m_executablePath).isAbsolute())
        return QStringLiteral("The location of the running program is not known.");
    // What runs at login must be the user's alone to change: the folder closed to others'
    // writes (whatever the umask made of it), the entry readable but not writable by others.
    const QString folder = QFileInfo(m_entryPath).absolutePath();
    if (!QFileInfo(folder).isDir() && !DataPaths::ensureFolder(folder))
        return QStringLiteral("The folder %1 could not be created.").arg(QDir::toNativeSeparators(folder));
    if (auto problem = closeToOthers(folder))
        return problem;

    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Vemra\n"
                                         "Exec=%1\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(execLine(m_executablePath));
    QSaveFile file(m_entryPath);
    const bool written = file.open(QIODevice::WriteOnly)
        && file.setPermissions(
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther)
        && file.write(entry.toUtf8()) >= 0 && file.commit();
    if (!written)
        return QStringLiteral("%1 could not be written: %2")
            .arg(QDir::toNativeSeparators(m_entryPath), file.errorString());
    return std::nullopt;
}

std::optional<QString> XdgAutostartEntry::closeToOthers(const QString &folder)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return QStringLiteral("%1 is not a folder.").arg(QDir::toNativeSeparators(folder));
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return std::nullopt;
    if (info.st_uid != ::geteuid()
        || ::chmod(QFile::encodeName(folder).constData(), info.st_mode & 07777 & ~(S_IWGRP | S_IWOTH)) != 0)
        return QStringLiteral("The folder %1 can be changed by other users.").arg(QDir::toNativeSeparators(folder));
    return std::nullopt;
}

std::optional<QString> XdgAutostartEntry::unregisterItem()
{
    QStringList entries = othersStartingThisProgram();
    if (QFileInfo::exists(m_entryPath) || QFileInfo(m_entryPath).isSymLink())
        entries.prepend(m_entryPath);
    for (const QString &entry : std::as_const(entries)) {
        QFile file(entry);
        if (!file.remove())
            return QStringLiteral("%1 could not be removed: %2")
                .arg(QDir::toNativeSeparators(entry), file.errorString());
    }
    return std::nullopt;
}
