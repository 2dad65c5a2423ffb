#pragma once

#include "Platform/DesktopShortcuts.h"

#include <QKeyCombination>
#include <QList>
#include <QString>
#include <QTimer>

#include <chrono>

// The shortcuts of the desktop that runs, read from its own keyboard settings: GNOME's
// keybinding settings (through gsettings), Xfce's keyboard-shortcuts channel, KDE's global
// shortcuts file and openbox's configuration. Which desktop runs is told by
// XDG_CURRENT_DESKTOP and the window manager's name. Every read asks afresh, and waits for
// nothing: gsettings answers through its process's `finished` (or is given up after
// `answerTime`), the files are read on another thread.
class DesktopKeyboardSettings final : public DesktopShortcuts
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds answerTime { 2000 };

    explicit DesktopKeyboardSettings(QObject *parent = nullptr);

    void read() override;
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
    // Starts `gsettings` for one schema; its answer is one part of the read.
    void askGsettings(const QString &program, const QString &schema);
    // One part of the read under way is in; the read ends with the last.
    void partDone(const QList<QKeyCombination> &found);

    QList<QKeyCombination> m_shortcuts;
    // What the read under way found so far, and its parts not in yet.
    QList<QKeyCombination> m_found;
    int m_partsDue = 0;
    // Ends the gsettings that have not answered in time.
    QTimer m_deadline;
};
