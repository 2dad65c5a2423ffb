#include "FocusViewFixture.h"

#include "Components/Controls/TintedButton.h"
#include "Models/Focus/FocusSessionCoding.h"
#include "Services/Focus/FocusTabState.h"
#include "Views/Focus/ActiveFocus.h"
#include "Views/Focus/DurationChip.h"
#include "Views/Focus/FocusLabel.h"
#include "Views/Focus/FocusView.h"
#include "Views/Focus/LinkButton.h"
#include "Views/Focus/NumberField.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using Choice = FocusTabState::Choice;
Q_DECLARE_METATYPE(FocusSilencing)

class TestFocusView final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FocusViewFixture> f;
    std::unique_ptr<FocusView> m_view;

    FocusView &show(Density density = Density::Compact)
    {
        m_view = std::make_unique<FocusView>(f->environment(), f->surface, density);
        m_view->show();
        m_view->activateWindow();
        if (!QTest::qWaitForWindowActive(m_view.get()))
            qWarning("the focus tab did not become active");
        return *m_view;
    }

private Q_SLOTS:
    void init() { f = std::make_unique<FocusViewFixture>(); }
    void cleanup()
    {
        m_view.reset();
        f.reset();
    }

    void keysReachTheTab()
    {
        f->preferences.setFocusSilencesNotifications(false);
        FocusView &view = show();
        QCOMPARE(view.state()->choice(), Choice::minutes(25));
        // Arrows arrive with the keypad flag; Shift does not count as a command key.
        QTest::keyClick(&view, Qt::Key_Right, Qt::KeypadModifier);
        QCOMPARE(view.state()->choice(), Choice::minutes(30));
        QVERIFY(view.chips().at(4)->isChecked() && !view.chips().at(3)->isChecked());
        QTest::keyClick(&view, Qt::Key_Left, Qt::ShiftModifier | Qt::KeypadModifier);
        QCOMPARE(view.state()->choice(), Choice::minutes(25));
        QTest::keyClick(&view, Qt::Key_Left, Qt::AltModifier | Qt::KeypadModifier);
        QCOMPARE(view.state()->choice(), Choice::minutes(25));
        QTest::keyClick(&view, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!f->focus.activeSession());
        QTest::keyClick(&view, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
        QCOMPARE(f->focus.activeSession()->minutes(), 25);
        QCOMPARE(f->closes, 1);
        QVERIFY(view.activeFocus()->isVisible() && !view.startScreen()->isVisible());
    }

    void customFieldsClampAndSubmit()
    {
        f->preferences.setFocusSilencesNotifications(false);
        f->preferences.setFocusMinutes(45);
        FocusView &view = show(Density::Regular);
        QCOMPARE(view.state()->choice(), Choice::custom());
        QLineEdit *hours = view.hoursField()->field();
        hours->setFocus();
        hours->selectAll();
        QTest::keyClicks(hours, u"99"_s);
        QCOMPARE(hours->text(), u"24"_s);
        QCOMPARE(view.state()->customHours(), 24);
        QVERIFY(view.customHint()->isVisible()); // 24 h 45 min is too long
        QVERIFY(!view.startButton()->isEnabled());
        QCOMPARE(view.clockLabel()->text(), u"–:––"_s);
        // While a field is edited the arrows stay in it.
        QTest::keyClick(hours, Qt::Key_Left, Qt::KeypadModifier);
        QCOMPARE(view.state()->choice(), Choice::custom());
        hours->selectAll();
        QTest::keyClicks(hours, u"-5"_s);
        QCOMPARE(hours->text(), u"0"_s);
        QCOMPARE(view.state()->customHours(), 0);
        QVERIFY(!view.customHint()->isVisible());
        QCOMPARE(view.clockLabel()->text(), u"45:00"_s);
        // Return in the field starts the custom length; the window stays open.
        QTest::keyClick(hours, Qt::Key_Return);
        QCOMPARE(f->focus.activeSession()->minutes(), 45);
        QCOMPARE(f->closes, 0);
    }

    void runningDisplayFollowsSilencing_data()
    {
        QTest::addColumn<FocusSilencing>("silencing");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("checkSetup");
        QTest::newRow("pending") << FocusSilencing::pending() << u"Turning on Do Not Disturb…"_s << false;
        QTest::newRow("turned on") << FocusSilencing::turnedOn(u"Do Not Disturb"_s) << u"Notifications off"_s << false;
        QTest::newRow("already on") << FocusSilencing::alreadyOn(u"Work"_s)
                                    << u"Notifications off · Work was already on"_s << false;
        QTest::newRow("none") << FocusSilencing::none() << u"Notifications on"_s << false;
        QTest::newRow("failed") << FocusSilencing::failed() << u"Couldn’t silence notifications"_s << true;
    }

    void runningDisplayFollowsSilencing()
    {
        QFETCH(FocusSilencing, silencing);
        QFETCH(bool, checkSetup);
        FocusSession running = FocusSession::make(25, f->clock.now());
        running.silencing = silencing;
        f->settings.setValue(FocusSessionManager::storageKey, FocusSessionCoding::encode(running).value());
        f->silencer.holds = true; // a pending session stays pending
        f->clock.advance(61'500);
        f->focus.restoreSaved();
        FocusView &view = show();
        ActiveFocus *active = view.activeFocus();
        QVERIFY(active->isVisible());
        QTEST(active->statusLine()->text(), "line");
        QCOMPARE(active->checkSetupLink()->isVisible(), checkSetup);
        QCOMPARE(active->countdown()->text(), u"23:59"_s);
        if (checkSetup) {
            QTest::mouseClick(active->checkSetupLink(), Qt::LeftButton);
            QCOMPARE(f->openedPanes, QList { SettingsPane::Focus });
        }
        QTest::mouseClick(active->endButton(), Qt::LeftButton);
        QCOMPARE(f->focus.phase(), FocusSessionManager::Phase::Ended);
        QVERIFY(view.startScreen()->isVisible());
        QCOMPARE(view.outcomeLine()->text(), u"Focus ended after 1 min"_s);
    }
};

QTEST_MAIN(TestFocusView)
#include "tst_FocusView.moc"
