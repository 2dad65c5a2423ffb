#pragma once

#include "Views/Settings/FocusDurationChoice.h"
#include "Views/Settings/SettingsForm.h"

class FileRevealer;
class FocusSessionManager;
class HotKeyCenter;
class HotKeys;
class Preferences;
class QComboBox;
class SettingsNote;
class SettingsRow;
class SettingsSection;
class SettingsStepper;
class SettingsSwitch;
class ShortcutRecorder;
class SilencingSetup;

// The third settings pane: the length the Focus tab starts with (a preset, or Custom with an
// hours and a minutes stepper), the completion sound, the Focus shortcut with its note, and
// whether sessions silence notifications, with the setup guide while they do. Every control
// writes its setting at once; the pane keeps only whether Custom is chosen.
class FocusSettings final : public SettingsForm
{
    Q_OBJECT

public:
    FocusSettings(Preferences &preferences, HotKeys &hotKeys, FocusSessionManager &focus, FileRevealer &revealer,
        QWidget *parent = nullptr);

    // The note under the Focus shortcut: its problem, else the reason for the substitute
    // shortcut while the substitute is in force, else nothing (an empty text).
    struct ShortcutNote
    {
        bool isProblem = false;
        QString text;
    };
    static ShortcutNote shortcutNote(const HotKeyCenter &center);

    QComboBox *durationPicker() const { return m_picker; }
    SettingsRow *customRow() const { return m_customRow; }
    SettingsStepper *hoursStepper() const { return m_hours; }
    SettingsStepper *minutesStepper() const { return m_minutes; }
    SettingsSwitch *soundSwitch() const { return m_sound; }
    ShortcutRecorder *shortcutRecorder() const { return m_recorder; }
    SettingsNote *shortcutNoteRow() const { return m_note; }
    SettingsSwitch *silenceSwitch() const { return m_silence; }
    // The setup guide, while silencing is on.
    SilencingSetup *setupGuide() const { return m_setup; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showDuration();
    void refreshShortcutNote();
    void showSilencing();

    Preferences &m_preferences;
    HotKeyCenter &m_focusShortcut;
    FocusSessionManager &m_focus;
    FileRevealer &m_revealer;
    FocusDurationChoice m_duration;
    QComboBox *m_picker;
    SettingsStepper *m_hours;
    SettingsStepper *m_minutes;
    SettingsRow *m_customRow = nullptr;
    SettingsSwitch *m_sound;
    ShortcutRecorder *m_recorder;
    SettingsNote *m_note;
    SettingsSwitch *m_silence;
    SettingsSection *m_silencing = nullptr;
    SilencingSetup *m_setup = nullptr;
};
