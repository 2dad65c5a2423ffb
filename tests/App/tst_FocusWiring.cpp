#include "AnimationClock.h"
#include "App/Tray/HostWindow.h"
#include "App/Tray/TrayPanel.h"
#include "App/Tray/TrayTimerImage.h"
#include "AppHarness.h"
#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Models/Focus/FocusSessionCoding.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Services/Focus/FocusTabState.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"
#include "Views/Focus/DurationChip.h"
#include "Views/Focus/FocusView.h"
#include "Views/Focus/SilencingPrompt.h"
#include "Views/Shell/PanelContent.h"

#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

double luminance(QRgb colour)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) + 0.0722 * channel(qBlue(colour));
}

// How many of the picture's pixels, laid on the tray's colour, stand out from it as text must
// (a contrast of 4.5 to 1), per pixel of the icon's side at scale 1.
double legibleInk(const QImage &picture, const QColor &tray)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const double trayLuminance = luminance(tray.rgb());
    int legible = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const double alpha = qAlpha(pixel) / 255.0;
            const auto blend = [&](int ink, int behind) { return qRound(ink * alpha + behind * (1 - alpha)); };
            const QRgb seen = qRgb(
                blend(qRed(pixel), tray.red()), blend(qGreen(pixel), tray.green()), blend(qBlue(pixel), tray.blue()));
            const double a = luminance(seen) + 0.05;
            const double b = trayLuminance + 0.05;
            if (std::max(a, b) / std::min(a, b) >= 4.5)
                ++legible;
        }
    }
    return legible / (picture.devicePixelRatio() * picture.devicePixelRatio());
}

} // namespace

// Focus sessions in the running application: the stored session at start-up, the tray icon's
// countdown, the status menu's focus entries and waking from sleep.
class TestFocusWiring final : public QObject
{
    Q_OBJECT

private:
    // A session of 25 minutes that started a minute before the harness's clock.
    static void storeRunningSession(AppHarness &h, FocusSilencing silencing)
    {
        FocusSession session = FocusSession::make(25, h.clock.now().addSecs(-60));
        session.silencing = silencing;
        h.settings.setValue(FocusSessionManager::storageKey, FocusSessionCoding::encode(session).value());
    }

private Q_SLOTS:
    // The countdown in the tray reads on the tray it sits in: one whose colour is known, and
    // one whose colour cannot be learned, where it is drawn as the appearance suggests and the
    // tray may be light or dark all the same.
    void countdownReadsOnEveryTray_data()
    {
        QTest::addColumn<std::optional<QColor>>("trayColour");
        QTest::addColumn<Appearance>("appearance");
        QTest::addColumn<QList<QColor>>("trays");
        const QColor light(0xd6, 0xd6, 0xd6);
        const QColor dark(0x2b, 0x2b, 0x2b);
        const std::optional<QColor> unknown;
        QTest::newRow("light tray") << std::optional(light) << Appearance::Dark << QList { light };
        QTest::newRow("dark tray") << std::optional(dark) << Appearance::Light << QList { dark };
        QTest::newRow("unknown tray, light appearance") << unknown << Appearance::Light << QList { light, dark };
        QTest::newRow("unknown tray, dark appearance") << unknown << Appearance::Dark << QList { light, dark };
    }

    void countdownReadsOnEveryTray()
    {
        QFETCH(std::optional<QColor>, trayColour);
        QFETCH(Appearance, appearance);
        QFETCH(QList<QColor>, trays);
        AppHarness h;
        storeRunningSession(h, FocusSilencing::none());
        h.tray.setColours(std::nullopt, trayColour);
        h.create().preferences().setAppearance(appearance);
        h.start();
        QVERIFY(h.tray.toolTip().startsWith(u"Vemra, Focus Session"_s));
        for (const QColor &tray : trays) {
            for (qreal ratio : { 1.0, 2.0 }) {
                const QSize side(TrayTimerImage::side, TrayTimerImage::side);
                const QImage picture = h.tray.icon().pixmap(side, ratio).toImage();
                QCOMPARE(picture.size(), side * ratio);
                // The digits "24" over "00" alone cover about 90 pixels of the 22 × 22 icon.
                const double legible = legibleInk(picture, tray);
                QVERIFY2(legible >= 60, qPrintable(u"%1 at %2: %3"_s.arg(tray.name()).arg(ratio).arg(legible)));
            }
        }
        h.delegate->preferences().setAppearance(Appearance::System);
    }

