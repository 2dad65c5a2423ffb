#include "FakeFocusNotifier.h"
#include "FakeFocusSilencer.h"
#include "FakeFocusTimers.h"
#include "FixedClock.h"
#include "MemorySettingsStore.h"
#include "Services/Focus/FocusTabState.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using Key = FocusTabState::Key;
using Choice = FocusTabState::Choice;
using Readiness = std::optional<FocusSilencerReadiness>;
Q_DECLARE_METATYPE(Choice)
Q_DECLARE_METATYPE(Readiness)

class TestFocusTabState final : public QObject
{
    Q_OBJECT

private:
    MemorySettingsStore m_settings;
    std::unique_ptr<Preferences> m_preferences;
    FixedClock m_clock { QDateTime(QDate(2026, 5, 4), QTime(9, 0)) };
    FakeFocusSilencer m_silencer;
    FakeFocusNotifier m_notifier;
    FakeFocusTimers m_timers;
    std::unique_ptr<FocusSessionManager> m_focus;
    std::unique_ptr<Surface> m_surface;
    int m_closes = 0;

    std::unique_ptr<FocusTabState> makeState(bool compact)
    {
        return std::make_unique<FocusTabState>(*m_focus, *m_preferences, *m_surface, compact);
    }

private Q_SLOTS:
    void init()
    {
        m_settings = {};
        m_preferences = std::make_unique<Preferences>(m_settings);
        m_silencer = {};
        m_focus = std::make_unique<FocusSessionManager>(
            m_silencer, m_notifier, *m_preferences, m_settings, m_clock, m_timers);
        m_surface = std::make_unique<Surface>();
        m_closes = 0;
        connect(m_surface.get(), &Surface::closeRequested, this, [this] { ++m_closes; });
    }

