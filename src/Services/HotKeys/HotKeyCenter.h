#pragma once

#include "Models/HotKeys/KeyCombo.h"
#include "Platform/HotKeyBackend.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>
#include <optional>

class DesktopShortcuts;
class SettingsStore;

// One global shortcut: its purpose, standard combination, the combination in force (or none),
// kept in the settings under its own key, registered with the backend, and, when it cannot
// be active, a one-sentence `problem` that the settings show beside the recorder.
//
// States: off (no combo), active (registered), blocked (problem set), suspended (while a
// recorder listens: nothing registered, combo and problem unchanged), and waiting for the
// desktop's keyboard settings, which every registration reads first (nothing registered, combo
// and problem unchanged). A combination held by another client at launch is tried again up to
// three times, one retry interval apart.
class HotKeyCenter final : public QObject
{
    Q_OBJECT

public:
    static constexpr int launchRetryCount = 3;
    static constexpr std::chrono::milliseconds defaultRetryInterval { 1000 };

    // Reads the stored combination under `settingsKey` (missing: the standard one; incomplete,
    // empty or one the recorder would refuse: none) and registers it once the desktop's keyboard
    // settings answer; when they list `preferred`, the fallback becomes the standard one then
    // (and `note` says why). `settings`, `backend` and `desktop` outlive the centre.
    HotKeyCenter(quint32 id, const QString &purpose, const QString &settingsKey, const KeyCombo &preferred,
        const std::optional<KeyCombo> &fallback, SettingsStore &settings, HotKeyBackend &backend,
        DesktopShortcuts &desktop, QObject *parent = nullptr,
        std::chrono::milliseconds retryInterval = defaultRetryInterval);
    ~HotKeyCenter() override;

    quint32 id() const { return m_id; }
    // "New Todo" or "Focus".
    QString purpose() const { return m_purpose; }
    QString settingsKey() const { return m_settingsKey; }
    // The combination used when nothing is stored, and the one the recorder's reset restores.
    KeyCombo standard() const { return m_standard; }
    // Observed through comboChanged(); none means the user has no shortcut for this purpose.
    std::optional<KeyCombo> combo() const { return m_combo; }
    // Observed through problemChanged(); empty while the combination is active or absent.
    QString problem() const { return m_problem; }
    // Set once, at the desktop's first answer: why the standard combination is the fallback
    // (else empty).
    QString note() const { return m_note; }
    // Whether the combination is registered right now.
    bool isActive() const { return m_registered; }
    // Whether the desktop's keyboard settings, as last read, list the combination as one of its
    // own.
    bool desktopUsesCombo() const;

    // The user's choice (a recorded combination, none for removal, or standard()): stored at
    // once (the empty dictionary for none) and registered; never retried, and any retry still
    // pending from launch is dropped.
    void set(const std::optional<KeyCombo> &combo);
    // For the recorder: releases the hot key so pressing it does not fire, drops a pending
    // retry, and pauses the backend so the other shortcut's keys reach the recorder too.
    // combo and problem stay as they are.
    void suspend();
    // Ends a suspension; registers again unless a hot key is held.
    void resume();
    bool isSuspended() const { return m_suspended; }

    // The one recorder listening for either centre of the pair, so a press has one owner: a
    // listener that begins dismisses the one before it (through its centre's
    // listenerDismissed()) first. Ending is a no-op for a listener that no longer listens.
    void beginListening(const QObject *listener);
    void endListening(const QObject *listener);
    bool isListener(const QObject *listener) const { return listener && m_listener == listener; }
    // Whether a listener takes the keyboard, which on X11 also brings the presses the desktop
    // would take for its own shortcuts.
    static bool listenerGrabsKeyboard();

    // Set by HotKeys: the other centre, so the two never share a combination (nor a listener).
    void setOther(HotKeyCenter &other) { m_other = &other; }
    // Works the problem out again (used by HotKeys once the pair is linked).
    void reregister() { registerCombo(); }

Q_SIGNALS:
    // The combination in force changed, or the standard one (with the note) once the desktop
    // first answered.
    void comboChanged();
    void problemChanged();
    // The shortcut was pressed.
    void pressed();
    // The listener of this centre was replaced by another recorder's; it stops listening.
    void listenerDismissed();

private:
    // Registers once the desktop's keyboard settings answer.
    void registerCombo();
    void desktopAnswered();
    // Picks the fallback as the standard combination when the desktop lists the preferred one.
    void settleStandard();
    // Registers the combination; gives the problem sentence (empty on success or without a
    // combination) and whether an obstacle held by another client may be retried.
    QString tryRegister(bool *retry);
    void unregisterCombo();
    void setCombo(const std::optional<KeyCombo> &combo);
    void setProblem(const QString &problem);
    void scheduleRetry();
    void retry();
    void onPressed(quint32 id);

    quint32 m_id;
    QString m_purpose;
    QString m_settingsKey;
    KeyCombo m_standard;
    std::optional<KeyCombo> m_fallback;
    bool m_standardSettled = false;
    bool m_registrationDue = false;
    std::optional<KeyCombo> m_combo;
    QString m_problem;
    QString m_note;
    HotKeyCenter *m_other = nullptr;
    QPointer<const QObject> m_listener;
    SettingsStore &m_settings;
    HotKeyBackend &m_backend;
    DesktopShortcuts &m_desktop;
    bool m_registered = false;
    bool m_suspended = false;
    int m_launchRetries = launchRetryCount;
    QTimer m_retryTimer;
};
