#include "FocusViewFixture.h"

#include "AnimationClock.h"
#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/RollingLabel.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Components/Theme/Theme.h"
#include "Models/Focus/FocusSessionCoding.h"
#include "Services/Focus/FocusTabState.h"
#include "TestHome.h"
#include "Views/Focus/ActiveFocus.h"
#include "Views/Focus/DurationChip.h"
#include "Views/Focus/FocusFooter.h"
#include "Views/Focus/FocusLabel.h"
#include "Views/Focus/FocusView.h"
#include "Views/Focus/LinkButton.h"
#include "Views/Focus/NumberField.h"
#include "Views/Focus/SilencingPrompt.h"

#include <QApplication>
#include <QFontMetricsF>

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using Choice = FocusTabState::Choice;
Q_DECLARE_METATYPE(Density)
Q_DECLARE_METATYPE(FocusSilencing)

class TestFocusView final : public QObject
{
    Q_OBJECT

private:
    TestHome m_home;
    std::unique_ptr<FocusViewFixture> f;
    std::unique_ptr<FocusTabState> m_state;
    std::unique_ptr<FocusView> m_view;

    // Starts a stored session of `minutes` that began a minute ago.
    void storeRunning(int minutes, FocusSilencing silencing = FocusSilencing::none())
    {
        FocusSession running = FocusSession::make(minutes, f->clock.now());
        running.silencing = silencing;
        f->settings.setValue(FocusSessionManager::storageKey, FocusSessionCoding::encode(running).value());
        f->clock.advance(61'500);
        f->focus.restoreSaved();
    }

    // A dark palette as the appearance setting makes one: light text on a dark window.
    static QPalette darkPalette()
    {
        QPalette dark(QColor(0x1e, 0x1e, 0x1e));
        dark.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));
        dark.setColor(QPalette::Text, QColor(0xf0, 0xf0, 0xf0));
        return dark;
    }

    // The colour a label draws its text in.
    static QColor ink(const QLabel *label) { return label->palette().color(label->foregroundRole()); }

    // The text of a clock face fits the room its ring gives it, shrunk at most to 0.6.
    static void verifyFits(const QWidget *face, const QString &text, int nominal)
    {
        QVERIFY2(QFontMetricsF(face->font()).horizontalAdvance(text) <= face->width(),
            qPrintable(u"%1 at %2 px in %3 px"_s.arg(text).arg(face->font().pixelSize()).arg(face->width())));
        QVERIFY(face->sizeHint().width() <= face->width());
        QVERIFY(face->font().pixelSize() >= qCeil(nominal * 0.6));
        QVERIFY(face->font().pixelSize() < nominal);
    }

    FocusView &show(Density density = Density::Compact)
    {
        m_view.reset();
        m_state
            = std::make_unique<FocusTabState>(f->focus, f->preferences, f->surface, Densities::closesSurface(density));
        m_view = std::make_unique<FocusView>(*m_state, *f->hotKeys, density);
        m_view->show();
        m_view->activateWindow();
        if (!QTest::qWaitForWindowActive(m_view.get()))
            qWarning("the focus tab did not become active");
        return *m_view;
    }

