#pragma once

#include "Platform/DesktopShortcuts.h"

#include <QKeyCombination>
#include <QList>
#include <QString>

// The shortcuts of the desktop that runs, read from its own keyboard settings: GNOME's
// keybinding settings (through gsettings), Xfce's keyboard-shortcuts channel, KDE's global
// shortcuts file and openbox's configuration. Which desktop runs is told by
// XDG_CURRENT_DESKTOP and the window manager's name. Nothing is cached.
class DesktopKeyboardSettings final : public DesktopShortcuts
{
public:
    bool lists(quint32 keyCode, quint32 modifiers) const override;

    // The readers of each format, in Qt's terms (Super is Meta); what they cannot read they skip.
    // GTK accelerators ("<Super><Shift>f"), every quoted one in the text.
    static QList<QKeyCombination> fromGtkAccelerators(const QString &text);
    static QList<QKeyCombination> fromXfceChannel(const QByteArray &xml);
    static QList<QKeyCombination> fromKdeGlobalShortcuts(const QString &text);
    static QList<QKeyCombination> fromOpenboxConfig(const QByteArray &xml);

    // Whether the combination names the key code and modifiers, on the current keyboard layout.
    static bool matches(QKeyCombination combination, quint32 keyCode, quint32 modifiers);

private:
    QList<QKeyCombination> current() const;
};
