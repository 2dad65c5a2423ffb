#include "Platform/linux/DesktopKeyboardSettings.h"

#include "Platform/KeyCodes.h"
#include "Platform/Logging.h"
#include "Platform/x11/X11Desktop.h"

#include <QFile>
#include <QFutureWatcher>
#include <QHash>
#include <QKeySequence>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// X key symbol names as desktops write them, for the keys whose name Qt does not read.
Qt::Key keyFromName(const QString &name)
{
    static const QHash<QString, Qt::Key> names {
        { QStringLiteral("space"), Qt::Key_Space },
        { QStringLiteral("Return"), Qt::Key_Return },
        { QStringLiteral("KP_Enter"), Qt::Key_Enter },
        { QStringLiteral("BackSpace"), Qt::Key_Backspace },
        { QStringLiteral("Prior"), Qt::Key_PageUp },
        { QStringLiteral("Page_Up"), Qt::Key_PageUp },
        { QStringLiteral("Next"), Qt::Key_PageDown },
        { QStringLiteral("Page_Down"), Qt::Key_PageDown },
        { QStringLiteral("comma"), Qt::Key_Comma },
        { QStringLiteral("period"), Qt::Key_Period },
        { QStringLiteral("slash"), Qt::Key_Slash },
        { QStringLiteral("backslash"), Qt::Key_Backslash },
        { QStringLiteral("semicolon"), Qt::Key_Semicolon },
        { QStringLiteral("apostrophe"), Qt::Key_Apostrophe },
        { QStringLiteral("bracketleft"), Qt::Key_BracketLeft },
        { QStringLiteral("bracketright"), Qt::Key_BracketRight },
        { QStringLiteral("minus"), Qt::Key_Minus },
        { QStringLiteral("equal"), Qt::Key_Equal },
        { QStringLiteral("grave"), Qt::Key_QuoteLeft },
        { QStringLiteral("plus"), Qt::Key_Plus },
    };
    if (name.size() == 1)
        return Qt::Key(name.at(0).toUpper().unicode());
    if (const auto found = names.constFind(name); found != names.constEnd())
        return *found;
    const QKeySequence sequence = QKeySequence::fromString(name, QKeySequence::PortableText);
    if (sequence.count() == 1 && sequence[0].keyboardModifiers() == Qt::NoModifier)
        return sequence[0].key();
    return Qt::Key_unknown;
}

std::optional<QKeyCombination> combination(Qt::KeyboardModifiers modifiers, const QString &keyName)
{
    const Qt::Key key = keyFromName(keyName);
    if (key == Qt::Key_unknown)
        return std::nullopt;
    return QKeyCombination(modifiers, key);
}

// "<Super><Shift>f".
std::optional<QKeyCombination> gtkAccelerator(const QString &text)
{
    static const QHash<QString, Qt::KeyboardModifier> modifiers {
        { QStringLiteral("super"), Qt::MetaModifier },
        { QStringLiteral("meta"), Qt::MetaModifier },
        { QStringLiteral("shift"), Qt::ShiftModifier },
        { QStringLiteral("primary"), Qt::ControlModifier },
        { QStringLiteral("control"), Qt::ControlModifier },
        { QStringLiteral("ctrl"), Qt::ControlModifier },
        { QStringLiteral("ctl"), Qt::ControlModifier },
        { QStringLiteral("alt"), Qt::AltModifier },
        { QStringLiteral("mod1"), Qt::AltModifier },
    };
    Qt::KeyboardModifiers held;
    QString rest = text.trimmed();
    while (rest.startsWith(QLatin1Char('<'))) {
        const qsizetype end = rest.indexOf(QLatin1Char('>'));
        if (end < 0)
            return std::nullopt;
        const auto found = modifiers.constFind(rest.mid(1, end - 1).toLower());
        if (found == modifiers.constEnd())
            return std::nullopt;
        held |= *found;
        rest = rest.mid(end + 1);
    }
    if (rest.isEmpty())
        return std::nullopt;
    return combination(held, rest);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The first existing file among the user's own and the system's copies.
QByteArray readConfig(const QString &relativePath)
{
    const QString path = QStandardPaths::locate(QStandardPaths::GenericConfigLocation, relativePath);
    return path.isEmpty() ? QByteArray() : readFile(path);
}

} // namespace

