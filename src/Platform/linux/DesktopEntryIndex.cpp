#include "Platform/linux/DesktopEntryIndex.h"

#include "Platform/linux/DesktopEntryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

DesktopEntryIndex::DesktopEntryIndex(const QString &locale)
{
    // The first folder holding an id wins, as in the XDG menu rules.
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    for (const QString &folder : folders)
        read(folder, QString(), locale);
}

void DesktopEntryIndex::read(const QString &folder, const QString &prefix, const QString &locale)
{
    const QDir dir(folder);
    const QFileInfoList infos
        = dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name);
    const QString language = locale.section(QLatin1Char('_'), 0, 0);
    for (const QFileInfo &info : infos) {
        if (info.isDir()) {
            read(info.filePath(), prefix + info.fileName() + QLatin1Char('-'), locale);
            continue;
        }
        if (info.suffix() != QLatin1String("desktop"))
            continue;
        const QString id = prefix + info.completeBaseName();
        if (m_byId.contains(id.toLower()))
            continue;
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QString name, localName, languageName, wmClass, exec, type;
        bool hidden = false;
        DesktopEntryFile::readMainGroup(file, [&](const QString &key, const QString &value) {
            if (key == QLatin1String("Name"))
                name = value;
            else if (key == QLatin1String("Name[") + locale + QLatin1Char(']'))
                localName = value;
            else if (key == QLatin1String("Name[") + language + QLatin1Char(']'))
                languageName = value;
            else if (key == QLatin1String("StartupWMClass"))
                wmClass = value;
            else if (key == QLatin1String("Exec"))
                exec = value;
            else if (key == QLatin1String("Type"))
                type = value;
            else if (key == QLatin1String("Hidden"))
                hidden = value == QLatin1String("true");
            return true;
        });
        if (hidden || type != QLatin1String("Application") || name.isEmpty())
            continue;
        const qsizetype index = m_entries.size();
        m_entries.append({ id, !localName.isEmpty() ? localName : !languageName.isEmpty() ? languageName : name });
        m_byId.insert(id.toLower(), index);
        const QString lastPart = id.section(QLatin1Char('.'), -1).toLower();
        if (!m_byId.contains(lastPart))
            m_byId.insert(lastPart, index);
        if (!wmClass.isEmpty() && !m_byWmClass.contains(wmClass.toLower()))
            m_byWmClass.insert(wmClass.toLower(), index);
        QString program = exec.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
        program.remove(QLatin1Char('"'));
        program = QFileInfo(program).fileName();
        if (!program.isEmpty() && program != QLatin1String("env") && program != QLatin1String("flatpak")
            && !m_byExec.contains(program))
            m_byExec.insert(program, index);
    }
}

const DesktopEntryIndex::Entry *DesktopEntryIndex::find(
    const QString &wmInstance, const QString &wmClass, const QString &executable) const
{
    auto lookup = [this](const QHash<QString, qsizetype> &table, const QString &key) -> const Entry * {
        if (key.isEmpty())
            return nullptr;
        const auto it = table.constFind(key);
        return it == table.cend() ? nullptr : &m_entries.at(*it);
    };
    for (const QString &key : { wmClass.toLower(), wmInstance.toLower() }) {
        if (const Entry *entry = lookup(m_byWmClass, key))
            return entry;
    }
    for (const QString &key : { wmClass.toLower(), wmInstance.toLower() }) {
        if (const Entry *entry = lookup(m_byId, key))
            return entry;
    }
    return lookup(m_byExec, executable);
}
