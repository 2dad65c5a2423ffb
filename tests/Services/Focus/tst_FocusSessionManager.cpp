#include "FakeFocusNotifier.h"
#include "FakeFocusSilencer.h"
#include "FakeFocusTimers.h"
#include "FixedClock.h"
#include "MemorySettingsStore.h"
#include "Models/Focus/FocusSessionCoding.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Services/Shell/Preferences.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Phase = FocusSessionManager::Phase;
Q_DECLARE_METATYPE(FocusSilencing)
Q_DECLARE_METATYPE(std::optional<QString>)
using StartResult = FocusSessionManager::StartResult;

namespace {

const QDateTime launch(QDate(2026, 5, 4), QTime(9, 0), Qt::UTC);
const QString dnd = u"Do Not Disturb"_s;

} // namespace

class TestFocusSessionManager final : public QObject
{
    Q_OBJECT

private:
    MemorySettingsStore m_settings;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<FixedClock> m_clock;
    std::unique_ptr<FakeFocusSilencer> m_silencer;
    std::unique_ptr<FakeFocusNotifier> m_notifier;
    std::unique_ptr<FakeFocusTimers> m_timers;
    std::unique_ptr<FocusSessionManager> m_focus;

    FocusSessionManager &makeManager()
    {
        m_focus = std::make_unique<FocusSessionManager>(
            *m_silencer, *m_notifier, *m_preferences, m_settings, *m_clock, *m_timers);
        return *m_focus;
    }

    // Lets every held call and queued turn run to its end.
    void settle() { settle(*m_silencer, *m_timers); }

    static void settle(FakeFocusSilencer &silencer, FakeFocusTimers &timers)
    {
        for (int round = 0; round < 100; ++round) {
            QCoreApplication::processEvents();
            if (!silencer.releaseNext() && !timers.resumePause()) {
                QCoreApplication::processEvents();
                if (silencer.held.empty() && timers.heldPauses.empty())
                    return;
            }
        }
        QFAIL("the silencing work did not settle");
    }

    std::optional<FocusSession> storedSession() const
    {
        const Result<FocusSession> decoded
            = FocusSessionCoding::decode(m_settings.value(FocusSessionManager::storageKey).toByteArray());
        return decoded ? std::optional(decoded.value()) : std::nullopt;
    }

    void store(FocusSession session)
    {
        m_settings.setValue(FocusSessionManager::storageKey, FocusSessionCoding::encode(session).value());
    }

private Q_SLOTS:
    void init()
    {
        m_settings = {};
        m_preferences = std::make_unique<Preferences>(m_settings);
        m_clock = std::make_unique<FixedClock>(launch);
        m_silencer = std::make_unique<FakeFocusSilencer>();
        m_notifier = std::make_unique<FakeFocusNotifier>();
        m_timers = std::make_unique<FakeFocusTimers>();
        makeManager();
    }

    void cleanup() { m_focus.reset(); }