QList<QKeyCombination> DesktopKeyboardSettings::fromGtkAccelerators(const QString &text)
{
    QList<QKeyCombination> found;
    static const QRegularExpression quoted(QStringLiteral("'([^']*)'"));
    for (const auto &match : quoted.globalMatch(text)) {
        if (const auto combination = gtkAccelerator(match.captured(1)))
            found.append(*combination);
    }
    return found;
}

QList<QKeyCombination> DesktopKeyboardSettings::fromXfceChannel(const QByteArray &xml)
{
    // channel > property "commands" or "xfwm4" > property "custom" > one property per shortcut.
    QList<QKeyCombination> found;
    QXmlStreamReader reader(xml);
    QStringList path;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            path.append(reader.attributes().value(QStringLiteral("name")).toString());
            if (reader.name() == QLatin1String("property") && path.size() == 4 && path.at(2) == QLatin1String("custom")
                && !reader.attributes().value(QStringLiteral("value")).isEmpty()) {
                if (const auto combination = gtkAccelerator(path.last()))
                    found.append(*combination);
            }
        } else if (reader.isEndElement()) {
            path.removeLast();
        }
    }
    return found;
}

QList<QKeyCombination> DesktopKeyboardSettings::fromKdeGlobalShortcuts(const QString &text)
{
    // name=active shortcuts,default shortcuts,description; several shortcuts apart by tabs.
    QList<QKeyCombination> found;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QLatin1Char('[')) || equals < 0 || line.startsWith(QLatin1String("_k_friendly_name")))
            continue;
        const QString active = line.mid(equals + 1).section(QLatin1Char(','), 0, 0);
        for (const QString &shortcut : active.split(QLatin1Char('\t'), Qt::SkipEmptyParts)) {
            if (shortcut == QLatin1String("none"))
                continue;
            const QKeySequence sequence = QKeySequence::fromString(shortcut, QKeySequence::PortableText);
            if (sequence.count() >= 1 && sequence[0].key() != Qt::Key_unknown)
                found.append(sequence[0]);
        }
    }
    return found;
}

QList<QKeyCombination> DesktopKeyboardSettings::fromOpenboxConfig(const QByteArray &xml)
{
    // <keybind key="W-S-f">; in a chain ("C-a b") the first combination is the one held.
    static const QHash<QString, Qt::KeyboardModifier> modifiers {
        { QStringLiteral("S"), Qt::ShiftModifier },
        { QStringLiteral("C"), Qt::ControlModifier },
        { QStringLiteral("A"), Qt::AltModifier },
        { QStringLiteral("W"), Qt::MetaModifier },
    };
    QList<QKeyCombination> found;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement() || reader.name() != QLatin1String("keybind"))
            continue;
        const QString first
            = reader.attributes().value(QStringLiteral("key")).toString().section(QLatin1Char(' '), 0, 0);
        QStringList parts = first.split(QLatin1Char('-'));
        // "C--" is Control with the minus key.
        if (first.endsWith(QLatin1String("--"))) {
            parts.removeLast();
            parts.last() = QStringLiteral("-");
        }
        const QString key = parts.takeLast();
        Qt::KeyboardModifiers held;
        bool known = !key.isEmpty();
        for (const QString &part : std::as_const(parts)) {
            const auto modifier = modifiers.constFind(part);
            known = known && modifier != modifiers.constEnd();
            if (known)
                held |= *modifier;
        }
        if (known) {
            if (const auto combination = ::combination(held, key))
                found.append(*combination);
        }
    }
    return found;
}

bool DesktopKeyboardSettings::matches(QKeyCombination combination, quint32 keyCode, quint32 modifiers)
{
    const Qt::KeyboardModifiers held = combination.keyboardModifiers();
    const quint32 mask = (held.testFlag(Qt::MetaModifier) ? 0x100u : 0u)
        | (held.testFlag(Qt::ShiftModifier) ? 0x200u : 0u) | (held.testFlag(Qt::AltModifier) ? 0x800u : 0u)
        | (held.testFlag(Qt::ControlModifier) ? 0x1000u : 0u);
    if (mask != modifiers)
        return false;
    const int key = combination.key();
    // A key that types a character is bound by that character, wherever the layout puts it.
    if (key > 0x20 && key < 0x100) {
        const QString text = KeyCodes::unmodifiedText(keyCode);
        return text.size() == 1 && text.at(0).toUpper().unicode() == key;
    }
    return KeyCodes::fromQtKey(key) == qint64(keyCode);
}

