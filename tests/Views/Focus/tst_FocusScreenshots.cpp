#include "Components/Theme/Symbols.h"
#include "FocusViewFixture.h"
#include "Models/Focus/FocusSessionCoding.h"
#include "Screenshots.h"
#include "Services/Focus/FocusTabState.h"
#include "Views/Focus/FocusView.h"

#include <QApplication>
#include <QTest>

using namespace Qt::StringLiterals;

// The focus tab's looks: the start screen, the custom length, the prompt, and the running
// session in every state of silencing, in both densities and appearances.
class TestFocusScreenshots final : public QObject
{
    Q_OBJECT

private:
    static void shoot(FocusViewFixture &f, Density density, const QString &name)
    {
        for (bool dark : { false, true }) {
            QApplication::setPalette(dark ? Screenshots::darkPalette() : Screenshots::lightPalette());
            FocusView view(f.environment(), f.surface, density);
            view.resize(density == Density::Compact ? 380 : 560, density == Density::Compact ? 560 : 640);
            view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&view));
            Screenshots::save(&view, u"focus-"_s + name + (dark ? u"-dark"_s : u"-light"_s));
        }
    }

    static void running(FocusViewFixture &f, FocusSilencing silencing)
    {
        FocusSession session = FocusSession::make(25, f.clock.now());
        session.silencing = silencing;
        f.settings.setValue(FocusSessionManager::storageKey, FocusSessionCoding::encode(session).value());
        f.silencer.holds = true;
        f.clock.advance(5 * 60'000 + 800);
        f.focus.restoreSaved();
    }

private Q_SLOTS:
    void initTestCase() { Symbols::useIconTheme(); }

    void startScreens()
    {
        VEMRA_SCREENSHOTS_ONLY();
        FocusViewFixture ready;
        ready.focus.setReadiness(FocusSilencerReadiness::ready());
        shoot(ready, Density::Compact, u"start"_s);
        shoot(ready, Density::Regular, u"start-window"_s);

        FocusViewFixture custom;
        custom.preferences.setFocusMinutes(90);
        custom.focus.setReadiness(FocusSilencerReadiness::missingShortcuts({ u"Vemra Focus Off"_s }));
        shoot(custom, Density::Compact, u"custom"_s);

        FocusViewFixture ended;
        ended.focus.start(25, false);
        ended.clock.advance(11 * 60'000);
        ended.focus.end();
        ended.preferences.setFocusSilencesNotifications(false);
        shoot(ended, Density::Compact, u"ended-early"_s);
    }

    void prompt()
    {
        VEMRA_SCREENSHOTS_ONLY();
        FocusViewFixture f;
        f.silencer.readinessAnswer = FocusSilencerReadiness::missingShortcuts({ u"Vemra Focus On"_s });
        FocusView view(f.environment(), f.surface, Density::Compact);
        view.resize(380, 560);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.state()->start();
        QTRY_VERIFY(view.state()->isAskingAboutSilencing());
        Screenshots::save(&view, u"focus-prompt"_s);
    }

    void runningSessions_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("pending") << int(FocusSilencing::Kind::Pending);
        QTest::newRow("turned-on") << int(FocusSilencing::Kind::TurnedOn);
        QTest::newRow("already-on") << int(FocusSilencing::Kind::AlreadyOn);
        QTest::newRow("none") << int(FocusSilencing::Kind::None);
        QTest::newRow("failed") << int(FocusSilencing::Kind::Failed);
    }

    void runningSessions()
    {
        VEMRA_SCREENSHOTS_ONLY();
        QFETCH(int, kind);
        const QList<FocusSilencing> cases
            = { FocusSilencing::pending(), FocusSilencing::none(), FocusSilencing::turnedOn(u"Do Not Disturb"_s),
                  FocusSilencing::alreadyOn(u"Deep Work With A Rather Long Mode Name"_s), FocusSilencing::failed() };
        FocusViewFixture f;
        running(f, cases.at(kind));
        shoot(f, Density::Compact, u"running-"_s + QString::fromLatin1(QTest::currentDataTag()));
        if (kind == int(FocusSilencing::Kind::TurnedOn))
            shoot(f, Density::Regular, u"running-window"_s);
    }
};

QTEST_MAIN(TestFocusScreenshots)
#include "tst_FocusScreenshots.moc"
