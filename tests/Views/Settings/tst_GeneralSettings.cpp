#include "App/SettingsWindowController.h"
#include "App/Tray/HostWindow.h"
#include "AppHarness.h"
#include "FocusRingProbe.h"
#include "Services/HotKeys/HotKeys.h"
#include "Services/Shell/LaunchAtLogin.h"
#include "Services/Shell/Preferences.h"
#include "Services/Updates/Updater.h"
#include "Views/Settings/AppearancePicker.h"
#include "Views/Settings/GeneralSettings.h"
#include "Views/Settings/SettingsNote.h"
#include "Views/Settings/SettingsRow.h"
#include "Views/Settings/SettingsSwitch.h"
#include "Views/Settings/ShortcutRecorder.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

namespace {

constexpr quint32 T = 17;
constexpr quint32 Y = 16;
constexpr quint32 shiftCommand = 0x300;
constexpr quint32 controlOptionCommand = 0x1900;
constexpr quint32 controlShift = 0x1200;

} // namespace

class TestGeneralSettings final : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppHarness> app;

    GeneralSettings *openPane()
    {
        app->start();
        app->delegate->showSettings(SettingsPane::General);
        auto *pane = qobject_cast<GeneralSettings *>(app->delegate->settings()->paneView(SettingsPane::General));
        Q_ASSERT(pane);
        return pane;
    }

