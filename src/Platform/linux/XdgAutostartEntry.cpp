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

QString XdgAutostartEntry::programOf(const QString &execValue)
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
    const QString trimmed = line.trimmed();
    QString program;
    if (trimmed.startsWith(QLatin1Char('"'))) {
        for (qsizetype i = 1; i < trimmed.size(); ++i) {
            QChar c = trimmed.at(i);
            if (c == QLatin1Char('"'))
                break;
            if (c == QLatin1Char('\\') && i + 1 < trimmed.size())
                c = trimmed.at(++i);
            program += c;
        }
    } else {
        program = trimmed.section(QLatin1Char(' '), 0, 0);
    }
    program.replace(QStringLiteral("%%"), QStringLiteral("%"));
    if (!program.isEmpty() && !program.contains(QLatin1Char('/')))
        program = QStandardPaths::findExecutable(program);
    return program;
}

LoginItemService::Status XdgAutostartEntry::status() const
{
    QFile file(m_entryPath);
    if (!QFileInfo(m_entryPath).isFile() || !file.open(QIODevice::ReadOnly))
        return Status::NotRegistered;

    bool disabled = false;
    QString program;
    DesktopEntryFile::readMainGroup(file, [&](const QString &key, const QString &value) {
        if (key == QLatin1String("Exec"))
            program = programOf(value);
        disabled = disabled || (key == QLatin1String("Hidden") && value == QLatin1String("true"))
            || (key == QLatin1String("X-GNOME-Autostart-enabled") && value == QLatin1String("false"));
        return true;
    });
    const auto same = [](const QString &a, const QString &b) {
        const QString canonicalA = QFileInfo(a).canonicalFilePath();
        return !canonicalA.isEmpty() ? canonicalA == QFileInfo(b).canonicalFilePath() : a == b;
    };
    const bool startsThisProgram = !program.isEmpty() && same(program, m_executablePath);
    return disabled || !startsThisProgram ? Status::NotRegistered : Status::Enabled;
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
