#pragma once

#include <QHash>
#include <QList>
#include <QString>

// The installed desktop entries (applications/*.desktop in the XDG data folders), read once,
// to name the application behind a window.
class DesktopEntryIndex final
{
public:
    struct Entry
    {
        QString id; // the desktop file id without ".desktop" ("org.gnome.Terminal")
        QString name; // Name in the user's language, else Name
    };

    // Reads the folders now; `locale` picks the translated name ("de_DE" tries Name[de_DE]
    // then Name[de]).
    explicit DesktopEntryIndex(const QString &locale);

    // The entry of a window by its WM_CLASS instance and class and its executable's file
    // name, tried in that order of certainty: StartupWMClass, the desktop id (or its last
    // dotted part), then the program the entry runs. Nothing when none fits.
    const Entry *find(const QString &wmInstance, const QString &wmClass, const QString &executable) const;

private:
    void read(const QString &folder, const QString &prefix, const QString &locale);

    QList<Entry> m_entries;
    QHash<QString, qsizetype> m_byWmClass; // lower-cased StartupWMClass
    QHash<QString, qsizetype> m_byId; // lower-cased id and its last dotted part
    QHash<QString, qsizetype> m_byExec; // file name of the program in Exec
};
