#pragma once

#include "Models/Shell/Appearance.h"

#include <QObject>

class SettingsStore;

// The user's settings, read once at creation and written through to the settings store on
// every assignment. Each setting's signal fires only on a real change; the two "assigned"
// signals fire on every assignment of their settings, equal or not, so the owner can
// re-evaluate at will.
class Preferences final : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultFocusMinutes = 25;
    static constexpr int minimumFocusMinutes = 1;
    static constexpr int maximumFocusMinutes = 1440;

    // Reads every setting; writes nothing back, so a missing or rejected value stays as it is
    // in the store until the setting is next assigned.
    explicit Preferences(SettingsStore &defaults, QObject *parent = nullptr);

    bool monitorsClipboard() const { return m_monitorsClipboard; }
    bool isClipboardPaused() const { return m_isClipboardPaused; }
    int focusMinutes() const { return m_focusMinutes; }
    bool focusPlaysSound() const { return m_focusPlaysSound; }
    bool focusSilencesNotifications() const { return m_focusSilencesNotifications; }
    Appearance appearance() const { return m_appearance; }

    // Whether clipboard capture should run: switched on and not paused.
    bool isRecordingClipboard() const { return m_monitorsClipboard && !m_isClipboardPaused; }

    void setMonitorsClipboard(bool value);
    void setClipboardPaused(bool value);
    // Kept within 1…1440 minutes, the range every reader accepts.
    void setFocusMinutes(int value);
    void setFocusPlaysSound(bool value);
    void setFocusSilencesNotifications(bool value);
    void setAppearance(Appearance value);

Q_SIGNALS:
    void monitorsClipboardChanged(bool value);
    void clipboardPausedChanged(bool value);
    void isRecordingClipboardChanged(bool value);
    void focusMinutesChanged(int value);
    void focusPlaysSoundChanged(bool value);
    void focusSilencesNotificationsChanged(bool value);
    void appearanceChanged(Appearance value);
    // After every assignment of monitorsClipboard or clipboardPaused, equal or not, once the
    // value is written.
    void clipboardSwitchAssigned();
    // After every assignment of appearance, equal or not, once the value is written.
    void appearanceAssigned();

private:
    void afterClipboardSwitch(bool wasRecording);
    // Keeps `value`, writes `stored` under `key` on every assignment, and notifies only when the
    // value really changed.
    template <typename T>
    void assign(T &member, T value, const QString &key, const QVariant &stored, void (Preferences::*changed)(T));

    SettingsStore &m_defaults;
    bool m_monitorsClipboard = true;
    bool m_isClipboardPaused = false;
    int m_focusMinutes = defaultFocusMinutes;
    bool m_focusPlaysSound = true;
    bool m_focusSilencesNotifications = true;
    Appearance m_appearance = Appearance::System;
};
