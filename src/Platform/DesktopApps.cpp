#include "Platform/DesktopApps.h"

#include <array>

namespace {

constexpr std::array passwordManagers {
    "org.keepassxc.KeePassXC",
    "keepassxc",
    "keepass2",
    "KeePass",
    "bitwarden",
    "com.bitwarden.desktop",
    "1password",
    "enpass",
    "in.sinew.Enpass-Desktop",
    "proton-pass",
    "Proton Pass",
    "me.proton.pass.electron",
    "org.gnome.seahorse.Application",
    "seahorse",
    "org.kde.kwalletmanager5",
    "org.kde.kwalletmanager",
    "kwalletmanager5",
    "kwalletmanager",
    "org.gnome.World.Secrets",
    "secrets",
};

constexpr std::array codeApps {
    // editors
    "code",
    "code-oss",
    "code-url-handler",
    "com.visualstudio.code",
    "com.visualstudio.code.oss",
    "codium",
    "vscodium",
    "com.vscodium.codium",
    "jetbrains-",
    "com.jetbrains.",
    "com.google.AndroidStudio",
    "android-studio",
    "sublime_text",
    "com.sublimetext.",
    "dev.zed.Zed",
    "zed",
    "org.kde.kate",
    "kate",
    "gvim",
    "emacs",
    "org.gnu.emacs",
    "geany",
    "org.geany.Geany",
    "neovide",
    // terminals
    "org.gnome.Terminal",
    "gnome-terminal",
    "gnome-terminal-server",
    "org.gnome.Console",
    "kgx",
    "org.gnome.Ptyxis",
    "org.kde.konsole",
    "konsole",
    "xterm",
    "uxterm",
    "kitty",
    "net.kovidgoyal.kitty",
    "alacritty",
    "org.alacritty",
    "org.wezfurlong.wezterm",
    "foot",
    "footclient",
    "com.mitchellh.ghostty",
    "xfce4-terminal",
    "com.gexperts.Tilix",
    "tilix",
    "terminator",
    "urxvt",
    "rxvt",
    "st",
    "st-256color",
    "terminology",
    "io.elementary.terminal",
    "qterminal",
    "lxterminal",
    "mate-terminal",
    "warp",
    "dev.warp.Warp",
};

bool matches(const QString &name, const char *entry)
{
    const QLatin1String pattern(entry);
    if (pattern.endsWith(QLatin1Char('.')) || pattern.endsWith(QLatin1Char('-')))
        return name.startsWith(pattern, Qt::CaseInsensitive);
    return name.compare(pattern, Qt::CaseInsensitive) == 0;
}

} // namespace

namespace DesktopApps {

bool isPasswordManager(const FrontApplication &app)
{
    QStringList names = app.aliases;
    names.append(app.appId);
    for (const QString &name : std::as_const(names)) {
        if (name.isEmpty())
            continue;
        for (const char *entry : passwordManagers) {
            if (matches(name, entry))
                return true;
        }
    }
    return false;
}

bool isCodeApp(const QString &appId)
{
    if (appId.isEmpty())
        return false;
    for (const char *entry : codeApps) {
        if (matches(appId, entry))
            return true;
    }
    return false;
}

} // namespace DesktopApps
