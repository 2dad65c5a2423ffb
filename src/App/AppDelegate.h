#pragma once

#include "App/Tray/StatusMenu.h"
#include "Models/Common/Result.h"
#include "Models/Shell/SettingsPane.h"
#include "Models/Shell/VemraTab.h"
#include "Services/Shell/Environment.h"

#include <QColor>
#include <QKeySequence>
#include <QObject>
#include <QSet>

#include <functional>
#include <memory>
#include <optional>

class DataTransfer;
class FocusNotifier;
class HostWindow;
class ShortcutsFocusSilencer;
class SystemFocusTimers;
class ImageLoader;
class LaunchAtLogin;
class TrayPanel;
class Preferences;
class SettingsWindowController;
class Surface;

// Makes and owns every long-lived object of the application, wires their callbacks at
// start-up, and decides which surface is on screen: the panel under the tray icon, the
// expanded window or the settings window. Everything runs on the main thread.
class AppDelegate final : public QObject
{
    Q_OBJECT

public:
    // `facilities` holds every system facility.
    explicit AppDelegate(const Facilities &facilities, QObject *parent = nullptr);
    ~AppDelegate() override;

    // The start-up: makes the services, the tray icon, the surfaces and the panel, then, on the
    // next turn of the event loop, reports stores that could not be opened and shows the panel.
    void start();

    // The tab the panel opens on: Focus while a focus session runs, else Todos.
    VemraTab openingTab() const;
    void applyAppearance();
    // Shows the first capture failure of the run; later ones are dropped.
    void reportCaptureError(const Error &error);
    void newTodoHotKeyPressed();
    void focusHotKeyPressed();
    bool isStarted() const { return m_environment.has_value(); }
    // The facilities and the services, once started: what every root view is given.
    const Environment &environment() const
    {
        Q_ASSERT(m_environment);
        return *m_environment;
    }

    // Tray icon and status menu. While a focus session runs the icon is its countdown.
    void updateTrayIcon();
    void trayIconClicked(Qt::KeyboardModifiers modifiers);
    void showStatusMenu();
    StatusMenu::State statusMenuState() const;
    void performStatusMenuAction(StatusMenu::Action action);

    // Surfaces.
    void showTrayPanel(VemraTab tab);
    // The hot keys: closes the panel only when it already shows this tab.
    void toggleTrayPanel(VemraTab tab);
    // The tray icon: closes the panel when shown, else opens it on the opening tab.
    void toggleTrayPanel();
    void closeTrayPanel();
    void showWindow(std::optional<VemraTab> tab = std::nullopt);
    void showSettings(SettingsPane pane);
    void newTodo();
    void checkForUpdates();
    // Another launch of the application asked this one to show itself.
    void reopen();
    void windowClosing(QWidget *closing);
    // Quit Vemra, from its menus, Ctrl+Q or a signal that ends the program: the stores write
    // what a failed save left pending, a last failure is told (with a way to try again), then
    // quitRequested.
    void quit();

    // The single way service failures reach the user. Closes the panel first.
    void presentAlert(const QString &title, const std::optional<QString> &detail, const Error &error);
    // A store that could not be opened, with a way to show its file (or, without a file manager,
    // its path to copy).
    void presentLoadError(const QString &title, const Error &error, const QString &file);

    Preferences &preferences() const { return *m_preferences; }
    LaunchAtLogin &launchAtLogin() const { return *m_launchAtLogin; }
    Surface &panelSurface() const { return *m_panelSurface; }
    Surface &windowSurface() const { return *m_windowSurface; }
    Surface &settingsSurface() const { return *m_settingsSurface; }
    bool isTrayPanelShown() const;
    TrayPanel *trayPanel() const { return m_trayPanel.get(); }
    HostWindow *window() const { return m_window.get(); }
    SettingsWindowController *settings() const { return m_settings.get(); }
    bool wasLaunchedAtLogin() const { return m_wasLaunchedAtLogin; }

Q_SIGNALS:
    // Time to end the program: quit() has given the stores their last write.
    void quitRequested();

private:
    void setUpTrayIcon();
    void setUpSurfaces();
    void setUpTrayPanel();
    // Names the panel and its tab in window properties, for desktop scripts and the end-to-end suite.
    void tagPanelWindow(QWidget *window);
    void afterLaunch();
    // Each store that could not open its file is told once, todos first, when start-up is over
    // and its check is; then the panel shows.
    void presentLoadErrors();
    std::unique_ptr<HostWindow> makeWindow();
    std::unique_ptr<SettingsWindowController> makeSettings();
    // A keyboard equivalent that works while `window` is the active window.
    void addCommand(QWidget *window, const QKeySequence &keys, const std::function<void()> &run);
    // Ctrl+N (New Todo) and Ctrl+, (Settings on General), for the expanded and settings windows.
    void addApplicationCommands(QWidget *window);
    // The mark follows the tray it sits in, not the application's appearance.
    QColor trayMarkColour() const;
    void refreshStatusIcon();
    // Says once in the log that Vemra is ready with its icon in a tray, or, where no tray host
    // shows the icon, that there is none, also in a notification, with what to install and how to
    // open the panel meanwhile. scripts/run waits for either.
    void tellTray();

    Facilities m_facilities;
    // Made with the delegate, since the settings window's appearance and the status menu read them.
    Preferences *m_preferences = nullptr;
    LaunchAtLogin *m_launchAtLogin = nullptr;
    // Made at the end of start().
    std::optional<Environment> m_environment;
    // The titles of the alerts on screen now, and the full disk's sentence while one says it.
    QSet<QString> m_alertsShown;
    // The services, declared before the surfaces so that they outlive every view.
    std::unique_ptr<TodoStore> m_todoStore;
    std::unique_ptr<ClipboardStore> m_clipboardStore;
    std::unique_ptr<ClipboardMonitor> m_clipboardMonitor;
    std::unique_ptr<FocusNotifier> m_focusNotifier;
    std::unique_ptr<ShortcutsFocusSilencer> m_focusSilencer;
    std::unique_ptr<SystemFocusTimers> m_focusTimers;
    std::unique_ptr<FocusSessionManager> m_focus;
    std::unique_ptr<ImageLoader> m_imageLoader;
    std::unique_ptr<HotKeys> m_hotKeys;
    std::unique_ptr<Updater> m_updater;
    std::unique_ptr<DataTransfer> m_transfer;
    std::unique_ptr<TrayPanel> m_trayPanel;
    std::unique_ptr<HostWindow> m_window;
    std::unique_ptr<SettingsWindowController> m_settings;
    bool m_hasReportedCaptureError = false;
    bool m_hasReportedTodoLoadError = false;
    bool m_hasReportedClipboardLoadError = false;
    bool m_isLaunched = false;
    bool m_presentingLoadErrors = false;
    // The launch's panel, waiting for the load errors' alerts.
    bool m_panelAfterLoadErrors = false;
    bool m_showsFocusInTray = false;
    // The colour the mark was last drawn in.
    QColor m_trayMark;
    Surface *m_panelSurface = nullptr;
    Surface *m_windowSurface = nullptr;
    Surface *m_settingsSurface = nullptr;
    bool m_wasLaunchedAtLogin = false;
    bool m_quitting = false;
};
