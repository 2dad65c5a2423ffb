#include "Platform/DesktopApps.h"

#include <array>

namespace {

// Each application by every name it goes by: desktop ids, window classes, executables, and the
// identifiers its macOS build carries (an export made there names them). An entry ending in
// "-" matches as a prefix; one ending in "*" is an identifier's exact prefix.

// clang-format off
constexpr std::array passwordManagers {
    "org.keepassxc.KeePassXC", "org.keepassxc.keepassxc", "keepassxc",
    "keepass2", "KeePass",
    "bitwarden", "com.bitwarden.desktop",
    "1password", "com.1password.1password", "com.agilebits.onepassword7", "com.agilebits.onepassword-osx",
    "enpass", "in.sinew.Enpass-Desktop",
    "proton-pass", "Proton Pass", "me.proton.pass.electron",
    "com.lastpass.LastPass",
    "com.dashlane.dashlanephonefinal",
    "com.markmcguill.strongbox.mac",
    "com.apple.Passwords", "com.apple.keychainaccess",
    "org.gnome.seahorse.Application", "seahorse",
    "org.kde.kwalletmanager5", "org.kde.kwalletmanager", "kwalletmanager5", "kwalletmanager",
    "org.gnome.World.Secrets", "secrets",
};

constexpr std::array codeApps {
    // editors
    "code", "code-oss", "code-url-handler", "com.visualstudio.code", "com.visualstudio.code.oss",
    "com.microsoft.VSCode*",
    "codium", "vscodium", "com.vscodium*",
    "com.todesktop.230313mzl4w4u92*", "com.exafunction.windsurf*",
    "jetbrains-", "com.jetbrains.*",
    "android-studio", "com.google.AndroidStudio", "com.google.android.studio*",
    "sublime_text", "com.sublimetext.*",
    "zed", "dev.zed.Zed*",
    "com.apple.dt.Xcode*", "com.panic.Nova*", "com.barebones.bbedit*", "org.vim.MacVim*",
    "com.apple.ScriptEditor2*",
    "org.kde.kate", "kate", "gvim", "emacs", "org.gnu.emacs", "geany", "org.geany.Geany", "neovide",
    // terminals
    "org.gnome.Terminal", "gnome-terminal", "gnome-terminal-server", "org.gnome.Console", "kgx", "org.gnome.Ptyxis",
    "org.kde.konsole", "konsole",
    "xterm", "uxterm",
    "kitty", "net.kovidgoyal.kitty*",
    "alacritty", "org.alacritty*",
    "org.wezfurlong.wezterm", "foot", "footclient",
    "ghostty", "com.mitchellh.ghostty*",
    "xfce4-terminal", "com.gexperts.Tilix", "tilix", "terminator", "urxvt", "rxvt", "st", "st-256color",
    "terminology", "io.elementary.terminal", "qterminal", "lxterminal", "mate-terminal",
    "warp", "dev.warp.Warp*",
    "com.apple.Terminal*", "com.googlecode.iterm2*", "co.zeit.hyper*",
};
// clang-format on

// A name matches an entry whole, or after a vendor's prefix ("debian-xterm" is xterm), or
// begins with it where the entry is a prefix.
bool matches(const QString &name, const char *entry)
{
    const QLatin1String pattern(entry);
    if (pattern.endsWith(QLatin1Char('*')))
        return name.startsWith(pattern.chopped(1), Qt::CaseSensitive);
    if (pattern.endsWith(QLatin1Char('-')))
        return name.startsWith(pattern, Qt::CaseInsensitive);
    if (name.compare(pattern, Qt::CaseInsensitive) == 0)
        return true;
    return name.size() > pattern.size() && name.endsWith(pattern, Qt::CaseInsensitive)
        && name.at(name.size() - pattern.size() - 1) == QLatin1Char('-');
}

template <std::size_t N> bool listed(const QString &name, const std::array<const char *, N> &table)
{
    if (name.isEmpty())
        return false;
    return std::any_of(table.begin(), table.end(), [&name](const char *entry) { return matches(name, entry); });
}

} // namespace

namespace DesktopApps {

bool isPasswordManager(const FrontApplication &app)
{
    if (listed(app.appId, passwordManagers))
        return true;
    return std::any_of(
        app.aliases.begin(), app.aliases.end(), [](const QString &name) { return listed(name, passwordManagers); });
}

QStringList passwordManagerNames()
{
    // The applications of the password-manager table, in its order, by the names people know.
    return { QStringLiteral("KeePassXC"), QStringLiteral("KeePass"), QStringLiteral("Bitwarden"),
        QStringLiteral("1Password"), QStringLiteral("Enpass"), QStringLiteral("Proton Pass"),
        QStringLiteral("Passwords and Keys"), QStringLiteral("KWalletManager"), QStringLiteral("Secrets") };
}

bool isCodeApp(const QString &appId)
{
    return listed(appId, codeApps);
}

} // namespace DesktopApps
