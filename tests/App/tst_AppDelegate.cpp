#include "App/AppearancePalettes.h"
#include "App/SettingsWindowController.h"
#include "App/Tray/HostWindow.h"
#include "App/Tray/TrayPanel.h"
#include "AppHarness.h"
#include "Components/Theme/Symbols.h"
#include "Components/Theme/ThemeStyle.h"
#include "Platform/DataPaths.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/HotKeys/HotKeyCenter.h"
#include "Services/HotKeys/HotKeys.h"
#include "Services/Shell/LaunchAtLogin.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"
#include "Services/Todos/TodoStore.h"
#include "Views/Todos/TodoInput.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStyle>
#include <QTest>

namespace {

// One application delegate over fakes, started the way main() starts it unless `launch` is false.
struct Harness : AppHarness
{
    explicit Harness(bool launchedAtLogin = false, bool launch = true)
    {
        facilities.launchedAtLogin = launchedAtLogin;
        create();
        if (launch)
            start();
    }
};

} // namespace

class TestAppDelegate final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpOpensThePanelUnlessLaunchedAtLogin_data()
    {
        QTest::addColumn<bool>("atLogin");
        QTest::newRow("ordinary launch") << false;
        QTest::newRow("login item") << true;
    }

    void startUpOpensThePanelUnlessLaunchedAtLogin()
    {
        QFETCH(bool, atLogin);
        Harness h(atLogin, false);
        h.delegate->start();
        // The panel waits for the next turn of the event loop.
        QVERIFY(!h.panelShown());
        QCoreApplication::processEvents();

        QVERIFY(h.delegate->isStarted());
        QVERIFY(h.tray.isVisible());
        QCOMPARE(h.tray.toolTip(), QStringLiteral("Vemra"));
        QVERIFY(!h.tray.icon().isNull());
        QCOMPARE(h.panelShown(), !atLogin);
        QCOMPARE(h.delegate->panelSurface().isVisible(), !atLogin);
        QCOMPARE(h.delegate->panelSurface().focusRequest(), atLogin ? 0 : 1);
        QCOMPARE(h.delegate->panelSurface().tab(), VemraTab::Todos);
        QCOMPARE(h.delegate->openingTab(), VemraTab::Todos);
        QVERIFY(h.alerts.alerts().isEmpty());
    }

    void storesThatCannotOpenAreReportedBeforeThePanel_data()
    {
        QTest::addColumn<bool>("atLogin");
        QTest::newRow("ordinary launch") << false;
        QTest::newRow("login item") << true;
    }

    void storesThatCannotOpenAreReportedBeforeThePanel()
    {
        QFETCH(bool, atLogin);
        Harness h(atLogin, false);
        // A folder where the todo database belongs and a file where the clipboard folder
        // belongs: both stores run in memory.
        const QString todos = h.home.dataFolder() + QStringLiteral("/Todos.store");
        const QString clipboard = h.home.dataFolder() + QStringLiteral("/Clipboard");
        QVERIFY(DataPaths::ensureFolder(todos));
        QFile blocker(clipboard);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        QList<bool> panelDuringAlerts;
        h.alerts.onPresent = [&](const Alert &) { panelDuringAlerts << h.panelShown(); };
        h.alerts.answerWith({ 0, 1 });
        h.delegate->start();
        QVERIFY(h.alerts.alerts().isEmpty()); // not before start-up is over
        QCoreApplication::processEvents();

        QCOMPARE(h.alerts.alerts().size(), 2);
        QCOMPARE(h.alerts.alerts().at(0).title, QStringLiteral("Vemra couldn’t open your saved todos."));
        QCOMPARE(h.alerts.alerts().at(1).title, QStringLiteral("Vemra couldn’t open your clipboard history."));
        QCOMPARE(h.alerts.alerts().at(1).buttons.value(1), QStringLiteral("Show in Folder"));
        for (const Alert &alert : h.alerts.alerts())
            QVERIFY2(!alert.informativeText.contains(alert.title), qPrintable(alert.informativeText));
        QCOMPARE(panelDuringAlerts, (QList<bool> { false, false }));
        QCOMPARE(h.revealer.revealed(), QStringList { clipboard });
        QCOMPARE(h.panelShown(), !atLogin);
        // Both keep working in memory.
        QVERIFY(h.delegate->environment().todos.add(QStringLiteral("kept in memory"), std::nullopt));
        QCOMPARE(h.delegate->environment().todos.allTodos().size(), 1);
        QCOMPARE(h.delegate->environment().clipboard.count(), 0);
    }

    void hotKeysToggleThePanelOnTheirTab()
    {
        Harness h;
        QVERIFY(h.panelShown());
        QSignalSpy focus(&h.delegate->panelSurface(), &Surface::focusRequestChanged);

        h.delegate->focusHotKeyPressed(); // shown on Todos: switch, stay open
        QVERIFY(h.panelShown());
        QCOMPARE(h.delegate->panelSurface().tab(), VemraTab::Focus);
        QCOMPARE(focus.count(), 1);

        h.delegate->focusHotKeyPressed(); // same tab again: close
        QVERIFY(!h.panelShown());
        QVERIFY(!h.delegate->panelSurface().isVisible());

        // The registered shortcuts reach the same actions: ⇧⌘T (T is key code 17).
        QVERIFY(h.hotKeys.isRegistered(HotKeys::newTodoId));
        QVERIFY(h.hotKeys.isRegistered(HotKeys::focusId));
        QVERIFY(h.hotKeys.press(17, 0x100 | 0x200));
        QVERIFY(h.panelShown());
        QCOMPARE(h.delegate->panelSurface().tab(), VemraTab::Todos);
        QVERIFY(h.hotKeys.press(17, 0x100 | 0x200));
        QVERIFY(!h.panelShown());
        QVERIFY(h.delegate->isStarted());
    }

    void trayClicksToggleOrOpenTheMenu()
    {
        Harness h;
        h.tray.click(); // shown: close
        QVERIFY(!h.panelShown());
        h.delegate->panelSurface().setTab(VemraTab::Clipboard);
        h.tray.click(); // hidden: open on the opening tab
        QVERIFY(h.panelShown());
        QCOMPARE(h.delegate->panelSurface().tab(), VemraTab::Todos);

        h.tray.contextClick(); // the menu, and the panel closes first
        QVERIFY(!h.panelShown());
        QCOMPARE(h.tray.menusShown(), 1);

        h.tray.click(Qt::ControlModifier); // Control with the primary button is the menu too
        QCOMPARE(h.tray.menusShown(), 2);
        QVERIFY(!h.panelShown());
    }

    void statusMenuActions()
    {
        Harness h;
        int clipboardCalls = 0;
        connect(&h.delegate->preferences(), &Preferences::clipboardSwitchAssigned, this, [&] { ++clipboardCalls; });

        h.delegate->performStatusMenuAction(StatusMenu::Action::ToggleClipboardPause);
        QVERIFY(h.delegate->preferences().isClipboardPaused());
        QCOMPARE(h.settings.value(QStringLiteral("clipboardPaused")), QVariant(true));
        QCOMPARE(clipboardCalls, 1);
        QVERIFY(h.delegate->statusMenuState().isClipboardPaused);

        h.delegate->performStatusMenuAction(StatusMenu::Action::ToggleLaunchAtLogin);
        QVERIFY(h.delegate->launchAtLogin().isEnabled());
        QVERIFY(h.delegate->statusMenuState().launchesAtLogin);

        QVERIFY(h.delegate->statusMenuState().hasUpdateSource);
        h.updateDriver.source = false;
        QVERIFY(!h.delegate->statusMenuState().hasUpdateSource);

        h.loginItems.failure = QStringLiteral("The autostart folder is not writable.");
        h.delegate->performStatusMenuAction(StatusMenu::Action::ToggleLaunchAtLogin);
        QCOMPARE(h.alerts.alerts().size(), 1);
        QCOMPARE(h.alerts.alerts().at(0).title, QStringLiteral("Vemra couldn’t change Launch at Login."));
        QVERIFY(h.alerts.alerts().at(0).informativeText.contains(QStringLiteral("not writable")));

        h.delegate->performStatusMenuAction(StatusMenu::Action::ViewFocus);
        QVERIFY(h.panelShown());
        QCOMPARE(h.delegate->panelSurface().tab(), VemraTab::Focus);

        h.delegate->performStatusMenuAction(StatusMenu::Action::About);
        QVERIFY(!h.panelShown());
        QVERIFY(h.delegate->settings());
        QCOMPARE(h.delegate->settings()->pane(), SettingsPane::About);
        h.delegate->performStatusMenuAction(StatusMenu::Action::OpenSettings);
        QCOMPARE(h.delegate->settings()->pane(), SettingsPane::General);
    }

    void newTodoFollowsThePanel()
    {
        Harness h;
        h.delegate->panelSurface().setTab(VemraTab::Clipboard);
        const int before = h.delegate->panelSurface().focusRequest();
        h.delegate->newTodo();
        QVERIFY(h.panelShown());
        QCOMPARE(h.delegate->panelSurface().tab(), VemraTab::Todos);
        QCOMPARE(h.delegate->panelSurface().focusRequest(), before + 1);
        QVERIFY(!h.delegate->window());

        h.delegate->closeTrayPanel();
        h.delegate->windowSurface().setTab(VemraTab::Focus);
        h.delegate->newTodo();
        QVERIFY(h.delegate->window());
        QVERIFY(h.delegate->window()->isVisible());
        QCOMPARE(h.delegate->windowSurface().tab(), VemraTab::Todos);
        QVERIFY(h.delegate->windowSurface().isVisible());
        QCOMPARE(h.delegate->windowSurface().focusRequest(), 1);
    }

    void windowKeepsItsTabAndClosesThePanel()
    {
        Harness h;
        h.delegate->panelSurface().setTab(VemraTab::Clipboard);
        h.delegate->panelSurface().expand(); // the panel's ⌘O: same tab in the window
        QVERIFY(!h.panelShown());
        HostWindow *window = h.delegate->window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(h.delegate->windowSurface().tab(), VemraTab::Clipboard);
        QCOMPARE(window->size(), QSize(560, 700));
        QCOMPARE(window->minimumSize(), QSize(420, 520));

        window->close();
        QVERIFY(!window->isVisible());
        QVERIFY(!h.delegate->windowSurface().isVisible());

        h.delegate->showWindow(); // no tab named: the last one
        QCOMPARE(h.delegate->window(), window);
        QCOMPARE(h.delegate->windowSurface().tab(), VemraTab::Clipboard);
        QVERIFY(h.delegate->windowSurface().isVisible());
        QCOMPARE(h.delegate->windowSurface().focusRequest(), 2);

        // The window's and settings window's own close and expand do nothing.
        h.delegate->windowSurface().close();
        h.delegate->windowSurface().expand();
        h.delegate->settingsSurface().close();
        h.delegate->settingsSurface().expand();
        QVERIFY(window->isVisible());
        QVERIFY(!h.delegate->settings());

        // Every surface opens settings.
        for (Surface *surface :
            { &h.delegate->panelSurface(), &h.delegate->windowSurface(), &h.delegate->settingsSurface() }) {
            surface->openSettings(SettingsPane::Data);
            QCOMPARE(h.delegate->settings()->pane(), SettingsPane::Data);
            h.delegate->settings()->show(SettingsPane::General);
        }
    }

    void settingsAndWindowTakeNewTodoAndSettingsKeys()
    {
        Harness h;
        const auto activate = [](QWidget *window) {
            window->activateWindow();
            return QTest::qWaitForWindowActive(window);
        };

        h.delegate->showSettings(SettingsPane::About);
        HostWindow *settings = h.delegate->settings()->window();
        QVERIFY(activate(settings));
        QTest::keyClick(settings, Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(h.delegate->settings()->pane(), SettingsPane::General);
        h.delegate->windowSurface().setTab(VemraTab::Clipboard);
        QTest::keyClick(settings, Qt::Key_N, Qt::ControlModifier);
        HostWindow *window = h.delegate->window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(h.delegate->windowSurface().tab(), VemraTab::Todos);

        h.delegate->windowSurface().setTab(VemraTab::Focus);
        QVERIFY(activate(window));
        QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(h.delegate->windowSurface().tab(), VemraTab::Todos);
    }

    // Every button and toolbar item of the settings window can be reached with Tab and pressed
    // with Space.
    void theSettingsWindowWorksFromTheKeyboard()
    {
        Harness h;
        h.delegate->showSettings(SettingsPane::Data);
        SettingsWindowController *settings = h.delegate->settings();
        HostWindow *window = settings->window();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));

        // Tab goes round every control of the window once, whatever it starts on.
        QStringList reached;
        QWidget *first = nullptr;
        for (int presses = 0; presses < 60; ++presses) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_Tab);
            QWidget *focused = QApplication::focusWidget();
            QVERIFY(focused && focused->window() == window);
            if (focused == first)
                break;
            if (!first)
                first = focused;
            if (auto *button = qobject_cast<QAbstractButton *>(focused))
                reached << button->text();
        }
        for (const QString &wanted :
            { QStringLiteral("General"), QStringLiteral("Clipboard"), QStringLiteral("Focus"), QStringLiteral("Data"),
                QStringLiteral("About"), QStringLiteral("Export…"), QStringLiteral("Import…") })
            QVERIFY2(reached.contains(wanted), qPrintable(reached.join(QStringLiteral(", "))));

        // Space presses what Tab reached: Import… asks for a file, a toolbar item shows its pane.
        const auto focusButton = [&](const QString &text) -> QAbstractButton * {
            for (int presses = 0; presses < 60; ++presses) {
                auto *button = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
                if (button && button->text() == text)
                    return button;
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            return nullptr;
        };
        QAbstractButton *import = focusButton(QStringLiteral("Import…"));
        QVERIFY(import);
        const int asked = h.fileDialogs.requests().size();
        QTest::keyClick(import, Qt::Key_Space);
        QTRY_COMPARE(h.fileDialogs.requests().size(), asked + 1);
        QAbstractButton *about = focusButton(QStringLiteral("About"));
        QVERIFY(about);
        QTest::keyClick(about, Qt::Key_Space);
        QCOMPARE(settings->pane(), SettingsPane::About);
    }

    void ctrlQQuitsAndCtrlWClosesInEveryWindow()
    {
        Harness h;
        QSignalSpy quit(h.delegate.get(), &AppDelegate::quitRequested);
        const auto activate = [](QWidget *window) {
            window->activateWindow();
            return QTest::qWaitForWindowActive(window);
        };
        QWidget *panel = h.delegate->trayPanel()->window();
        QVERIFY(activate(panel));
        QTest::keyClick(panel, Qt::Key_Q, Qt::ControlModifier);
        QTest::keyClick(panel, Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!h.panelShown());

        h.delegate->showWindow();
        h.delegate->showSettings(SettingsPane::General);
        for (HostWindow *window : { h.delegate->window(), h.delegate->settings()->window() }) {
            QVERIFY(activate(window));
            QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
            QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
            QVERIFY(!window->isVisible());
        }
        QCOMPARE(quit.count(), 3);
        QVERIFY(!h.delegate->windowSurface().isVisible());
    }

    void reopenShowsTheWindowOrThePanel()
    {
        Harness h;
        h.delegate->closeTrayPanel();
        h.delegate->reopen();
        QVERIFY(h.panelShown());

        h.delegate->showWindow(VemraTab::Focus);
        const int requests = h.delegate->windowSurface().focusRequest();
        h.delegate->reopen();
        QVERIFY(!h.panelShown());
        QCOMPARE(h.delegate->windowSurface().focusRequest(), requests + 1);
        QCOMPARE(h.delegate->windowSurface().tab(), VemraTab::Focus);
    }

    void alertsCloseThePanelFirst()
    {
        Harness h;
        QVERIFY(h.panelShown());
        bool panelShownDuringAlert = true;
        h.alerts.onPresent = [&](const Alert &) { panelShownDuringAlert = h.panelShown(); };
        h.delegate->presentAlert(QStringLiteral("Vemra couldn’t save your latest change."),
            QStringLiteral("Your todos are still here. Vemra will try again with your next change."),
            Error { QStringLiteral("The disk is full."), {} });
        QVERIFY(!panelShownDuringAlert);
        QCOMPARE(h.alerts.alerts().size(), 1);
        const Alert &alert = h.alerts.alerts().at(0);
        QCOMPARE(alert.style, Alert::Style::Warning);
        QCOMPARE(alert.title, QStringLiteral("Vemra couldn’t save your latest change."));
        QCOMPARE(alert.informativeText,
            QStringLiteral("Your todos are still here. Vemra will try again with your "
                           "next change.\n\nThe disk is full."));
        QVERIFY(alert.buttons.isEmpty());
    }

    // A failed save names the store's sentence once, as the title, and the system's reason under
    // it in the user's words.
    void saveFailuresSayTheirReasonOnceInTheUsersWords_data()
    {
        QTest::addColumn<bool>("clipboard");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("expected");
        QTest::newRow("todos, full disk")
            << false << QStringLiteral("database or disk is full") << QStringLiteral("The disk is full.");
        QTest::newRow("copies, full disk")
            << true << QStringLiteral("database or disk is full") << QStringLiteral("The disk is full.");
        QTest::newRow("todos, read-only file") << false << QStringLiteral("attempt to write a readonly database")
                                               << QStringLiteral("The file can’t be written.");
        QTest::newRow("an unknown reason as it came")
            << false << QStringLiteral("something odd") << QStringLiteral("something odd");
    }

    void saveFailuresSayTheirReasonOnceInTheUsersWords()
    {
        QFETCH(bool, clipboard);
        QFETCH(QString, reason);
        QFETCH(QString, expected);
        Harness h;
        const Environment &e = h.delegate->environment();
        const QString title = clipboard ? QStringLiteral("Vemra couldn’t save your clipboard history.")
                                        : TodoStore::saveFailedMessage();
        if (clipboard)
            Q_EMIT e.clipboard.saveFailed(title, Error { title, reason });
        else
            Q_EMIT e.todos.saveFailed(title, Error { title, reason });
        QCOMPARE(h.alerts.alerts().size(), 1);
        const Alert &alert = h.alerts.alerts().first();
        QCOMPARE(alert.title, title);
        QCOMPARE(alert.informativeText.count(title), 0);
        QVERIFY2(alert.informativeText.endsWith(QStringLiteral("\n\n") + expected), qPrintable(alert.informativeText));
        QVERIFY(!alert.informativeText.contains(QStringLiteral("database or disk")));
    }

    // A StatusNotifierItem host is offered the mark as a themed symbolic icon by name, which it
    // draws in its panel's own colour; an embedded icon stays a picture that follows the tray.
    void aStatusNotifierTrayGetsAThemedSymbolicIcon_data()
    {
        QTest::addColumn<bool>("statusNotifier");
        QTest::newRow("StatusNotifierItem") << true;
        QTest::newRow("embedded") << false;
    }

    void aStatusNotifierTrayGetsAThemedSymbolicIcon()
    {
        QFETCH(bool, statusNotifier);
        Symbols::useIconTheme(); // as main() does
        Harness h(false, false);
        h.tray.setStatusNotifier(statusNotifier);
        h.start();
        const QIcon icon = h.tray.icon();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.name(), statusNotifier ? QStringLiteral("vemra-symbolic") : QString());
        const QString file = QStandardPaths::locate(
            QStandardPaths::GenericDataLocation, QStringLiteral("icons/hicolor/scalable/apps/vemra-symbolic.svg"));
        QCOMPARE(file.isEmpty(), !statusNotifier);
        if (!statusNotifier)
            return;
        // The file draws the mark: something grey on a clear ground.
        const QImage drawn = QIcon(file).pixmap(16).toImage();
        QCOMPARE(drawn.pixelColor(0, 0).alpha(), 0);
        bool inked = false;
        for (int y = 0; y < drawn.height() && !inked; ++y) {
            for (int x = 0; x < drawn.width() && !inked; ++x)
                inked = drawn.pixelColor(x, y).alpha() > 200;
        }
        QVERIFY(inked);
    }

    // Whether the icon found a tray is said once in the log (scripts/run waits for it): at once
    // where a tray shows it, else once the host had its moment, with a notification where none
    // came.
    void aMissingTrayIsToldOnceWithTheWayToThePanel_data()
    {
        QTest::addColumn<bool>("trayAtStart");
        QTest::addColumn<bool>("trayComesUp");
        QTest::addColumn<QString>("said");
        const QString ready = QStringLiteral("Vemra is ready, its icon in the system tray.");
        QTest::newRow("a tray host") << true << true << ready;
        QTest::newRow("no tray host") << false << false << QStringLiteral("No system tray found.");
        QTest::newRow("a host that comes up a moment after start") << false << true << ready;
    }

    void aMissingTrayIsToldOnceWithTheWayToThePanel()
    {
        QFETCH(bool, trayAtStart);
        QFETCH(bool, trayComesUp);
        QFETCH(QString, said);
        static QStringList logged;
        logged.clear();
        const QtMessageHandler before
            = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &message) {
                  if (qstrcmp(context.category, "vemra.shell") == 0
                      && (message.startsWith(QStringLiteral("Vemra is ready"))
                          || message.startsWith(QStringLiteral("No system tray found"))))
                      logged << message;
              });
        const auto restore = qScopeGuard([before] { qInstallMessageHandler(before); });
        Harness h(false, false);
        h.tray.setAvailable(trayAtStart);
        h.start();
        QVERIFY(h.notifications.posted.isEmpty()); // the host is given its moment first
        if (trayAtStart) {
            QTRY_COMPARE(logged.size(), 1);
            QVERIFY2(logged.first().startsWith(said), qPrintable(logged.first()));
            return;
        }
        QVERIFY(logged.isEmpty());
        if (trayComesUp)
            h.tray.setAvailable(true);
        QTest::qWait(3500);
        QCOMPARE(logged.size(), 1);
        QVERIFY2(logged.first().startsWith(said), qPrintable(logged.first()));
        if (trayComesUp) {
            QVERIFY(h.notifications.posted.isEmpty());
            return;
        }
        QCOMPARE(h.notifications.posted.size(), 1);
        const FakeDesktopNotifications::Posted told = h.notifications.posted.at(0);
        QCOMPARE(told.summary, QStringLiteral("Vemra found no system tray"));
        QVERIFY2(
            told.body.contains(QStringLiteral("install gnome-shell-extension-appindicator")), qPrintable(told.body));
        const std::optional<KeyCombo> keys = h.delegate->environment().hotKeys.newTodo()->combo();
        QVERIFY(keys);
        QVERIFY2(told.body.contains(keys->displayName() + QStringLiteral(" opens its panel")), qPrintable(told.body));
    }

    void captureErrorsAreReportedOncePerRun()
    {
        Harness h;
        const Error error { QStringLiteral("The image could not be written."), {} };
        h.delegate->reportCaptureError(error);
        h.delegate->reportCaptureError(error);
        h.delegate->reportCaptureError(error);
        QCOMPARE(h.alerts.alerts().size(), 1);
        QCOMPARE(h.alerts.alerts().at(0).title, QStringLiteral("Vemra couldn’t save something you copied."));
        QCOMPARE(h.alerts.alerts().at(0).informativeText,
            QStringLiteral("Your clipboard history is safe. Vemra will keep trying with what you copy next."
                           "\n\nThe image could not be written."));

        Harness next; // a new run tells again
        next.delegate->reportCaptureError(error);
        QCOMPARE(next.alerts.alerts().size(), 1);
    }

    void loadErrorOffersShowInFolder_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("fileManager");
        QTest::addColumn<bool>("revealed");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("words");
        const QString notADatabase = QStringLiteral("The file is not a database.");
        QTest::newRow("OK") << 0 << true << false << notADatabase << notADatabase;
        QTest::newRow("Show in Folder") << 1 << true << true << notADatabase << notADatabase;
        // Nowhere to show it: its path is handed over instead.
        QTest::newRow("Show in Folder, no file manager") << 1 << false << false << notADatabase << notADatabase;
        // The database library's own words for a damaged or foreign file.
        QTest::newRow("damaged") << 0 << true << false << QStringLiteral("database disk image is malformed")
                                 << QStringLiteral("The file is damaged.");
        QTest::newRow("foreign") << 0 << true << false << QStringLiteral("file is not a database") << notADatabase;
    }

    void loadErrorOffersShowInFolder()
    {
        QFETCH(int, answer);
        QFETCH(bool, fileManager);
        QFETCH(bool, revealed);
        QFETCH(QString, reason);
        QFETCH(QString, words);
        Harness h;
        h.revealer.fileManager = fileManager;
        h.alerts.answerWith({ answer });
        const QString file = h.home.dataFolder() + QStringLiteral("/Todos.store");
        h.delegate->presentLoadError(
            QStringLiteral("Vemra couldn’t open your saved todos."), Error { reason, {} }, file);
        const bool handedOver = answer == 1 && !fileManager;
        QCOMPARE(h.alerts.alerts().size(), handedOver ? 2 : 1);
        if (handedOver) {
            const Alert &told = h.alerts.alerts().at(1);
            QCOMPARE(told.title, QStringLiteral("There is no file manager to show it in."));
            QCOMPARE(told.path, file);
        }
        const Alert &alert = h.alerts.alerts().at(0);
        QCOMPARE(alert.buttons, (QStringList { QStringLiteral("OK"), QStringLiteral("Show in Folder") }));
        QCOMPARE(alert.informativeText,
            QStringLiteral("Nothing has been changed or deleted. Until this is fixed, anything new is kept only "
                           "until you quit Vemra.\n\n")
                + words);
        QCOMPARE(h.revealer.revealed(), revealed ? QStringList { file } : QStringList {});
    }

    void desktopSwitchClosesThePanel()
    {
        Harness h;
        QVERIFY(h.panelShown());
        h.workspace.switchDesktop();
        QVERIFY(!h.panelShown());
        QVERIFY(!h.delegate->panelSurface().isVisible());
    }

    void appearanceFollowsThePreference()
    {
        const QColor original = QApplication::palette().color(QPalette::Window);
        Harness h;
        QVERIFY(qobject_cast<ThemeStyle *>(QApplication::style()));
        const int iconSets = h.tray.iconSets();

        h.delegate->preferences().setAppearance(Appearance::Dark);
        QCOMPARE(QApplication::palette().color(QPalette::Window), AppearancePalettes::dark().color(QPalette::Window));
        QVERIFY(h.tray.iconSets() > iconSets);
        h.delegate->preferences().setAppearance(Appearance::Light);
        QCOMPARE(QApplication::palette().color(QPalette::Window), AppearancePalettes::light().color(QPalette::Window));
        h.delegate->preferences().setAppearance(Appearance::System);
        QCOMPARE(QApplication::palette().color(QPalette::Window), original);
    }

    // The panel's text fields paste what the system clipboard holds, read without waiting on its
    // owner, not what Qt's own clipboard would wait on that owner for.
    void textFieldsPasteWithoutWaitingOnTheClipboard()
    {
        Harness h;
        QVERIFY(h.panelShown());
        QLineEdit *field = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *input = top->findChild<TodoInput *>(); input && top->isVisible())
                field = input->field();
        }
        QVERIFY(field);
        QGuiApplication::clipboard()->setText(QStringLiteral("from Qt's clipboard"));
        h.systemClipboard.copyText(QStringLiteral("from another program"));
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE(field->text(), QStringLiteral("from another program"));
    }

    // An unticked entry of the status menu shows its box in either appearance: the box's edge
    // stands out from the menu around it.
    void untickedMenuBoxesShowInEveryAppearance_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    void untickedMenuBoxesShowInEveryAppearance()
    {
        QFETCH(bool, dark);
        Harness h;
        h.delegate->preferences().setAppearance(dark ? Appearance::Dark : Appearance::Light);
        QMenu menu;
        StatusMenu::fill(&menu, StatusMenu::entries(h.delegate->statusMenuState()), &menu, [](StatusMenu::Action) {});
        QAction *unticked = nullptr;
        for (QAction *action : menu.actions()) {
            if (action->text() == QStringLiteral("Launch at Login"))
                unticked = action;
        }
        QVERIFY(unticked && unticked->isCheckable() && !unticked->isChecked());
        menu.adjustSize();
        const QImage image = menu.grab().toImage();
        const QRect item = menu.actionGeometry(unticked);
        const int background = qGray(image.pixel(item.right() - 4, item.center().y()));
        int contrast = 0;
        for (int y = item.top(); y <= item.bottom(); ++y) {
            for (int x = item.left(); x < item.left() + 28; ++x)
                contrast = qMax(contrast, qAbs(qGray(image.pixel(x, y)) - background));
        }
        QVERIFY2(contrast >= 48, qPrintable(QString::number(contrast)));
    }

    // The mark is drawn for the tray it sits in: white on a dark tray with the light appearance,
    // black on a light tray with the dark appearance; checked again when the panel shows.
    void trayMarkFollowsTheTray()
    {
        const auto markColour = [](const QIcon &icon) {
            const QImage image = icon.pixmap(QSize(18, 18)).toImage();
            QRgb darkest = qRgb(255, 255, 255);
            QRgb lightest = qRgb(0, 0, 0);
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb pixel = image.pixel(x, y);
                    if (qAlpha(pixel) < 255)
                        continue;
                    darkest = qGray(pixel) < qGray(darkest) ? pixel : darkest;
                    lightest = qGray(pixel) > qGray(lightest) ? pixel : lightest;
                }
            }
            return QColor(qGray(lightest) > 128 ? lightest : darkest);
        };
        Harness h(false, false);
        h.tray.setColours(std::nullopt, QColor(31, 31, 31));
        h.delegate->start();
        QCOMPARE(markColour(h.tray.icon()), QColor(Qt::white));

        h.delegate->preferences().setAppearance(Appearance::Dark);
        h.tray.setColours(std::nullopt, QColor(0xd6, 0xd6, 0xd6));
        h.delegate->showTrayPanel(VemraTab::Todos);
        QCOMPARE(markColour(h.tray.icon()), QColor(Qt::black));
        h.delegate->preferences().setAppearance(Appearance::System);
    }

    void storedAppearanceAppliesAtStartUp()
    {
        Harness h(false, false);
        h.settings.setValue(QStringLiteral("appearance"), QStringLiteral("dark"));
        h.create();
        h.delegate->start();
        QCOMPARE(QApplication::palette().color(QPalette::Window), AppearancePalettes::dark().color(QPalette::Window));
        h.delegate->preferences().setAppearance(Appearance::System);
    }
};

QTEST_MAIN(TestAppDelegate)
#include "tst_AppDelegate.moc"
