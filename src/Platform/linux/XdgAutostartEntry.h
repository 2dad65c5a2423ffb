#pragma once

#include "Platform/LoginItemService.h"

// The login item as an XDG autostart entry, "autostart/vemra.desktop" in the user's
// configuration folder, whose command carries --login-item so that a start at login can
// be told from one by the user. Registering writes the entry atomically; unregistering
// removes it. An entry that the desktop has switched off (Hidden=true or
// X-GNOME-Autostart-enabled=false), or one that starts some other program (a copy in an old
// build folder), counts as not registered, so registering writes it afresh.
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

    // The program an Exec value starts, its quoting and escapes undone; a bare name is looked
    // up on the PATH as the desktop would. Empty when there is none.
    static QString programOf(const QString &execValue);

    QString entryPath() const { return m_entryPath; }

    Status status() const override;
    std::optional<QString> registerItem() override;
    std::optional<QString> unregisterItem() override;
    // The desktop never holds an autostart entry back for approval.
    void openApprovalSettings() override { }

private:
    QString m_entryPath;
    QString m_executablePath;
};