    void runningSessionLeadsTheTrayAndTheMenu()
    {
        AppHarness h;
        storeRunningSession(h, FocusSilencing::none());
        h.start();
        QVERIFY(h.panelShown());
        QCOMPARE(h.delegate->panelSurface().tab(), VemraTab::Focus);
        QCOMPARE(h.delegate->openingTab(), VemraTab::Focus);
        QCOMPARE(h.tray.toolTip(), u"Vemra, Focus Session, 24 minutes remaining"_s);
        const QList<StatusMenu::Entry> entries = StatusMenu::entries(h.delegate->statusMenuState());
        QCOMPARE(entries.at(0).title, u"Focus Session active · 24:00 remaining"_s);
        QVERIFY(!entries.at(0).enabled);
        QCOMPARE(entries.at(2).title, u"End Focus Session"_s);

        const int iconsBefore = h.tray.iconSets();
        h.delegate->performStatusMenuAction(StatusMenu::Action::EndFocus);
        FocusSessionManager &focus = h.delegate->environment().focus;
        QCOMPARE(focus.phase(), FocusSessionManager::Phase::Ended);
        QCOMPARE(h.tray.toolTip(), u"Vemra"_s);
        QCOMPARE(h.tray.iconSets(), iconsBefore + 1); // the mark again
        QVERIFY(!h.delegate->statusMenuState().focusClock);
        QCOMPARE(h.delegate->openingTab(), VemraTab::Todos);
    }

