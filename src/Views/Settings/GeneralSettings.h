#pragma once

#include "Views/Settings/SettingsForm.h"

class AppearancePicker;
class HotKeyCenter;
class HotKeys;
class LaunchAtLogin;
class Preferences;
class QLabel;
class QAbstractButton;
class SettingsNote;
class SettingsRow;
class SettingsSwitch;
class ShortcutRecorder;
class Updater;

// The first settings pane: the appearance, starting at login, the New Todo shortcut with its
// problem line and the note under its section, automatic update checks and the running
// version with "Check Now". It keeps no setting of its own: every row shows a service and
// writes to it at once, and each showing reads the login item back from the system.
class GeneralSettings final : public SettingsForm
{
    Q_OBJECT

public:
    GeneralSettings(LaunchAtLogin &launchAtLogin, HotKeys &hotKeys, Updater &updater, Preferences &preferences,
        QWidget *parent = nullptr);

    // What the note under the shortcut section says about the New Todo shortcut in force.
    static QString shortcutNote(const HotKeyCenter &center);

    AppearancePicker *appearancePicker() const { return m_appearance; }
    SettingsSwitch *launchAtLoginSwitch() const { return m_launchAtLogin; }
    ShortcutRecorder *shortcutRecorder() const { return m_recorder; }
    SettingsNote *shortcutProblem() const { return m_problem; }
    QLabel *shortcutFooter() const { return m_footer; }
    SettingsSwitch *automaticUpdatesSwitch() const { return m_automaticUpdates; }
    SettingsRow *versionRow() const { return m_versionRow; }
    QAbstractButton *checkNowButton() const { return m_checkNow; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refreshShortcut();
    void refreshVersion();

    LaunchAtLogin &m_login;
    HotKeyCenter &m_newTodo;
    Updater &m_updater;
    AppearancePicker *m_appearance;
    SettingsSwitch *m_launchAtLogin;
    ShortcutRecorder *m_recorder;
    SettingsNote *m_problem;
    QLabel *m_footer = nullptr;
    SettingsSwitch *m_automaticUpdates;
    SettingsRow *m_versionRow = nullptr;
    QAbstractButton *m_checkNow;
};