    void startChecksRunningSessionFirst_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<StartResult>("idle");
        QTest::newRow("0") << 0 << StartResult::InvalidDuration;
        QTest::newRow("1") << 1 << StartResult::Started;
        QTest::newRow("1440") << 1440 << StartResult::Started;
        QTest::newRow("1441") << 1441 << StartResult::InvalidDuration;
    }

    void startChecksRunningSessionFirst()
    {
        QFETCH(int, minutes);
        QFETCH(StartResult, idle);
        QCOMPARE(m_focus->start(minutes, false), idle);
        QCOMPARE(m_settings.contains(FocusSessionManager::storageKey), idle == StartResult::Started);
        // While one runs, every start is refused as running, whatever its length.
        m_focus->start(25, false);
        const FocusSession running = *m_focus->session();
        QCOMPARE(m_focus->start(minutes, true), StartResult::AlreadyRunning);
        QCOMPARE(*m_focus->session(), running);
    }

    void ticksAlignToWholeSecondsAndFinishOnce()
    {
        QSignalSpy changed(m_focus.get(), &FocusSessionManager::changed);
        QCOMPARE(m_focus->start(25, false), StartResult::Started);
        QCOMPARE(m_notifier->prepared, 1);
        QCOMPARE(*storedSession(), *m_focus->session());
        QCOMPARE(m_timers->firstDelays.size(), 1);
        QCOMPARE(m_timers->firstDelays.first().count(), 10);

        // 0.63 s later a wake re-aligns: 1499.37 s remain, so the countdown changes in 370 ms.
        m_clock->advance(630);
        m_focus->catchUp();
        QCOMPARE(m_timers->firstDelays.last().count(), 380);
        QCOMPARE(m_focus->remaining(), 1499.37);

        const int before = changed.count();
        m_clock->set(m_focus->session()->endsAt.addMSecs(-1));
        m_timers->tick();
        QCOMPARE(changed.count(), before + 1);
        QCOMPARE(m_focus->now(), m_clock->now());
        QCOMPARE(m_focus->phase(), Phase::Active);
        // Without the chime when it is switched off; one finish however many ticks follow.
        m_preferences->setFocusPlaysSound(false);
        m_clock->advance(1);
        m_timers->tick();
        m_timers->tick();
        settle();
        QCOMPARE(m_focus->phase(), Phase::Completed);
        QCOMPARE(m_focus->session()->endedAt, m_focus->session()->endsAt);
        QVERIFY(!m_timers->isTicking());
        QCOMPARE(m_notifier->chimes, 0);
        QCOMPARE(m_notifier->announced.size(), 1);
        QVERIFY(!m_notifier->announced.first().late);
        QCOMPARE(*storedSession(), *m_focus->session());
    }

    void endingEarly_data()
    {
        QTest::addColumn<qint64>("after");
        QTest::addColumn<Phase>("phase");
        QTest::newRow("mid-session") << qint64(11 * 60'000) << Phase::Ended;
        QTest::newRow("after the end, before the tick") << qint64(25 * 60'000 + 500) << Phase::Completed;
    }

    void endingEarly()
    {
        QFETCH(qint64, after);
        QFETCH(Phase, phase);
        m_focus->start(25, false);
        m_clock->advance(after);
        m_focus->end();
        settle();
        QCOMPARE(m_focus->phase(), phase);
        QCOMPARE(m_focus->session()->endedAt, m_clock->now());
        QCOMPARE(m_notifier->chimes, 0);
        QVERIFY(m_notifier->announced.isEmpty());
        m_focus->end(); // nothing to end
        QCOMPARE(m_focus->session()->endedAt, m_clock->now());
    }

    void restoreSaved_data()
    {
        QTest::addColumn<qint64>("relaunchAfter");
        QTest::addColumn<bool>("endedBefore");
        QTest::addColumn<FocusSilencing>("silencing");
        QTest::addColumn<Phase>("phase");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("still running") << qint64(60'000) << false << FocusSilencing::turnedOn(dnd) << Phase::Active
                                       << QStringList();
        QTest::newRow("pending settles again") << qint64(60'000) << false << FocusSilencing::pending() << Phase::Active
                                               << QStringList { u"status"_s, u"on"_s, u"status"_s };
        QTest::newRow("ran out meanwhile") << qint64(30 * 60'000) << false << FocusSilencing::turnedOn(dnd)
                                           << Phase::Completed << QStringList { u"status"_s, u"off"_s };
        QTest::newRow("pending, ran out")
            << qint64(30 * 60'000) << false << FocusSilencing::pending() << Phase::Completed << QStringList();
        QTest::newRow("ended before quitting")
            << qint64(60'000) << true << FocusSilencing::none() << Phase::Ended << QStringList();
    }

    void restoreSaved()
    {
        QFETCH(qint64, relaunchAfter);
        QFETCH(bool, endedBefore);
        QFETCH(FocusSilencing, silencing);
        QFETCH(Phase, phase);
        QFETCH(QStringList, calls);
        FocusSession saved = FocusSession::make(25, launch);
        saved.silencing = silencing;
        if (endedBefore) {
            saved.isActive = false;
            saved.endedAt = launch.addSecs(30);
        }
        store(saved);
        if (silencing.kind() == FocusSilencing::Kind::TurnedOn)
            m_silencer->focus = dnd;
        m_clock->advance(relaunchAfter);
        makeManager();
        QSignalSpy changed(m_focus.get(), &FocusSessionManager::changed);

        m_focus->restoreSaved();
        settle();
        QCOMPARE(m_focus->phase(), phase);
        QCOMPARE(m_silencer->calls, calls);
        QCOMPARE(m_timers->isTicking(), phase == Phase::Active);
        QCOMPARE(m_notifier->chimes, 0);
        QCOMPARE(changed.isEmpty(), endedBefore);
        if (phase == Phase::Completed) {
            // Late: no chime, the late wording, posted once Do Not Disturb was restored.
            QCOMPARE(m_focus->session()->endedAt, saved.endsAt);
            QCOMPARE(m_notifier->announced.size(), 1);
            QVERIFY(m_notifier->announced.first().late);
            QCOMPARE(*storedSession(), *m_focus->session());
        } else {
            QVERIFY(m_notifier->announced.isEmpty());
        }
    }

    void unreadableStoredSessionIsNoSession()
    {
        m_settings.setValue(FocusSessionManager::storageKey, QByteArray(R"({"id":"x"})"));
        m_focus->restoreSaved();
        QCOMPARE(m_focus->phase(), Phase::Idle);
        m_settings.setValue(FocusSessionManager::storageKey, u"not data"_s);
        m_focus->restoreSaved();
        QCOMPARE(m_focus->phase(), Phase::Idle);
        m_focus->start(10, false);
        QCOMPARE(*storedSession(), *m_focus->session());
    }

    void silencing_data()
    {
        QTest::addColumn<std::optional<QString>>("onBefore");
        QTest::addColumn<int>("emptyReadsAfterOn");
        QTest::addColumn<bool>("failsTurnOn");
        QTest::addColumn<FocusSilencing>("result");
        QTest::addColumn<int>("pauses");
        QTest::newRow("shows up on the third read")
            << std::optional<QString>() << 2 << false << FocusSilencing::turnedOn(dnd) << 2;
        QTest::newRow("another mode already on")
            << std::optional(u"Work"_s) << 0 << false << FocusSilencing::alreadyOn(u"Work"_s) << 0;
        QTest::newRow("never shows up") << std::optional<QString>() << 10 << false << FocusSilencing::failed() << 4;
        QTest::newRow("turn-on fails") << std::optional<QString>() << 0 << true << FocusSilencing::failed() << 0;
    }

    void silencing()
    {
        QFETCH(std::optional<QString>, onBefore);
        QFETCH(int, emptyReadsAfterOn);
        QFETCH(bool, failsTurnOn);
        QFETCH(FocusSilencing, result);
        QFETCH(int, pauses);
        m_silencer->focus = onBefore;
        m_silencer->failsTurnOn = failsTurnOn;
        if (!onBefore) {
            m_silencer->scriptedReads.push_back(std::optional<QString>());
            for (int i = 0; i < emptyReadsAfterOn; ++i)
                m_silencer->scriptedReads.push_back(std::optional<QString>());
        }
        m_silencer->holds = true;
        m_focus->start(25, true);
        QCOMPARE(m_focus->phase(), Phase::Starting);
        QCOMPARE(storedSession()->silencing, FocusSilencing::pending());
        settle();
        QCOMPARE(m_focus->session()->silencing, result);
        QCOMPARE(storedSession()->silencing, result);
        QCOMPARE(m_focus->phase(), Phase::Active);
        QCOMPARE(m_timers->pauses.size(), pauses);
        QCOMPARE(m_silencer->calls.count(u"on"_s), onBefore ? 0 : 1);

        // At the end only what Vemra turned on itself is turned off.
        m_silencer->calls.clear();
        m_focus->end();
        settle();
        QCOMPARE(m_silencer->calls.contains(u"off"_s), result.kind() == FocusSilencing::Kind::TurnedOn);
    }

    void restoreLeavesWhatTheUserChanged_data()
    {
        QTest::addColumn<bool>("readFails");
        QTest::addColumn<std::optional<QString>>("atTheEnd");
        QTest::addColumn<bool>("turnsOff");
        QTest::newRow("still on") << false << std::optional(dnd) << true;
        QTest::newRow("user turned it off") << false << std::optional<QString>() << false;
        QTest::newRow("user switched mode") << false << std::optional(u"Work"_s) << false;
        QTest::newRow("status unreadable") << true << std::optional(dnd) << true;
    }

    void restoreLeavesWhatTheUserChanged()
    {
        QFETCH(bool, readFails);
        QFETCH(std::optional<QString>, atTheEnd);
        QFETCH(bool, turnsOff);
        m_focus->start(25, true);
        settle();
        QCOMPARE(m_focus->session()->silencing, FocusSilencing::turnedOn(dnd));
        m_silencer->focus = atTheEnd;
        m_silencer->failsReads = readFails;
        m_silencer->calls.clear();
        m_clock->advance(25 * 60'000);
        m_timers->tick();
        settle();
        const QStringList expected = turnsOff ? QStringList { u"status"_s, u"off"_s } : QStringList { u"status"_s };
        QCOMPARE(m_silencer->calls, expected);
        QCOMPARE(m_notifier->announced.size(), 1);
    }

    void endDuringConfirmationUndoesTheTurnOn()
    {
        m_silencer->scriptedReads = { std::optional<QString>(), std::optional<QString>() };
        m_timers->holdsPauses = true;
        m_focus->start(25, true);
        QCOMPARE(m_timers->heldPauses.size(), 1u);
        m_clock->advance(1000);
        m_focus->end();
        QCOMPARE(m_focus->phase(), Phase::Ended);
        settle();
        // The session keeps its pending record; what was turned on is turned off at once, and
        // the end of the session finds nothing left to turn off, and forgets the turn-on.
        QCOMPARE(m_focus->session()->silencing, FocusSilencing::pending());
        QCOMPARE(storedSession()->silencing, FocusSilencing::pending());
        QCOMPARE(m_silencer->calls,
            (QStringList { u"status"_s, u"on"_s, u"status"_s, u"status"_s, u"status"_s, u"off"_s, u"status"_s }));
        QVERIFY(!m_silencer->focus);
        QVERIFY(m_notifier->announced.isEmpty());
    }

    // Vemra ends (a crash, a kill, a logout) while the "on" script runs, before its result is
    // recorded. The turn-on was stored before it was asked for, so the next start takes the
    // Do Not Disturb it finds as its own doing and turns it off at the end.
    void turnOnCutShortByAnEndOfVemra_data()
    {
        QTest::addColumn<qint64>("relaunchAfter");
        QTest::addColumn<bool>("onTookEffect");
        QTest::addColumn<QStringList>("callsAtRelaunch");
        QTest::newRow("relaunched during the session") << qint64(60'000) << true << QStringList { u"status"_s };
        QTest::newRow("relaunched after its end")
            << qint64(30 * 60'000) << true << QStringList { u"status"_s, u"off"_s };
        QTest::newRow("the on script never ran")
            << qint64(60'000) << false << QStringList { u"status"_s, u"on"_s, u"status"_s };
        QTest::newRow("ended early during it") << qint64(-1) << true << QStringList { u"status"_s, u"off"_s };
    }

    void turnOnCutShortByAnEndOfVemra()
    {
        QFETCH(qint64, relaunchAfter);
        QFETCH(bool, onTookEffect);
        QFETCH(QStringList, callsAtRelaunch);
        m_silencer->holds = true;
        m_focus->start(25, true);
        while (!m_silencer->calls.contains(u"on"_s) && m_silencer->releaseNext())
            QCoreApplication::processEvents();
        QCOMPARE(m_silencer->calls, (QStringList { u"status"_s, u"on"_s }));
        if (relaunchAfter < 0) {
            m_focus->end();
            relaunchAfter = 60'000;
        }

        // What was stored when Vemra ended is all that the next start has.
        MemorySettingsStore disk;
        disk.setValue(FocusSessionManager::storageKey, m_settings.value(FocusSessionManager::storageKey));
        FakeFocusSilencer desktop;
        if (onTookEffect)
            desktop.focus = dnd;
        FakeFocusTimers timers;
        m_clock->advance(relaunchAfter);
        FocusSessionManager relaunched(desktop, *m_notifier, *m_preferences, disk, *m_clock, timers);
        relaunched.restoreSaved();
        settle(desktop, timers);
        QCOMPARE(desktop.calls, callsAtRelaunch);
        if (relaunched.activeSession()) {
            QCOMPARE(relaunched.session()->silencing, FocusSilencing::turnedOn(dnd));
            relaunched.end();
            settle(desktop, timers);
        }
        QVERIFY(!desktop.focus);
        // Settled once: a mode the user turns on later is left alone at the next start.
        QCOMPARE(relaunched.session()->silencing.isTurningOn(), false);
        desktop.focus = u"Work"_s;
        desktop.calls.clear();
        FocusSessionManager again(desktop, *m_notifier, *m_preferences, disk, *m_clock, timers);
        again.restoreSaved();
        settle(desktop, timers);
        QVERIFY(!desktop.calls.contains(u"off"_s));
        settle();
    }

    void backToBackSessionsTakeTurns()
    {
        m_focus->start(25, true);
        settle();
        QCOMPARE(m_focus->session()->silencing, FocusSilencing::turnedOn(dnd));

        // A ends; while its restore waits on the status script, B starts at once.
        m_silencer->holds = true;
        m_focus->end();
        QCOMPARE(m_focus->start(10, true), StartResult::Started);
        settle();
        // B read the state only after A had turned Do Not Disturb off, so B turned it on itself.
        QCOMPARE(m_focus->session()->silencing, FocusSilencing::turnedOn(dnd));
        QCOMPARE(m_silencer->focus, std::optional(dnd));
    }

    void readinessIsReportedAfterTheCall()
    {
        QSignalSpy checked(m_focus.get(), &FocusSessionManager::readinessChecked);
        m_silencer->readinessAnswer = FocusSilencerReadiness::missingShortcuts({ u"Vemra Focus Off"_s });
        const int check = m_focus->checkReadiness(false);
        QCOMPARE(m_focus->readiness(), m_silencer->readinessAnswer);
        QVERIFY(checked.isEmpty());
        QVERIFY(checked.wait(1000));
        QCOMPARE(checked.first().first().toInt(), check);
    }
};

QTEST_GUILESS_MAIN(TestFocusSessionManager)
#include "tst_FocusSessionManager.moc"