private Q_SLOTS:
    void init() { app = std::make_unique<AppHarness>(); }
    void cleanup() { app.reset(); }

    // The keys as a PC names them; the browser's sentence only where browsers use the keys; a
    // combination the desktop keeps for itself is told by the problem line alone.
    void shortcutNoteFollowsTheCombination_data()
    {
        QTest::addColumn<std::optional<KeyCombo>>("chosen");
        QTest::addColumn<bool>("desktopUsesIt");
        QTest::addColumn<QString>("note");
        QTest::newRow("standard")
            << std::optional<KeyCombo>(KeyCombo::standard()) << false
            << QStringLiteral("Shift+Super+T works in every app, in place of anything that app uses it for.");
        QTest::newRow("the browsers' keys")
            << std::optional<KeyCombo>(KeyCombo { T, controlShift, QStringLiteral("T") }) << false
            << QStringLiteral("Ctrl+Shift+T works in every app, in place of anything that app uses it for. In "
                              "browsers that’s Reopen Closed Tab.");
        QTest::newRow("another") << std::optional<KeyCombo>(KeyCombo { T, controlOptionCommand, QStringLiteral("T") })
                                 << false
                                 << QStringLiteral(
                                        "Ctrl+Alt+Super+T works in every app, in place of anything that app uses it "
                                        "for.");
        QTest::newRow("the desktop's") << std::optional<KeyCombo>(KeyCombo::standard()) << true << QString();
        QTest::newRow("none") << std::optional<KeyCombo>() << false
                              << QStringLiteral("Without a shortcut, open Vemra from its icon in the menu bar.");
    }
    void shortcutNoteFollowsTheCombination()
    {
        QFETCH(std::optional<KeyCombo>, chosen);
        QFETCH(bool, desktopUsesIt);
        QFETCH(QString, note);
        if (desktopUsesIt)
            app->desktopShortcuts.listed.insert({ T, shiftCommand });
        GeneralSettings *pane = openPane();
        app->delegate->environment().hotKeys.newTodo()->set(chosen);
        QCOMPARE(pane->shortcutFooter()->text(), note);
        QCOMPARE(pane->shortcutFooter()->isVisible(), !note.isEmpty());
        QCOMPARE(pane->shortcutProblem()->isVisible(), desktopUsesIt);
        if (desktopUsesIt)
            QVERIFY(pane->shortcutProblem()->text().startsWith(QStringLiteral("The desktop uses Shift+Super+T for")));
    }

    // Another application's hold shows under the recorder, beside the note, grows the window,
    // and goes when a free combination is chosen.
    void problemLineComesAndGoes()
    {
        app->hotKeys.setTaken(Y, shiftCommand);
        GeneralSettings *pane = openPane();
        HostWindow *window = app->delegate->settings()->window();
        const int before = window->height();
        HotKeyCenter *newTodo = app->delegate->environment().hotKeys.newTodo();

        newTodo->set(KeyCombo { Y, shiftCommand, QStringLiteral("Y") });
        QVERIFY(pane->shortcutProblem()->isVisible());
        QCOMPARE(pane->shortcutProblem()->text(),
            QStringLiteral("Another app is already using Shift+Super+Y. Choose a different shortcut."));
        QVERIFY(pane->shortcutFooter()->text().startsWith(QStringLiteral("Shift+Super+Y works")));
        QTRY_VERIFY(window->height() > before);
        QCOMPARE(window->width(), GeneralSettings::paneWidth);

        newTodo->set(KeyCombo::standard());
        QVERIFY(!pane->shortcutProblem()->isVisible());
        QTRY_COMPARE(window->height(), before);
    }

    // The switch shows what the system reports: after a toggle, after a refused change, and
    // after a change behind Vemra's back once the pane is shown again.
    void launchAtLoginShowsTheSystemsState()
    {
        GeneralSettings *pane = openPane();
        SettingsSwitch *toggle = pane->launchAtLoginSwitch();
        QVERIFY(!toggle->isChecked());

        QTest::mouseClick(toggle, Qt::LeftButton);
        QCOMPARE(app->loginItems.calls, QStringList { QStringLiteral("register") });
        QVERIFY(toggle->isChecked());

        app->loginItems.failure = QStringLiteral("read-only folder");
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(toggle->isChecked());
        QCOMPARE(app->alerts.alerts().size(), 1);

        app->loginItems.failure.reset();
        app->loginItems.current = LoginItemService::Status::NotRegistered;
        QVERIFY(toggle->isChecked());
        app->delegate->showSettings(SettingsPane::About);
        app->delegate->showSettings(SettingsPane::General);
        QVERIFY(!toggle->isChecked());
    }

    // A shortcut typed into the recorder is stored at once; leaving the pane ends a recording.
    void recorderRecordsAndStopsWhenThePaneGoes()
    {
        GeneralSettings *pane = openPane();
        HostWindow *window = app->delegate->settings()->window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        ShortcutRecorder *recorder = pane->shortcutRecorder();
        QTest::mouseClick(recorder->field(), Qt::LeftButton);
        QVERIFY(recorder->isRecording());
        QTest::keyClick(window, Qt::Key_Y, Qt::MetaModifier | Qt::ShiftModifier);
        QCOMPARE(recorder->label(), QStringLiteral("Shift+Super+Y"));
        QCOMPARE(app->settings.value(QStringLiteral("hotKey")).toMap().value(QStringLiteral("keyCode")).toInt(), 16);

        QTest::mouseClick(recorder->field(), Qt::LeftButton);
        QVERIFY(recorder->isRecording());
        QTest::mouseClick(app->delegate->settings()->toolbarButtons().at(4), Qt::LeftButton);
        QVERIFY(!recorder->isRecording());
        QVERIFY(!app->delegate->environment().hotKeys.newTodo()->isSuspended());
    }

    void appearanceIsChosenOnTheThumbnails()
    {
        GeneralSettings *pane = openPane();
        AppearancePicker *picker = pane->appearancePicker();
        Preferences &preferences = app->delegate->preferences();
        QCOMPARE(picker->selection(), Appearance::System);

        QTest::mouseClick(picker->button(Appearance::Dark), Qt::LeftButton);
        QCOMPARE(preferences.appearance(), Appearance::Dark);
        QCOMPARE(app->settings.value(QStringLiteral("appearance")).toString(), QStringLiteral("dark"));
        // Clicking the chosen one keeps it chosen.
        QTest::mouseClick(picker->button(Appearance::Dark), Qt::LeftButton);
        QVERIFY(picker->button(Appearance::Dark)->isChecked());
        QCOMPARE(preferences.appearance(), Appearance::Dark);

        preferences.setAppearance(Appearance::Light);
        QCOMPARE(picker->selection(), Appearance::Light);
        QVERIFY(picker->button(Appearance::Light)->isChecked());
        QVERIFY(!picker->button(Appearance::Dark)->isChecked());
    }

    // The ring that Tab puts around a thumbnail shows on all four sides, none cut by the button's edge.
    void appearanceFocusRingIsWhole()
    {
        GeneralSettings *pane = openPane();
        pane->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(pane->window()));
        for (const Appearance appearance : Appearances::all) {
            QAbstractButton *button = pane->appearancePicker()->button(appearance);
            button->setFocus(Qt::TabFocusReason);
            QVERIFY(button->hasFocus());
            button->window()->setAttribute(Qt::WA_KeyboardFocusChange, false);
            const QImage plain = button->grab().toImage();
            button->window()->setAttribute(Qt::WA_KeyboardFocusChange, true);
            const QImage ringed = button->grab().toImage();
            QCOMPARE(ringed.size(), plain.size());

            // The ring is what focus changed; its topmost row and leftmost column hold a whole side.
            int top = ringed.height(), left = ringed.width();
            QList<int> perRow(ringed.height()), perColumn(ringed.width());
            for (int y = 0; y < ringed.height(); ++y) {
                for (int x = 0; x < ringed.width(); ++x) {
                    if (ringed.pixel(x, y) == plain.pixel(x, y))
                        continue;
                    ++perRow[y];
                    ++perColumn[x];
                    top = qMin(top, y);
                    left = qMin(left, x);
                }
            }
            QVERIFY2(top < ringed.height(), "no focus ring drawn");
            QVERIFY2(perRow.at(top) > 30, qPrintable(QStringLiteral("top side cut: %1 px").arg(perRow.at(top))));
            QVERIFY2(
                perColumn.at(left) > 20, qPrintable(QStringLiteral("left side cut: %1 px").arg(perColumn.at(left))));
        }
    }

    // The switch and the thumbnails wear the theme's ring, as every control Tab reaches does.
    void theRingsAreTheThemes()
    {
        GeneralSettings *pane = openPane();
        pane->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(pane->window()));
        const QList<QAbstractButton *> controls { pane->automaticUpdatesSwitch(),
            pane->appearancePicker()->button(Appearance::Dark) };
        for (QAbstractButton *control : controls) {
            control->setFocus(Qt::TabFocusReason);
            QVERIFY(control->hasFocus());
            const QString fault = themeRingFault(control);
            QVERIFY2(fault.isEmpty(),
                qPrintable(QString::fromLatin1(control->metaObject()->className()) + QStringLiteral(": ") + fault));
        }
    }

    void updatesRows()
    {
        GeneralSettings *pane = openPane();
        QCOMPARE(pane->versionRow()->title(), QStringLiteral("Vemra ") + Updater::version());
        QCOMPARE(pane->versionRow()->subtitle(), QStringLiteral("Look for a newer version now"));
        app->updateDriver.delegate->willHandleShowingUpdate(
            false, { QStringLiteral("200"), QStringLiteral("2.0"), {} });
        QCOMPARE(pane->versionRow()->subtitle(), QStringLiteral("Vemra 2.0 is available"));
        QTest::mouseClick(pane->checkNowButton(), Qt::LeftButton);
        QCOMPARE(app->updateDriver.log, QStringList { QStringLiteral("check") });

        QVERIFY(pane->automaticUpdatesSwitch()->isChecked());
        QTest::mouseClick(pane->automaticUpdatesSwitch(), Qt::LeftButton);
        QVERIFY(!app->updateDriver.automatic);
        QVERIFY(!pane->automaticUpdatesSwitch()->isChecked());
    }

    // A build without an update source says so, and its automatic check is off and cannot be
    // turned on, whatever was stored; the stored choice is kept for a build that has one.
    void updatesRowsWithoutAnUpdateSource()
    {
        app->updateDriver.source = false;
        GeneralSettings *pane = openPane();
        QCOMPARE(pane->versionRow()->subtitle(), QStringLiteral("This copy of Vemra has no update source configured."));
        app->updateDriver.delegate->willHandleShowingUpdate(
            false, { QStringLiteral("200"), QStringLiteral("2.0"), {} });
        QCOMPARE(pane->versionRow()->subtitle(), QStringLiteral("This copy of Vemra has no update source configured."));
        QVERIFY(!pane->automaticUpdatesSwitch()->isChecked());
        QVERIFY(!pane->automaticUpdatesSwitch()->isEnabled());
        pane->automaticUpdatesSwitch()->click();
        QVERIFY(!pane->automaticUpdatesSwitch()->isChecked());
        QCOMPARE(app->updateDriver.writes, 0);
        QVERIFY(app->updateDriver.automatic);
        // "Check Now" likewise.
        QVERIFY(!pane->checkNowButton()->isEnabled());
        QTest::mouseClick(pane->checkNowButton(), Qt::LeftButton);
        QVERIFY(app->updateDriver.log.isEmpty());
    }
};

QTEST_MAIN(TestGeneralSettings)
#include "tst_GeneralSettings.moc"