    void wakeAfterTheEndCompletesOnTime()
    {
        AppHarness h;
        storeRunningSession(h, FocusSilencing::none());
        h.start();
        h.clock.advance(30 * 60'000);
        h.workspace.wake();
        QTRY_COMPARE(h.notifications.posted.size(), 1);
        QCOMPARE(h.notifications.posted.first().summary, u"Focus complete"_s);
        QCOMPARE(h.notifications.posted.first().body, u"Your 25-minute focus session is finished."_s);
        QCOMPARE(h.sounds.played(), QStringList { u"focus-complete"_s });
        QCOMPARE(h.tray.toolTip(), u"Vemra"_s);
    }

    void sessionThatRanOutWhileQuitIsFinishedLate()
    {
        AppHarness h;
        storeRunningSession(h, FocusSilencing::turnedOn(u"Do Not Disturb"_s));
        h.scripts.answers.insert(u"Vemra Focus Status"_s, UserScripts::Run::exited(0, "Do Not Disturb\n"));
        h.scripts.answers.insert(u"Vemra Focus Off"_s, UserScripts::Run::exited(0));
        h.clock.advance(3600'000);
        h.start();
        QCOMPARE(h.delegate->openingTab(), VemraTab::Todos);
        QTRY_COMPARE(h.notifications.posted.size(), 1);
        QVERIFY2(h.notifications.posted.first().body.contains(u"finished at 9:24 AM."_s),
            qPrintable(h.notifications.posted.first().body));
        QCOMPARE(h.scripts.ran, (QStringList { u"Vemra Focus Status"_s, u"Vemra Focus Off"_s }));
        QVERIFY(h.sounds.played().isEmpty());
    }

    // A session started in the expanded window is shown in the window as it is: nothing grows,
    // nothing leaves a 1280×800 screen.
    void runningSessionFitsTheWindow()
    {
        AppHarness h;
        h.start();
        h.delegate->showWindow(VemraTab::Focus);
        HostWindow *window = h.delegate->window();
        QVERIFY(window && window->isVisible());
        const QSize before = window->size();
        QCOMPARE(before, QSize(560, 700));
        QCOMPARE(h.delegate->environment().focus.start(600, false), FocusSessionManager::StartResult::Started);
        QCoreApplication::processEvents();
        QCOMPARE(window->size(), before);
        QVERIFY2(
            window->minimumSizeHint().height() <= 700, qPrintable(QString::number(window->minimumSizeHint().height())));
        QVERIFY(window->minimumSize().height() <= 700);
    }

    // The late notification of a relaunch takes the place of the one shown on time.
    void lateNotificationReplacesTheLastOne()
    {
        AppHarness h;
        h.start();
        FocusSessionManager *focus = &h.delegate->environment().focus;
        QCOMPARE(focus->start(25, false), FocusSessionManager::StartResult::Started);
        h.clock.advance(30 * 60'000);
        h.workspace.wake();
        QTRY_COMPARE(h.notifications.posted.size(), 1);
        QCOMPARE(h.notifications.posted.first().replaces, 0u);
        QTRY_COMPARE(focus->session()->notificationId, 1u);

        QCOMPARE(focus->start(10, false), FocusSessionManager::StartResult::Started);
        h.clock.advance(3600'000);
        h.create();
        h.start();
        QTRY_COMPARE(h.notifications.posted.size(), 2);
        QVERIFY(h.notifications.posted.last().body.contains(u"finished at"_s));
        QCOMPARE(h.notifications.posted.last().replaces, 1u);
    }

    // In the panel, what changes below the chips moves alone: the ring, the question and the
    // chips stay where they are, frame by frame, while the window grows or shrinks. The custom
    // fields' room, and the start button under it, come and go with the custom chip's fill.
    void contentBelowTheChipsMovesAlone_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("custom length chosen") << u"custom"_s;
        QTest::newRow("preset chosen after custom") << u"preset"_s;
        QTest::newRow("silencing question") << u"question"_s;
    }
    void contentBelowTheChipsMovesAlone()
    {
        QFETCH(QString, change);
        AppHarness h;
        h.start();
        AnimationClock clock;
        h.delegate->panelSurface().setTab(VemraTab::Focus);
        QWidget *panel = h.delegate->trayPanel()->window();
        FocusView *view = panel->findChild<PanelContent *>()->focusView();
        DurationChip *custom = view->chips().at(7);
        const auto place
            = [panel](const QWidget *widget) { return QRect(widget->mapTo(panel, QPoint()), widget->size()); };
        const auto startTop = [&] { return place(view->startButton()).top(); };
        const int presetStart = startTop();
        if (change == u"preset"_s) {
            QTest::mouseClick(custom, Qt::LeftButton);
            clock.step(400);
        }
        clock.step(400);
        const QWidget *ring = view->readyLabel()->parentWidget();
        const QRect ringAt = place(ring);
        const QRect questionAt = place(view->questionLabel());
        const QRect chipAt = place(view->chips().at(0));
        QVERIFY(!ringAt.intersects(questionAt));
        const int startAt = startTop();

        if (change == u"question"_s) {
            view->state().start();
            QTRY_VERIFY(view->state().isAskingAboutSilencing());
        } else {
            QTest::mouseClick(change == u"custom"_s ? custom : view->chips().at(0), Qt::LeftButton);
        }
        QList<std::pair<qreal, int>> frames; // the custom chip's fill, the start button's top
        for (int frame = 0; frame < 20; ++frame) {
            clock.step(frame == 0 ? 0 : 20);
            QCOMPARE(place(ring), ringAt);
            QCOMPARE(place(view->questionLabel()), questionAt);
            QCOMPARE(place(view->chips().at(0)), chipAt);
            if (change != u"question"_s)
                frames.append({ custom->fill(), startTop() });
        }
        QVERIFY(!view->customFields()->findChild<AppearTransition *>()->isRunning());
        if (change == u"question"_s) {
            QVERIFY(view->prompt()->isVisible());
            QVERIFY(place(view->prompt()).top() > place(view->chips().at(7)).bottom());
            return;
        }
        const int customStart = change == u"custom"_s ? startTop() : startAt;
        QVERIFY(customStart > presetStart);
        int between = 0;
        for (const auto &[fill, top] : frames) {
            QVERIFY2(qAbs(top - (presetStart + fill * (customStart - presetStart))) <= 1.0,
                qPrintable(u"%1 at a fill of %2"_s.arg(top).arg(fill)));
            between += top > presetStart && top < customStart;
        }
        QVERIFY(between >= 3);
    }
};

QTEST_MAIN(TestFocusWiring)
#include "tst_FocusWiring.moc"
