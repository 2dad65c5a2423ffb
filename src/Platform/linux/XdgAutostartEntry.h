#pragma once

#include "Platform/LoginItemService.h"

#include <QStringList>

// The login item as an XDG autostart entry, "autostart/vemra.desktop" in the user's
// configuration folder, whose command carries --login-item so that a start at login can
// be told from one by the user. Registering writes the entry atomically; unregistering
// removes it, and every other entry of the folder that starts this program. An entry under any
// name that starts this program, directly or through `env` (which sets variables first), counts
// as registered; one that the desktop has switched off (Hidden=true or
// X-GNOME-Autostart-enabled=false), or one that starts some other program (a copy in an old
// build folder), counts as not registered. An entry in any other form than the one written
// here is the user's own: usersOwnEntry() names it, so the caller asks before it is replaced or
// removed. The entry is written 0644 in a folder that others cannot write.
class XdgAutostartEntry final : public LoginItemService
{
public:
    // Starts the running executable, found by its absolute path.
    XdgAutostartEntry();
    XdgAutostartEntry(QString entryPath, QString executablePath);

    // "$XDG_CONFIG_HOME/autostart/vemra.desktop".
    static QString defaultEntryPath();
    // The Exec value of the entry: the executable quoted and escaped for a desktop entry,
    // then --login-item.
    static QString execLine(const QString &executablePath);

    // The words of an Exec value, its escapes and quoting undone.
    static QStringList argumentsOf(const QString &execValue);
    // The program an Exec value starts, behind an `env` wrapper if there is one; a bare name is
    // looked up on the PATH as the desktop would. Empty when there is none.
    static QString programOf(const QString &execValue);

    QString entryPath() const { return m_entryPath; }

    Status status() const override;
    std::optional<QString> usersOwnEntry() const override;
    std::optional<QString> registerItem() override;
    std::optional<QString> unregisterItem() override;
    // The desktop never holds an autostart entry back for approval.
    void openApprovalSettings() override { }

private:
    struct Reading
    {
        bool exists = false;
        bool written = false; // in the form registerItem() writes
        bool disabled = false;
        QString program;
    };
    static Reading read(const QString &entryPath);
    // Whether the entry is on and starts the running executable.
    bool startsThisProgram(const Reading &reading) const;
    // The entries of the folder under other names that are on and start this program.
    QStringList othersStartingThisProgram() const;
    // Takes group and others' write access away from a folder of the user's own.
    static std::optional<QString> closeToOthers(const QString &folder);

    QString m_entryPath;
    QString m_executablePath;
};