DesktopKeyboardSettings::DesktopKeyboardSettings(QObject *parent)
    : DesktopShortcuts(parent)
{
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(answerTime);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        // Each one ended answers as one that failed, through its `finished`.
        for (QProcess *process : findChildren<QProcess *>())
            process->kill();
    });
}

void DesktopKeyboardSettings::read()
{
    if (m_partsDue > 0)
        return;
    const QString wm = X11Desktop::windowManagerName().toLower();
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toLower().split(QLatin1Char(':'));
    const auto runs = [&](const QStringList &names, const QStringList &windowManagers) {
        for (const QString &name : names) {
            if (desktops.contains(name))
                return true;
        }
        for (const QString &name : windowManagers) {
            if (wm.contains(name))
                return true;
        }
        return false;
    };

    m_found.clear();
    // The files' part counts from the start, so that no part ends the read before all began.
    m_partsDue = 1;
    if (runs({ QStringLiteral("gnome"), QStringLiteral("unity"), QStringLiteral("ubuntu") },
            { QStringLiteral("gnome shell"), QStringLiteral("mutter") })) {
        const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
        for (const char *schema : { "org.gnome.desktop.wm.keybindings", "org.gnome.shell.keybindings",
                 "org.gnome.mutter.keybindings", "org.gnome.settings-daemon.plugins.media-keys" }) {
            if (!gsettings.isEmpty())
                askGsettings(gsettings, QString::fromLatin1(schema));
        }
    }
    const bool xfce = runs({ QStringLiteral("xfce") }, { QStringLiteral("xfwm") });
    const bool kde = runs({ QStringLiteral("kde") }, { QStringLiteral("kwin") });
    const bool openbox = runs({ QStringLiteral("lxde"), QStringLiteral("openbox") }, { QStringLiteral("openbox") });
    if (!xfce && !kde && !openbox) {
        partDone({});
        return;
    }
    auto *files = new QFutureWatcher<QList<QKeyCombination>>(this);
    connect(files, &QFutureWatcherBase::finished, this, [this, files] {
        files->deleteLater();
        partDone(files->result());
    });
    files->setFuture(QtConcurrent::run([xfce, kde, openbox] {
        QList<QKeyCombination> found;
        if (xfce)
            found += fromXfceChannel(
                readConfig(QStringLiteral("xfce4/xfconf/xfce-perchannel-xml/xfce4-keyboard-shortcuts.xml")));
        if (kde)
            found += fromKdeGlobalShortcuts(QString::fromUtf8(readConfig(QStringLiteral("kglobalshortcutsrc"))));
        if (openbox)
            found += fromOpenboxConfig(readConfig(QStringLiteral("openbox/rc.xml")));
        return found;
    }));
}

void DesktopKeyboardSettings::askGsettings(const QString &program, const QString &schema)
{
    ++m_partsDue;
    auto *process = new QProcess(this);
    const auto answered = [this, process] {
        QList<QKeyCombination> found;
        if (process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0)
            found = fromGtkAccelerators(QString::fromUtf8(process->readAllStandardOutput()));
        else
            qCDebug(lcPlatform) << "no keyboard settings from" << process->arguments();
        process->deleteLater();
        partDone(found);
    };
    connect(process, &QProcess::finished, this, answered);
    connect(process, &QProcess::errorOccurred, this, [answered](QProcess::ProcessError error) {
        // The other errors end with `finished`.
        if (error == QProcess::FailedToStart)
            answered();
    });
    m_deadline.start();
    process->start(program, { QStringLiteral("list-recursively"), schema });
}

void DesktopKeyboardSettings::partDone(const QList<QKeyCombination> &found)
{
    m_found += found;
    if (--m_partsDue > 0)
        return;
    m_deadline.stop();
    m_shortcuts = std::exchange(m_found, {});
    Q_EMIT answered();
}

bool DesktopKeyboardSettings::lists(quint32 keyCode, quint32 modifiers) const
{
    return std::any_of(m_shortcuts.cbegin(), m_shortcuts.cend(),
        [&](QKeyCombination shortcut) { return matches(shortcut, keyCode, modifiers); });
}
