#include "Services/Focus/FocusSessionManager.h"

#include "Models/Focus/FocusDuration.h"
#include "Models/Focus/FocusSessionCoding.h"
#include "Platform/Clock.h"
#include "Platform/DataPaths.h"
#include "Platform/Logging.h"
#include "Platform/SettingsStore.h"
#include "Services/Focus/FocusNotifying.h"
#include "Services/Focus/FocusSilencer.h"
#include "Services/Focus/FocusTimers.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/ShowInFolder.h"

#include <QTimer>

FocusSessionManager::FocusSessionManager(FocusSilencer &silencer, FocusNotifying &notifier, Preferences &preferences,
    SettingsStore &defaults, const Clock &clock, FocusTimers &timers, QObject *parent)
    : QObject(parent)
    , m_silencer(silencer)
    , m_notifier(notifier)
    , m_preferences(preferences)
    , m_defaults(defaults)
    , m_clock(clock)
    , m_timers(timers)
    , m_now(clock.now())
{
    connect(&m_timers, &FocusTimers::ticked, this, &FocusSessionManager::tick);
}

std::optional<FocusSession> FocusSessionManager::activeSession() const
{
    if (m_session && m_session->isActive)
        return m_session;
    return std::nullopt;
}

double FocusSessionManager::remaining() const
{
    const std::optional<FocusSession> active = activeSession();
    return active ? active->remaining(m_now) : 0.0;
}

FocusSessionManager::Phase FocusSessionManager::phase() const
{
    if (!m_session)
        return Phase::Idle;
    if (m_session->isActive)
        return m_session->silencing.kind() == FocusSilencing::Kind::Pending ? Phase::Starting : Phase::Active;
    return m_session->didComplete() ? Phase::Completed : Phase::Ended;
}

void FocusSessionManager::setReadiness(const FocusSilencerReadiness &readiness)
{
    if (m_readiness == readiness)
        return;
    m_readiness = readiness;
    Q_EMIT readinessChanged();
}

int FocusSessionManager::checkReadiness(bool asking)
{
    const int check = ++m_lastCheck;
    runCheck(check, asking);
    return check;
}

QString FocusSessionManager::setupFolder() const
{
    return m_silencer.setupFolder();
}

Result<bool> FocusSessionManager::openSetupFolder(FileRevealer &revealer) const
{
    const QString folder = setupFolder();
    if (!DataPaths::ensureFolder(folder))
        return Error { QStringLiteral("The Shortcuts folder could not be made at %1.").arg(folder), {} };
    return ShowInFolder::show(revealer, folder, ShowInFolder::Way::Open);
}

FocusSessionManager::StartResult FocusSessionManager::start(int minutes, bool silencing)
{
    if (activeSession())
        return StartResult::AlreadyRunning;
    if (minutes < FocusDuration::minimumMinutes || minutes > FocusDuration::maximumMinutes)
        return StartResult::InvalidDuration;
    FocusSession session = FocusSession::make(minutes, m_clock.now());
    // The last completion notification may still be shown: this session's takes its place.
    if (m_session)
        session.notificationId = m_session->notificationId;
    if (silencing)
        session.silencing = FocusSilencing::pending();
    setSession(session);
    save();
    startTicking();
    m_notifier.prepare();
    Q_EMIT changed();
    if (silencing)
        silence(session.id);
    return StartResult::Started;
}

void FocusSessionManager::end()
{
    finish(false, false);
}

void FocusSessionManager::restoreSaved()
{
    const std::optional<FocusSession> stored = load();
    if (!stored)
        return;
    // An ended session becomes the last session, whose outcome the tab shows.
    setSession(*stored);
    if (!stored->isActive) {
        // It ended while Do Not Disturb was being turned on, and Vemra ended before undoing it.
        if (stored->silencing.isTurningOn())
            endOfSession(*stored, false, false);
        return;
    }
    if (stored->endsAt <= m_clock.now()) {
        finish(true, true);
        return;
    }
    startTicking();
    Q_EMIT changed();
    // Vemra quit before silencing was settled: settle it now (a turn-on it had asked for counts
    // as its own). Any other result stays, so a Do Not Disturb turned on before the relaunch is
    // still turned off at the end.
    if (stored->silencing.kind() == FocusSilencing::Kind::Pending)
        silence(stored->id);
}

void FocusSessionManager::catchUp()
{
    if (!activeSession())
        return;
    tick();
    if (activeSession())
        startTicking();
}