    void defaultLength_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<Choice>("choice");
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("minutes");
        QTest::newRow("25") << 25 << Choice::minutes(25) << 0 << 45;
        QTest::newRow("45") << 45 << Choice::custom() << 0 << 45;
        QTest::newRow("360") << 360 << Choice::minutes(360) << 0 << 45;
        QTest::newRow("1440") << 1440 << Choice::custom() << 24 << 0;
        QTest::newRow("90") << 90 << Choice::custom() << 1 << 30;
    }

    void defaultLength()
    {
        QFETCH(int, stored);
        m_preferences->setFocusMinutes(stored);
        const auto state = makeState(true);
        state->loadDefault();
        QTEST(state->choice(), "choice");
        QTEST(state->customHours(), "hours");
        QTEST(state->customMinutes(), "minutes");
        QCOMPARE(state->chosenMinutes(), std::optional(stored));
    }

    void keys_data()
    {
        QTest::addColumn<Choice>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("commandHeld");
        QTest::addColumn<bool>("editingText");
        QTest::addColumn<bool>("asking");
        QTest::addColumn<bool>("consumed");
        QTest::addColumn<Choice>("to");
        QTest::addColumn<bool>("started");
        const Choice c10 = Choice::minutes(10), c15 = Choice::minutes(15), c25 = Choice::minutes(25);
        const Choice custom = Choice::custom();
        const int left = int(Key::Left), right = int(Key::Right), ret = int(Key::Return), esc = int(Key::Escape);
        QTest::newRow("right") << c10 << right << false << false << false << true << c15 << false;
        QTest::newRow("left at the first chip") << c10 << left << false << false << false << true << c10 << false;
        QTest::newRow("right at Custom") << custom << right << false << false << false << true << custom << false;
        QTest::newRow("arrow while editing") << custom << left << false << true << false << false << custom << false;
        QTest::newRow("arrow with a command key") << c25 << right << true << false << false << false << c25 << false;
        QTest::newRow("return starts") << c25 << ret << false << false << false << true << c25 << true;
        QTest::newRow("return while editing") << c25 << ret << false << true << false << false << c25 << false;
        QTest::newRow("return while asking") << c25 << ret << false << false << true << false << c25 << false;
        QTest::newRow("escape closes the prompt") << c25 << esc << false << true << true << true << c25 << false;
        QTest::newRow("escape without prompt") << c25 << esc << false << false << false << false << c25 << false;
    }

    void keys()
    {
        QFETCH(Choice, from);
        QFETCH(int, key);
        QFETCH(bool, commandHeld);
        QFETCH(bool, editingText);
        QFETCH(bool, asking);
        QFETCH(bool, consumed);
        QFETCH(bool, started);
        m_preferences->setFocusSilencesNotifications(asking);
        m_silencer.readinessAnswer = FocusSilencerReadiness::missingShortcuts({ u"Vemra Focus On"_s });
        const auto state = makeState(true);
        if (asking) {
            state->start();
            QTRY_VERIFY(state->isAskingAboutSilencing());
        }
        state->choose(from);
        if (asking) { // choosing closes the prompt; ask again
            state->start();
            QTRY_VERIFY(state->isAskingAboutSilencing());
        }
        QCOMPARE(state->handleKey({ Key(key), commandHeld, editingText }), consumed);
        QTEST(state->choice(), "to");
        QCOMPARE(m_focus->activeSession().has_value(), started);
        if (key == int(Key::Escape) && consumed)
            QVERIFY(!state->isAskingAboutSilencing());
        // No key does anything while a session runs.
        if (started)
            QVERIFY(!state->handleKey({ Key::Left, false, false }));
    }

    void invalidCustomLengthStartsNothing()
    {
        const auto state = makeState(true);
        state->choose(Choice::custom());
        state->setCustomMinutes(0);
        QVERIFY(state->isCustomInvalid() && !state->canStart());
        QVERIFY(state->handleKey({ Key::Return, false, false }));
        state->startWithoutSilencing();
        QCOMPARE(m_focus->phase(), FocusSessionManager::Phase::Idle);
    }

    void startFlow_data()
    {
        QTest::addColumn<bool>("silences");
        QTest::addColumn<Readiness>("cached");
        QTest::addColumn<FocusSilencerReadiness>("answer");
        QTest::addColumn<bool>("compact");
        QTest::addColumn<bool>("checks");
        QTest::addColumn<bool>("asks");
        QTest::addColumn<FocusSilencing>("silencing"); // failed: the status script fails
        QTest::addColumn<int>("closes");
        const FocusSilencerReadiness ready = FocusSilencerReadiness::ready();
        const FocusSilencerReadiness missing = FocusSilencerReadiness::missingShortcuts({ u"Vemra Focus Off"_s });
        const FocusSilencing none = FocusSilencing::none(), on = FocusSilencing::turnedOn(u"Do Not Disturb"_s);
        QTest::newRow("silencing off, panel") << false << Readiness() << ready << true << false << false << none << 1;
        QTest::newRow("silencing off, window") << false << Readiness() << ready << false << false << false << none << 0;
        QTest::newRow("ready, panel closes once on")
            << true << Readiness(ready) << ready << true << false << false << on << 1;
        QTest::newRow("ready, window stays") << true << Readiness(ready) << ready << false << false << false << on << 0;
        QTest::newRow("unknown, checked ready") << true << Readiness() << ready << true << true << false << on << 1;
        QTest::newRow("unknown, checked missing")
            << true << Readiness() << missing << true << true << true << FocusSilencing::failed() << 0;
        QTest::newRow("ready, silencing fails, panel stays")
            << true << Readiness(ready) << ready << true << false << false << FocusSilencing::failed() << 0;
        QTest::newRow("cached missing, now ready")
            << true << Readiness(missing) << ready << true << true << false << on << 1;
    }

    void startFlow()
    {
        QFETCH(bool, silences);
        QFETCH(Readiness, cached);
        QFETCH(FocusSilencerReadiness, answer);
        QFETCH(bool, compact);
        QFETCH(bool, checks);
        QFETCH(bool, asks);
        QFETCH(FocusSilencing, silencing);
        QFETCH(int, closes);
        m_preferences->setFocusSilencesNotifications(silences);
        if (cached)
            m_focus->setReadiness(*cached);
        m_silencer.readinessAnswer = answer;
        m_silencer.failsReads = silencing == FocusSilencing::failed();
        // The status read of silencing waits, so that the panel's closing can be seen to wait for it.
        m_silencer.holds = true;
        const auto state = makeState(compact);
        state->start();
        QCOMPARE(state->isChecking(), checks);
        QCOMPARE(state->startTitle(), checks ? u"Starting…"_s : u"Start Focus"_s);
        if (checks) {
            QVERIFY(!state->canStart());
            state->start(); // a second press during the check starts nothing more
            QVERIFY(m_silencer.releaseNext());
            QTRY_VERIFY(!state->isChecking());
        }
        QCOMPARE(state->isAskingAboutSilencing(), asks);
        if (asks) {
            QVERIFY(!m_focus->session());
            QVERIFY(m_silencer.held.empty());
            return;
        }
        if (silences)
            QCOMPARE(m_closes, 0); // not before silencing is in place
        while (m_silencer.releaseNext())
            QCoreApplication::processEvents();
        QCOMPARE(m_focus->activeSession()->silencing, silencing);
        QCOMPARE(m_closes, closes);
        QCOMPARE(m_silencer.calls.count(u"readiness"_s), checks ? 1 : 0);
    }

    void showingAgainClearsThePromptAndReloads()
    {
        m_silencer.readinessAnswer = FocusSilencerReadiness::unavailable();
        m_preferences->setFocusMinutes(30);
        const auto state = makeState(true);
        state->choose(Choice::minutes(10));
        state->start();
        QTRY_VERIFY(state->isAskingAboutSilencing());
        m_surface->setVisible(true);
        QVERIFY(!state->isAskingAboutSilencing());
        QCOMPARE(state->choice(), Choice::minutes(30));
        // Start Timer Anyway starts without silencing.
        state->start();
        QTRY_VERIFY(state->isAskingAboutSilencing());
        state->startWithoutSilencing();
        QCOMPARE(m_focus->activeSession()->silencing, FocusSilencing::none());
        QCOMPARE(m_closes, 1);
        // A running session keeps the choice when the panel shows again.
        state->choose(Choice::minutes(15));
        m_surface->setVisible(false);
        m_surface->setVisible(true);
        QCOMPARE(state->choice(), Choice::minutes(15));
    }
};

QTEST_GUILESS_MAIN(TestFocusTabState)
#include "tst_FocusTabState.moc"