private Q_SLOTS:
    void init()
    {
        m_home.setReducesMotion(false);
        f = std::make_unique<FocusViewFixture>();
    }
    void cleanup()
    {
        m_view.reset();
        m_state.reset();
        f.reset();
        QApplication::setPalette(QPalette());
    }

    void keysReachTheTab()
    {
        f->preferences.setFocusSilencesNotifications(false);
        FocusView &view = show();
        QCOMPARE(view.state().choice(), Choice::minutes(25));
        // Arrows arrive with the keypad flag; Shift does not count as a command key.
        QTest::keyClick(&view, Qt::Key_Right, Qt::KeypadModifier);
        QCOMPARE(view.state().choice(), Choice::minutes(30));
        QVERIFY(view.chips().at(4)->isChecked() && !view.chips().at(3)->isChecked());
        QTest::keyClick(&view, Qt::Key_Left, Qt::ShiftModifier | Qt::KeypadModifier);
        QCOMPARE(view.state().choice(), Choice::minutes(25));
        QTest::keyClick(&view, Qt::Key_Left, Qt::AltModifier | Qt::KeypadModifier);
        QCOMPARE(view.state().choice(), Choice::minutes(25));
        QTest::keyClick(&view, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!f->focus.activeSession());
        QTest::keyClick(&view, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
        QCOMPARE(f->focus.activeSession()->minutes(), 25);
        QCOMPARE(f->closes, 1);
        QVERIFY(view.activeFocus()->isVisible() && !view.startScreen()->isVisible());
    }

    // Tab reaches the chips as one stop, the chosen chip; the arrows choose another and the
    // keyboard goes with the choice; Space keeps it, and Return on a chip starts, as elsewhere.
    void tabReachesTheChosenChip()
    {
        f->preferences.setFocusSilencesNotifications(false);
        FocusView &view = show();
        QCOMPARE(view.state().choice(), Choice::minutes(25));
        const QList<DurationChip *> chips = view.chips();
        QTest::keyClick(&view, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), chips.at(3));
        QTest::keyClick(chips.at(3), Qt::Key_Tab);
        QVERIFY(!chips.contains(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), chips.at(3));

        QTest::keyClick(chips.at(3), Qt::Key_Right, Qt::KeypadModifier);
        QCOMPARE(view.state().choice(), Choice::minutes(30));
        QCOMPARE(QApplication::focusWidget(), chips.at(4));
        QCOMPARE(chips.at(3)->focusPolicy(), Qt::NoFocus);
        QTest::keyClick(chips.at(4), Qt::Key_Space);
        QCOMPARE(view.state().choice(), Choice::minutes(30));
        QVERIFY(!f->focus.activeSession());
        QTest::keyClick(chips.at(4), Qt::Key_Return);
        QVERIFY(f->focus.activeSession());
        QCOMPARE(f->focus.activeSession()->minutes(), 30);
        // The keyboard stays with the tab, not with whatever control follows the chips.
        QCOMPARE(QApplication::focusWidget(), &view);
    }

    // With silencing not set up, the keyboard alone starts a session from the prompt and ends it.
    void keyboardAloneAnswersThePromptAndEnds()
    {
        f->silencer.readinessAnswer = FocusSilencerReadiness::missingShortcuts({ u"Vemra Focus On"_s });
        FocusView &view = show(Density::Regular);
        QTest::keyClick(&view, Qt::Key_Return);
        QTRY_VERIFY(view.state().isAskingAboutSilencing());
        QTRY_VERIFY(view.prompt()->isVisible());

        // Tab until a button of the given text has the focus; Space presses it.
        const auto press = [](const QString &text) {
            for (int i = 0; i < 8; ++i) {
                auto *button = qobject_cast<TintedButton *>(QApplication::focusWidget());
                if (button && button->text() == text && button->isVisible()) {
                    QTest::keyClick(button, Qt::Key_Space);
                    return true;
                }
                QWidget *target
                    = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
                QTest::keyClick(target, Qt::Key_Tab);
            }
            return false;
        };
        // Escape from a button of the question leaves the keyboard with the view, where Return
        // asks again rather than pressing whatever control follows in the chain.
        for (int i = 0; i < 8 && !view.prompt()->isAncestorOf(QApplication::focusWidget()); ++i)
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &view, Qt::Key_Tab);
        QVERIFY(view.prompt()->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!view.state().isAskingAboutSilencing());
        QTRY_VERIFY(!view.prompt()->isVisible());
        QCOMPARE(QApplication::focusWidget(), &view);
        QTest::keyClick(&view, Qt::Key_Return);
        QTRY_VERIFY(view.prompt()->isVisible());

        QVERIFY2(press(u"Start Timer Anyway"_s), "Tab never reached Start Timer Anyway");
        QVERIFY(f->focus.activeSession());
        QCOMPARE(f->focus.activeSession()->silencing, FocusSilencing::none());
        QTRY_VERIFY(view.activeFocus()->isVisible());

        QVERIFY2(press(u"End Focus Session"_s), "Tab never reached End Focus Session");
        QVERIFY(!f->focus.activeSession());
    }

    void customFieldsClampAndSubmit()
    {
        f->preferences.setFocusSilencesNotifications(false);
        f->preferences.setFocusMinutes(45);
        FocusView &view = show(Density::Regular);
        QCOMPARE(view.state().choice(), Choice::custom());
        QLineEdit *hours = view.hoursField()->field();
        hours->setFocus();
        hours->selectAll();
        QTest::keyClicks(hours, u"99"_s);
        QCOMPARE(hours->text(), u"24"_s);
        QCOMPARE(view.state().customHours(), 24);
        QVERIFY(view.customHint()->isVisible()); // 24 h 45 min is too long
        QVERIFY(!view.startButton()->isEnabled());
        QCOMPARE(view.clockLabel()->text(), u"–:––"_s);
        // While a field is edited the arrows stay in it.
        QTest::keyClick(hours, Qt::Key_Left, Qt::KeypadModifier);
        QCOMPARE(view.state().choice(), Choice::custom());
        hours->selectAll();
        QTest::keyClicks(hours, u"-5"_s);
        QCOMPARE(hours->text(), u"0"_s);
        QCOMPARE(view.state().customHours(), 0);
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
        f->silencer.holds = true; // a pending session stays pending
        storeRunning(25, silencing);
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

    // A day-long custom length on the start screen and a countdown of ten hours and more shrink
    // to fit their rings, in the panel and in the window.
    void clockFitsItsRing_data()
    {
        QTest::addColumn<Density>("density");
        QTest::newRow("panel") << Density::Compact;
        QTest::newRow("window") << Density::Regular;
    }

    void clockFitsItsRing()
    {
        QFETCH(Density, density);
        const bool compact = density == Density::Compact;
        f->preferences.setFocusMinutes(1440);
        FocusView &view = show(density);
        QCOMPARE(view.clockLabel()->text(), u"24:00:00"_s);
        verifyFits(view.clockLabel(), u"24:00:00"_s, compact ? 30 : 40);

        m_view.reset();
        storeRunning(1440);
        FocusView &running = show(density);
        QCOMPARE(running.activeFocus()->countdown()->text(), u"23:58:59"_s);
        verifyFits(running.activeFocus()->countdown(), u"23:58:59"_s, compact ? 44 : 60);
    }

    // Switching the appearance from light to dark reaches every text of the tab, start screen,
    // prompt, footer and running display alike: each is drawn in its tone of the new palette.
    void textsFollowTheAppearance()
    {
        f->silencer.readinessAnswer = FocusSilencerReadiness::missingShortcuts({ u"Vemra Focus On"_s });
        FocusView &view = show();
        view.state().start(); // asks about silencing: the prompt shows
        QTRY_VERIFY(view.prompt()->isVisible());
        QApplication::setPalette(darkPalette());
        QCoreApplication::processEvents();
        const QPalette dark = darkPalette();
        const QColor secondary = Theme::color(Theme::secondary, dark);
        QCOMPARE(ink(view.readyLabel()), secondary);
        QCOMPARE(view.readyLabel()->text(), u"Ready"_s);
        QCOMPARE(ink(view.questionLabel()), secondary);
        QCOMPARE(ink(view.footer()->statusLabel()), secondary);
        for (const QLabel *label : view.prompt()->findChildren<QLabel *>()) {
            if (label->text() == view.prompt()->prompt().detail)
                QCOMPARE(ink(label), secondary);
        }

        m_view.reset();
        QApplication::setPalette(QPalette());
        f = std::make_unique<FocusViewFixture>();
        storeRunning(25, FocusSilencing::failed());
        FocusView &running = show();
        QApplication::setPalette(dark);
        QCoreApplication::processEvents();
        for (const ToneLabel *label : running.activeFocus()->findChildren<ToneLabel *>()) {
            if (label->isVisible())
                QCOMPARE(label->textColor(), Theme::color(label->tone(), dark));
        }
        QCOMPARE(running.activeFocus()->statusLine()->textColor(), Theme::color(Theme::warning, dark));
    }

    // The prompt fades in over the start button; the custom fields come in as the length is
    // chosen; the preview clock counts up to the new length. Under reduced motion all of it
    // happens at once.
    void startScreenMoves_data()
    {
        QTest::addColumn<bool>("reducesMotion");
        QTest::newRow("motion") << false;
        QTest::newRow("reduced motion") << true;
    }

    void startScreenMoves()
    {
        QFETCH(bool, reducesMotion);
        m_home.setReducesMotion(reducesMotion);
        f->silencer.readinessAnswer = FocusSilencerReadiness::missingShortcuts({ u"Vemra Focus On"_s });
        AnimationClock clock;
        FocusView &view = show();
        const auto *promptFade = view.prompt()->findChild<AppearTransition *>();
        const auto *customAppear = view.customFields()->findChild<AppearTransition *>();
        QVERIFY(promptFade && customAppear);

        // The start box gives up its room at once rather than fading beside the prompt.
        view.state().start();
        QTRY_VERIFY(view.state().isAskingAboutSilencing());
        QVERIFY(!view.startButton()->isVisible());
        QCOMPARE(promptFade->isRunning(), !reducesMotion);
        clock.step(200);
        QVERIFY(!promptFade->isRunning());
        QVERIFY(view.prompt()->isVisible());

        // Choosing a length eases the chip's fill in.
        DurationChip *custom = view.chips().at(7);
        const QPoint inside(6, custom->height() / 2);
        const QRgb before = custom->grab().toImage().pixel(inside);
        QTest::mouseClick(custom, Qt::LeftButton);
        QCOMPARE(customAppear->isRunning(), !reducesMotion);
        clock.step(60);
        const QRgb halfway = custom->grab().toImage().pixel(inside);
        clock.step(200);
        QVERIFY(!customAppear->isRunning());
        QVERIFY(view.customFields()->isVisible());
        const QRgb after = custom->grab().toImage().pixel(inside);
        QVERIFY(before != after);
        QCOMPARE(halfway != before && halfway != after, !reducesMotion);

        QTest::mouseClick(view.chips().at(0), Qt::LeftButton); // 10 minutes, from 45
        QCOMPARE(view.clockLabel()->text(), u"10:00"_s);
        QCOMPARE(view.clockLabel()->isRolling(), !reducesMotion);
        if (!reducesMotion)
            QVERIFY(!view.clockLabel()->arriving(1).isEmpty() && view.clockLabel()->arriving(-1).isEmpty());
        clock.step(500);
        QVERIFY(!view.clockLabel()->isRolling());
        QVERIFY(!view.customFields()->isVisible());
    }
};

QTEST_MAIN(TestFocusView)
#include "tst_FocusView.moc"