void FocusSessionManager::setSession(const FocusSession &session)
{
    if (m_session == session)
        return;
    m_session = session;
    Q_EMIT sessionChanged();
}

void FocusSessionManager::setNow(const QDateTime &now)
{
    if (m_now == now)
        return;
    m_now = now;
    Q_EMIT nowChanged();
}

void FocusSessionManager::startTicking()
{
    stopTicking();
    setNow(m_clock.now());
    const std::optional<FocusSession> active = activeSession();
    if (!active)
        return;
    // The countdown shows the remaining time rounded up, so it changes right after the
    // remaining time crosses a whole second: tick just after that, then every second.
    const qint64 remainingMs = std::max<qint64>(0, m_now.msecsTo(active->endsAt));
    m_timers.startTicking(std::chrono::milliseconds(remainingMs % 1000) + tickOffset);
}

void FocusSessionManager::stopTicking()
{
    m_timers.stopTicking();
}

void FocusSessionManager::tick()
{
    setNow(m_clock.now());
    const std::optional<FocusSession> active = activeSession();
    if (!active) {
        stopTicking();
        return;
    }
    if (m_now >= active->endsAt) {
        finish(true, false);
        return;
    }
    Q_EMIT changed();
}

void FocusSessionManager::finish(bool completed, bool late)
{
    std::optional<FocusSession> finished = activeSession();
    if (!finished)
        return;
    finished->isActive = false;
    finished->endedAt = completed ? finished->endsAt : m_clock.now();
    setSession(*finished);
    stopTicking();
    save();
    Q_EMIT changed();
    if (completed && !late && m_preferences.focusPlaysSound())
        m_notifier.playCompletionSound();
    // A copy: a session started meanwhile changes nothing of what this one restores.
    endOfSession(*finished, completed, late);
}

void FocusSessionManager::save()
{
    if (!m_session)
        return;
    const std::optional<QByteArray> bytes = FocusSessionCoding::encode(*m_session);
    if (!bytes) {
        qCWarning(lcFocus) << "The focus session could not be encoded; the stored one is kept.";
        return;
    }
    m_defaults.setValue(storageKey, *bytes);
}

std::optional<FocusSession> FocusSessionManager::load() const
{
    const QVariant stored = m_defaults.value(storageKey);
    if (!stored.isValid())
        return std::nullopt;
    if (stored.typeId() != QMetaType::QByteArray) {
        qCWarning(lcFocus) << "The stored focus session is not data; it is ignored.";
        return std::nullopt;
    }
    Result<FocusSession> decoded = FocusSessionCoding::decode(stored.toByteArray());
    if (!decoded) {
        qCWarning(lcFocus).noquote() << "The stored focus session is ignored:" << decoded.error().description();
        return std::nullopt;
    }
    return std::move(decoded).value();
}

QCoro::Task<> FocusSessionManager::silence(QUuid id)
{
    co_await m_queue.enter();
    const SilencingQueue::Turn turn(m_queue);
    QCoro::Task<FocusSilencing> working = silencingResult(id);
    const FocusSilencing result = co_await working;
    // Recorded only for the session it was asked for, and only while that one runs.
    if (m_session && m_session->id == id && m_session->isActive) {
        FocusSession updated = *m_session;
        updated.silencing = result;
        setSession(updated);
        save();
        Q_EMIT changed();
        co_return;
    }
    // The session ended meanwhile, or another one is current: undo what was done at once.
    QCoro::Task<> undoing = restore(result);
    co_await undoing;
}

void FocusSessionManager::recordTurningOn(QUuid id)
{
    if (!m_session || m_session->id != id || !m_session->isActive)
        return;
    FocusSession updated = *m_session;
    updated.silencing = FocusSilencing::turningOn();
    setSession(updated);
    save();
}

void FocusSessionManager::forgetTurningOn(QUuid id)
{
    // Settled: a later start must not take a mode the user turns on for Vemra's.
    if (!m_session || m_session->id != id || m_session->isActive || !m_session->silencing.isTurningOn())
        return;
    FocusSession updated = *m_session;
    updated.silencing = FocusSilencing::pending();
    setSession(updated);
    save();
}

void FocusSessionManager::recordNotification(quint32 notificationId)
{
    if (notificationId == 0 || !m_session || m_session->notificationId == notificationId)
        return;
    FocusSession updated = *m_session;
    updated.notificationId = notificationId;
    setSession(updated);
    save();
}

