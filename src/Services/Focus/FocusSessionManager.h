#pragma once

#include "Models/Common/Result.h"
#include "Models/Focus/FocusSession.h"
#include "Models/Focus/FocusSilencerReadiness.h"
#include "Services/Focus/SilencingQueue.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <qcoro/qcorotask.h>

#include <optional>

class Clock;
class FocusNotifying;
class FocusSilencer;
class FileRevealer;
class FocusTimers;
class Preferences;
class SettingsStore;

// The engine of focus sessions: starts one, counts it down once a second, ends it when it runs
// out or when the user ends it, keeps the current or last session stored across relaunches,
// catches up after the computer wakes, and silences notifications for the session through the
// silencer. Main thread only; one for the life of the process.
//
// Silencing work (turning Do Not Disturb on for a session and back off at its end) runs one
// operation after another in the order it was started, so that a new session never reads the
// state an earlier session is about to change. Readiness checks do not wait for it.
class FocusSessionManager final : public QObject
{
    Q_OBJECT

public:
    enum class Phase { Idle, Starting, Active, Completed, Ended };
    Q_ENUM(Phase)
    enum class StartResult { Started, AlreadyRunning, InvalidDuration };
    Q_ENUM(StartResult)

    // The settings key of the stored session.
    static inline const QString storageKey = QStringLiteral("focusSession");
    // Reads of the current mode while a turn-on is confirmed, and the pause between them.
    static constexpr int confirmationReads = 5;
    static constexpr std::chrono::milliseconds confirmationPause { 400 };
    // The first tick comes this long after the remaining time crosses a whole second.
    static constexpr std::chrono::milliseconds tickOffset { 10 };

    FocusSessionManager(FocusSilencer &silencer, FocusNotifying &notifier, Preferences &preferences,
        SettingsStore &defaults, const Clock &clock, FocusTimers &timers, QObject *parent = nullptr);

    // The current session, or the last one after it ended; never cleared once set.
    const std::optional<FocusSession> &session() const { return m_session; }
    // The clock reading of the last tick (or start, or wake): what the countdown is drawn against.
    QDateTime now() const { return m_now; }
    std::optional<FocusSession> activeSession() const;
    // Seconds left of the active session at `now()`, 0 without one.
    double remaining() const;
    Phase phase() const;

    // The last readiness answer; none until a check has finished.
    std::optional<FocusSilencerReadiness> readiness() const { return m_readiness; }
    // For a check made elsewhere (the settings' setup guide).
    void setReadiness(const FocusSilencerReadiness &readiness);
    // Starts a readiness check and returns its number. When the answer is in, it is stored in
    // readiness() and readinessChecked() reports the number, always after this call returned.
    int checkReadiness(bool asking);
    // Where the user sets silencing up.
    QString setupFolder() const;
    // Makes the setup folder when it is missing and opens it in the file manager: false where
    // the desktop has none, and the folder is made but not opened. A folder that cannot be
    // made is reported, not opened.
    Result<bool> openSetupFolder(FileRevealer &revealer) const;

    // Starts a session of 1…1440 minutes, refused while another one runs.
    StartResult start(int minutes, bool silencing);
    // Ends the active session early; nothing without one.
    void end();
    // Once at launch: takes up the stored session, finishing it late when its end has passed.
    void restoreSaved();
    // After the computer woke: a session whose end passed during the sleep finishes on time.
    void catchUp();

Q_SIGNALS:
    void sessionChanged();
    void nowChanged();
    void readinessChanged();
    void readinessChecked(int check);
    // After every tick and every change of the session.
    void changed();

private:
    void setSession(const FocusSession &session);
    void setNow(const QDateTime &now);
    void startTicking();
    void stopTicking();
    void tick();
    void finish(bool completed, bool late);
    void save();
    std::optional<FocusSession> load() const;

    QCoro::Task<> silence(QUuid id);
    QCoro::Task<FocusSilencing> silencingResult(QUuid id);
    void recordTurningOn(QUuid id);
    void forgetTurningOn(QUuid id);
    void recordNotification(quint32 notificationId);
    QCoro::Task<Result<std::optional<QString>>> confirmedFocus();
    QCoro::Task<> restore(FocusSilencing silencing);
    QCoro::Task<> endOfSession(FocusSession session, bool completed, bool late);
    QCoro::Task<> runCheck(int check, bool asking);

    FocusSilencer &m_silencer;
    FocusNotifying &m_notifier;
    Preferences &m_preferences;
    SettingsStore &m_defaults;
    const Clock &m_clock;
    FocusTimers &m_timers;
    std::optional<FocusSession> m_session;
    QDateTime m_now;
    std::optional<FocusSilencerReadiness> m_readiness;
    SilencingQueue m_queue;
    int m_lastCheck = 0;
};