QCoro::Task<FocusSilencing> FocusSessionManager::silencingResult(QUuid id)
{
    QCoro::Task<Result<std::optional<QString>>> reading = m_silencer.currentFocus();
    const Result<std::optional<QString>> current = co_await reading;
    if (!current) {
        qCInfo(lcFocus).noquote() << "Silencing failed, the current mode could not be read:"
                                  << current.error().description();
        co_return FocusSilencing::failed();
    }
    if (current.value()) {
        // Vemra ended after asking for Do Not Disturb and before confirming it: what is on now
        // is its own doing, and is turned off at the end.
        if (m_session && m_session->id == id && m_session->silencing.isTurningOn())
            co_return FocusSilencing::turnedOn(*current.value());
        co_return FocusSilencing::alreadyOn(*current.value());
    }

    // Stored before the request, so that an end of Vemra at any moment after it still knows.
    recordTurningOn(id);

    QCoro::Task<Status> turningOn = m_silencer.turnOnDoNotDisturb();
    const Status on = co_await turningOn;
    if (!on) {
        qCInfo(lcFocus).noquote() << "Silencing failed, Do Not Disturb did not turn on:" << on.error().description();
        co_return FocusSilencing::failed();
    }
    QCoro::Task<Result<std::optional<QString>>> confirming = confirmedFocus();
    const Result<std::optional<QString>> confirmed = co_await confirming;
    if (!confirmed) {
        qCInfo(lcFocus).noquote() << "Silencing failed, Do Not Disturb could not be confirmed:"
                                  << confirmed.error().description();
        co_return FocusSilencing::failed();
    }
    if (!confirmed.value()) {
        qCInfo(lcFocus) << "Silencing failed, Do Not Disturb did not show up after turning it on.";
        co_return FocusSilencing::failed();
    }
    co_return FocusSilencing::turnedOn(*confirmed.value());
}

QCoro::Task<Result<std::optional<QString>>> FocusSessionManager::confirmedFocus()
{
    for (int read = 1;; ++read) {
        QCoro::Task<Result<std::optional<QString>>> reading = m_silencer.currentFocus();
        Result<std::optional<QString>> current = co_await reading;
        if (!current || current.value() || read == confirmationReads)
            co_return current;
        QCoro::Task<> pausing = m_timers.pause(confirmationPause);
        co_await pausing;
    }
}

QCoro::Task<> FocusSessionManager::restore(FocusSilencing silencing)
{
    // Only what Vemra turned on itself is ever turned off. A turn-on that was asked for but
    // never confirmed has no name to compare: whatever is on is its doing.
    const bool turnedOn = silencing.kind() == FocusSilencing::Kind::TurnedOn;
    if (!turnedOn && !silencing.isTurningOn())
        co_return;
    QCoro::Task<Result<std::optional<QString>>> reading = m_silencer.currentFocus();
    const Result<std::optional<QString>> current = co_await reading;
    if (current) {
        // Off already, or the user switched to another mode: leave it.
        if (!current.value() || (turnedOn && *current.value() != silencing.focus()))
            co_return;
    } else {
        qCInfo(lcFocus).noquote() << "The current mode could not be read; Do Not Disturb is turned off anyway:"
                                  << current.error().description();
    }
    QCoro::Task<Status> turningOff = m_silencer.turnOffDoNotDisturb();
    const Status off = co_await turningOff;
    if (!off)
        qCInfo(lcFocus).noquote() << "Do Not Disturb could not be turned off:" << off.error().description();
}

QCoro::Task<> FocusSessionManager::endOfSession(FocusSession session, bool completed, bool late)
{
    {
        co_await m_queue.enter();
        const SilencingQueue::Turn turn(m_queue);
        QCoro::Task<> restoring = restore(session.silencing);
        co_await restoring;
        forgetTurningOn(session.id);
    }
    // Posted once notifications are back, and only for a session that ran out.
    if (!completed)
        co_return;
    QCoro::Task<quint32> announcing = m_notifier.announceCompletion(session, late);
    // Kept with whatever session is current now, so that the next one replaces it.
    recordNotification(co_await announcing);
}

QCoro::Task<> FocusSessionManager::runCheck(int check, bool asking)
{
    QCoro::Task<FocusSilencerReadiness> asked = m_silencer.readiness(asking);
    const FocusSilencerReadiness answer = co_await asked;
    setReadiness(answer);
    // Queued, so that a check answered at once is still reported after checkReadiness() returned.
    QTimer::singleShot(0, this, [this, check] { Q_EMIT readinessChecked(check); });
}
