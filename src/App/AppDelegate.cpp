#include "App/AppDelegate.h"

#include "App/AppearancePalettes.h"
#include "App/SettingsWindowController.h"
#include "App/TextPaste.h"
#include "App/Tray/HostWindow.h"
#include "App/Tray/TrayIconImage.h"
#include "App/Tray/TrayPanel.h"
#include "App/Tray/TrayTimerImage.h"
#include "Components/Theme/ThemeStyle.h"
#include "Models/Focus/FocusClock.h"
#include "Platform/AlertPresenter.h"
#include "Platform/DataPaths.h"
#include "Platform/DesktopNotifications.h"
#include "Platform/FileRevealer.h"
#include "Platform/Logging.h"
#include "Platform/TrayHost.h"
#include "Platform/WindowFrame.h"
#include "Platform/WindowTags.h"
#include "Platform/WorkspaceEvents.h"
#include "Services/Clipboard/ClipboardMonitor.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Clipboard/ImageLoader.h"
#include "Services/Focus/FocusNotifier.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Services/Focus/ShortcutsFocusSilencer.h"
#include "Services/Focus/SystemFocusTimers.h"
#include "Services/HotKeys/HotKeyCenter.h"
#include "Services/HotKeys/HotKeys.h"
#include "Services/Shell/LaunchAtLogin.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"
#include "Services/Storage/StoreErrorText.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Transfer/DataTransfer.h"
#include "Services/Updates/UpdateDriver.h"
#include "Services/Updates/Updater.h"
#include "Views/Settings/SettingsPaneViews.h"
#include "Views/Shell/AppMenu.h"
#include "Views/Shell/ExpandedWindow.h"
#include "Views/Shell/PanelContent.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPlatformSurfaceEvent>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <utility>

namespace {

// Runs an action each time a window gets a new native window.
class NativeWindowWatcher final : public QObject
{
public:
    NativeWindowWatcher(QWindow *window, std::function<void()> created)
        : QObject(window)
        , m_created(std::move(created))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::PlatformSurface
            && static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceCreated
            && m_created)
            m_created();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_created;
};

// A tray host that starts with the session (a panel at login) may come up a moment after Vemra.
constexpr std::chrono::seconds noTrayGrace(3);

const QString loadErrorDetail = QStringLiteral(
    "Nothing has been changed or deleted. Until this is fixed, anything new is kept only until you quit Vemra.");

} // namespace

AppDelegate::AppDelegate(const Facilities &facilities, QObject *parent)
    : QObject(parent)
    , m_facilities(facilities)
    , m_panelSurface(new Surface(this))
    , m_windowSurface(new Surface(this))
    , m_settingsSurface(new Surface(this))
{
    const Facilities &f = m_facilities;
    Q_ASSERT(f.settings && f.alerts && f.revealer && f.fileDialogs && f.workspace && f.tray && f.hotKeyBackend
        && f.desktopShortcuts && f.clock && f.systemClipboard && f.frontApp && f.loginItems && f.updateDriver
        && f.sounds && f.scripts && f.notifications);
    m_preferences = new Preferences(*f.settings, this);
    m_launchAtLogin = new LaunchAtLogin(*f.loginItems, *f.alerts, this);
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::start()
{
    const Facilities &e = m_facilities;
    Preferences &preferences = *m_preferences;
    // Asked now, so that the first window the user opens is placed whole at once.
    WindowFrame::learnUsualFrame();

    // The todos. A store that cannot be opened runs in memory; the user is told once start-up
    // is over, or once the check of its file in the background is.
    m_todoStore = TodoStore::makeDefault(nullptr, IntegrityCheck::InBackground);
    connect(m_todoStore.get(), &TodoStore::checked, this, &AppDelegate::presentLoadErrors);
    connect(m_todoStore.get(), &TodoStore::saveFailed, this, [this](const QString &message, const Error &error) {
        presentAlert(
            message, QStringLiteral("Your todos are still here. Vemra will try again with your next change."), error);
    });

    // The clipboard history, the same way.
    m_clipboardStore = ClipboardStore::makeDefault(IntegrityCheck::InBackground);
    connect(m_clipboardStore.get(), &ClipboardStore::checked, this, &AppDelegate::presentLoadErrors);
    connect(
        m_clipboardStore.get(), &ClipboardStore::saveFailed, this, [this](const QString &message, const Error &error) {
            presentAlert(message,
                QStringLiteral("Your clipboard history is still here. Vemra will try again with the next change."),
                error);
        });

    // The clipboard monitor. Only the first failed capture of a run is shown, and the store's
    // own writes to the clipboard are not recorded again.
    m_clipboardMonitor
        = std::make_unique<ClipboardMonitor>(*m_clipboardStore, preferences, *e.systemClipboard, *e.frontApp, *e.clock);
    ClipboardMonitor *monitor = m_clipboardMonitor.get();
    connect(monitor, &ClipboardMonitor::captureFailed, this, &AppDelegate::reportCaptureError);
    connect(m_clipboardStore.get(), &ClipboardStore::copiedBack, monitor,
        [monitor](qint64 changeCount) { monitor->ownChangeCount = changeCount; });

    // The clipboard's pictures, decoded off the main thread for every surface's rows and previews.
    m_imageLoader = std::make_unique<ImageLoader>();

    // The clipboard switches re-evaluate capture, the appearance applies at once.
    connect(&preferences, &Preferences::clipboardSwitchAssigned, monitor, &ClipboardMonitor::update);
    applyAppearance();
    connect(&preferences, &Preferences::appearanceAssigned, this, &AppDelegate::applyAppearance);

    connect(m_launchAtLogin, &LaunchAtLogin::failed, this,
        [this](const Error &error) { presentAlert(LaunchAtLogin::errorTitle(), std::nullopt, error); });

    // Focus sessions: silenced through the user's scripts, announced by the desktop's
    // notifications; the tray icon counts down.
    m_focusNotifier = std::make_unique<FocusNotifier>(*e.notifications, *e.sounds);
    m_focusSilencer = std::make_unique<ShortcutsFocusSilencer>(*e.scripts);
    m_focusTimers = std::make_unique<SystemFocusTimers>();
    m_focus = std::make_unique<FocusSessionManager>(
        *m_focusSilencer, *m_focusNotifier, preferences, *e.settings, *e.clock, *m_focusTimers);
    connect(m_focus.get(), &FocusSessionManager::changed, this, &AppDelegate::updateTrayIcon);
    connect(e.workspace, &WorkspaceEvents::didWake, m_focus.get(), &FocusSessionManager::catchUp);

    // The two global shortcuts register at once; one that another application holds is tried
    // again a few times.
    m_hotKeys = HotKeys::makeDefault(*e.settings, *e.hotKeyBackend, *e.desktopShortcuts);
    connect(m_hotKeys->newTodo(), &HotKeyCenter::pressed, this, &AppDelegate::newTodoHotKeyPressed);
    connect(m_hotKeys->focus(), &HotKeyCenter::pressed, this, &AppDelegate::focusHotKeyPressed);

    m_updater = std::make_unique<Updater>(*e.updateDriver);

    m_transfer = std::make_unique<DataTransfer>(*m_todoStore, *m_clipboardStore, *e.fileDialogs, *e.alerts, *e.clock);

    m_environment.emplace(Environment {
        .settings = *e.settings,
        .alerts = *e.alerts,
        .revealer = *e.revealer,
        .fileDialogs = *e.fileDialogs,
        .workspace = *e.workspace,
        .tray = *e.tray,
        .hotKeyBackend = *e.hotKeyBackend,
        .desktopShortcuts = *e.desktopShortcuts,
        .clock = *e.clock,
        .systemClipboard = *e.systemClipboard,
        .frontApp = *e.frontApp,
        .loginItems = *e.loginItems,
        .updateDriver = *e.updateDriver,
        .sounds = *e.sounds,
        .scripts = *e.scripts,
        .notifications = *e.notifications,
        .preferences = preferences,
        .launchAtLogin = *m_launchAtLogin,
        .todos = *m_todoStore,
        .clipboard = *m_clipboardStore,
        .monitor = *m_clipboardMonitor,
        .images = *m_imageLoader,
        .focus = *m_focus,
        .hotKeys = *m_hotKeys,
        .transfer = *m_transfer,
        .updater = *m_updater,
    });

    // Every text field pastes without waiting on the clipboard's owner.
    QCoreApplication::instance()->installEventFilter(new TextPaste(*e.systemClipboard, this));
    setUpTrayIcon();
    setUpSurfaces();
    setUpTrayPanel();
    // Clipboard capture starts, or stays off, as the settings say.
    monitor->update();
    // A session stored before the last quit goes on, or is finished late.
    m_focus->restoreSaved();
    connect(e.workspace, &WorkspaceEvents::activeSpaceChanged, this, &AppDelegate::closeTrayPanel);

    m_wasLaunchedAtLogin = e.launchedAtLogin;
    QTimer::singleShot(0, this, &AppDelegate::afterLaunch);
}

void AppDelegate::afterLaunch()
{
    m_isLaunched = true;
    // What would slow the start waits until the event loop first has nothing to do.
    auto idle = std::make_shared<QMetaObject::Connection>();
    *idle = connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this, idle] {
        disconnect(*idle);
        m_clipboardStore->startIdleWork();
    });
    m_panelAfterLoadErrors = !m_wasLaunchedAtLogin;
    presentLoadErrors();
}

void AppDelegate::presentLoadErrors()
{
    // An alert runs an event loop of its own, where the end of start-up or another store's check
    // may arrive: the loop below tells them once this alert is dismissed, one alert at a time.
    if (!m_isLaunched || m_presentingLoadErrors)
        return;
    m_presentingLoadErrors = true;
    // A panel an alert closed comes back once the user has read them all, as the launch's own does.
    std::optional<VemraTab> closedTab;
    const auto tell
        = [&](bool &told, bool checking, const std::optional<Error> &error, const QString &title, const QString &file) {
              if (told || checking || !error)
                  return false;
              told = true;
              if (isTrayPanelShown() && !closedTab)
                  closedTab = m_panelSurface->tab();
              closeTrayPanel();
              presentLoadError(title, *error, file);
              return true;
          };
    for (;;) {
        if (tell(m_hasReportedTodoLoadError, m_todoStore->isChecking(), m_todoStore->loadError(),
                QStringLiteral("Vemra couldn’t open your saved todos."), m_todoStore->filePath()))
            continue;
        if (tell(m_hasReportedClipboardLoadError, m_clipboardStore->isChecking(), m_clipboardStore->loadError(),
                QStringLiteral("Vemra couldn’t open your clipboard history."),
                DataPaths::appFolder() + QStringLiteral("/Clipboard")))
            continue;
        break;
    }
    m_presentingLoadErrors = false;
    if (std::exchange(m_panelAfterLoadErrors, false))
        showTrayPanel(openingTab());
    else if (closedTab)
        showTrayPanel(*closedTab);
}

VemraTab AppDelegate::openingTab() const
{
    return m_focus && m_focus->activeSession() ? VemraTab::Focus : VemraTab::Todos;
}

void AppDelegate::applyAppearance()
{
    auto *application = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!application)
        return;
    if (!qobject_cast<ThemeStyle *>(QApplication::style()))
        QApplication::setStyle(new ThemeStyle);
    switch (m_preferences->appearance()) {
    case Appearance::System:
        // A palette with nothing set hands the colours back to the desktop's theme.
        QApplication::setPalette(QPalette());
        break;
    case Appearance::Light:
        QApplication::setPalette(AppearancePalettes::light());
        break;
    case Appearance::Dark:
        QApplication::setPalette(AppearancePalettes::dark());
        break;
    }
    refreshStatusIcon();
}

void AppDelegate::reportCaptureError(const Error &error)
{
    if (m_hasReportedCaptureError)
        return;
    m_hasReportedCaptureError = true;
    presentAlert(QStringLiteral("Vemra couldn’t save something you copied."),
        QStringLiteral("Your clipboard history is safe. Vemra will keep trying with what you copy next."), error);
}

void AppDelegate::newTodoHotKeyPressed()
{
    toggleTrayPanel(VemraTab::Todos);
}

void AppDelegate::focusHotKeyPressed()
{
    toggleTrayPanel(VemraTab::Focus);
}

// Tray icon and status menu

void AppDelegate::setUpTrayIcon()
{
    refreshStatusIcon();
    m_facilities.tray->setToolTip(QStringLiteral("Vemra"));
    connect(m_facilities.tray, &TrayHost::clicked, this, &AppDelegate::trayIconClicked);
    connect(m_facilities.tray, &TrayHost::contextClicked, this, &AppDelegate::showStatusMenu);
    // The kind of host decides how the icon is drawn, not only in which colour.
    connect(m_facilities.tray, &TrayHost::hostChanged, this, [this] {
        m_trayMark = QColor();
        refreshStatusIcon();
    });
    m_facilities.tray->setVisible(true);
    // The tray shows what lies behind the icon only once it has taken the icon in: look again
    // shortly until it does (for five seconds at most).
    auto *settle = new QTimer(this);
    settle->setInterval(200);
    connect(settle, &QTimer::timeout, this, [this, settle, tries = 0]() mutable {
        refreshStatusIcon();
        const TrayHost &tray = *m_facilities.tray;
        if (++tries >= 25 || tray.foreground() || tray.background()) {
            settle->stop();
            settle->deleteLater();
        }
    });
    settle->start();
    if (!m_facilities.tray->isAvailable())
        QTimer::singleShot(noTrayGrace, this, &AppDelegate::tellIfNoTray);
}

void AppDelegate::tellIfNoTray()
{
    if (m_facilities.tray->isAvailable())
        return;
    const std::optional<KeyCombo> keys = m_hotKeys->newTodo()->combo();
    const QString meanwhile = keys
        ? QStringLiteral("Meanwhile, ") + keys->displayName() + QStringLiteral(" opens its panel.")
        : QStringLiteral("Meanwhile, starting Vemra again opens its panel.");
    const QString body = QStringLiteral("On GNOME, install gnome-shell-extension-appindicator, turn it on in "
                                        "Extensions and log in again to see its icon. ")
        + meanwhile;
    // Also for whoever started it from a terminal or reads its log (scripts/run does).
    qCWarning(lcShell).noquote() << "No system tray found." << body;
    m_facilities.notifications->post(QStringLiteral("Vemra found no system tray"), body, 0);
}

QColor AppDelegate::trayMarkColour() const
{
    const TrayHost &tray = *m_facilities.tray;
    return TrayIconImage::markColour(tray.foreground(), tray.background(), QGuiApplication::palette());
}

void AppDelegate::refreshStatusIcon()
{
    if (m_showsFocusInTray)
        return;
    const QColor colour = trayMarkColour();
    if (colour == m_trayMark)
        return;
    m_trayMark = colour;
    // A StatusNotifierItem host looks a themed icon up by name and draws it in its panel's own
    // colour; an embedded icon is a picture, drawn here in the colour that stands out.
    TrayHost &tray = *m_facilities.tray;
    tray.setIcon(tray.usesStatusNotifier() ? TrayIconImage::themedIcon(colour) : TrayIconImage::icon(colour));
}

void AppDelegate::updateTrayIcon()
{
    if (!m_focus->activeSession()) {
        if (m_showsFocusInTray) {
            m_showsFocusInTray = false;
            m_trayMark = QColor();
            refreshStatusIcon();
            m_facilities.tray->setToolTip(QStringLiteral("Vemra"));
        }
        return;
    }
    // The countdown is the icon; the tooltip speaks it.
    m_showsFocusInTray = true;
    const double remaining = m_focus->remaining();
    m_facilities.tray->setIcon(TrayTimerImage::icon(FocusClock::text(remaining), trayMarkColour()));
    m_facilities.tray->setToolTip(QStringLiteral("Vemra, Focus Session, ") + FocusClock::spoken(remaining));
}

void AppDelegate::trayIconClicked(Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::ControlModifier)
        showStatusMenu();
    else
        toggleTrayPanel();
}

void AppDelegate::showStatusMenu()
{
    closeTrayPanel();
    // Built afresh on every opening, so every entry reflects this moment.
    QMenu menu;
    QPointer<AppDelegate> self(this);
    StatusMenu::fill(&menu, StatusMenu::entries(statusMenuState()), this, [self](StatusMenu::Action action) {
        if (self)
            self->performStatusMenuAction(action);
    });
    menu.winId();
    WindowTags::setSurface(menu.windowHandle(), QStringLiteral("status-menu"));
    m_facilities.tray->showMenu(&menu);
}

StatusMenu::State AppDelegate::statusMenuState() const
{
    StatusMenu::State state;
    state.hasServices = m_todoStore != nullptr;
    state.launchesAtLogin = m_launchAtLogin->isEnabled();
    state.monitorsClipboard = m_preferences->monitorsClipboard();
    state.isClipboardPaused = m_preferences->isClipboardPaused();
    if (m_updater)
        state.availableVersion = m_updater->availableVersion();
    state.hasUpdateSource = m_facilities.updateDriver->hasSource();
    if (m_focus && m_focus->activeSession())
        state.focusClock = FocusClock::text(m_focus->remaining());
    return state;
}

void AppDelegate::performStatusMenuAction(StatusMenu::Action action)
{
    switch (action) {
    case StatusMenu::Action::None:
        break;
    case StatusMenu::Action::ViewFocus:
        showTrayPanel(VemraTab::Focus);
        break;
    case StatusMenu::Action::EndFocus:
        m_focus->end();
        break;
    case StatusMenu::Action::OpenWindow:
        showWindow();
        break;
    case StatusMenu::Action::OpenSettings:
        showSettings(SettingsPane::General);
        break;
    case StatusMenu::Action::ToggleLaunchAtLogin:
        m_launchAtLogin->toggle();
        break;
    case StatusMenu::Action::ToggleClipboardPause:
        m_preferences->setClipboardPaused(!m_preferences->isClipboardPaused());
        break;
    case StatusMenu::Action::CheckForUpdates:
        checkForUpdates();
        break;
    case StatusMenu::Action::About:
        showSettings(SettingsPane::About);
        break;
    case StatusMenu::Action::Quit:
        quit();
        break;
    }
}

// Surfaces

void AppDelegate::setUpSurfaces()
{
    connect(m_panelSurface, &Surface::closeRequested, this, &AppDelegate::closeTrayPanel);
    connect(m_panelSurface, &Surface::expandRequested, this, [this] { showWindow(m_panelSurface->tab()); });
    for (Surface *surface : { m_panelSurface, m_windowSurface, m_settingsSurface })
        connect(surface, &Surface::settingsRequested, this, &AppDelegate::showSettings);
}

void AppDelegate::setUpTrayPanel()
{
    auto *root = new PanelContent(*m_environment, *m_panelSurface);
    connect(m_facilities.workspace, &WorkspaceEvents::dayChanged, root, &PanelContent::dayChanged);
    connect(root->appMenu(), &AppMenu::quitRequested, this, &AppDelegate::quit);
    m_trayPanel = std::make_unique<TrayPanel>(root);
    connect(m_trayPanel.get(), &TrayPanel::shown, this, [this] {
        m_panelSurface->setVisible(true);
        m_panelSurface->requestInputFocus();
    });
    connect(m_trayPanel.get(), &TrayPanel::closed, this, [this] { m_panelSurface->setVisible(false); });
    // A moment when the user looks at the tray: a good one to check what the mark sits on.
    connect(m_trayPanel.get(), &TrayPanel::shown, this, &AppDelegate::refreshStatusIcon);
    QWidget *window = m_trayPanel->window();
    // Only New Todo: the panel's root answers Ctrl+, itself, and a second Ctrl+, in the same
    // window would make Qt treat both as ambiguous and run neither.
    addCommand(window, QKeySequence(Qt::CTRL | Qt::Key_N), [this] { newTodo(); });
    addCommand(window, QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { quit(); });
    addCommand(window, QKeySequence(Qt::CTRL | Qt::Key_W), [this] { closeTrayPanel(); });
    tagPanelWindow(window);
}

void AppDelegate::tagPanelWindow(QWidget *window)
{
    window->winId();
    QWindow *handle = window->windowHandle();
    const auto tag = [this, handle] {
        // Only a live native window: asking a closed one for its id would make it again.
        if (!handle->handle())
            return;
        WindowTags::setSurface(handle, QStringLiteral("panel"));
        WindowTags::setTab(handle, VemraTabs::storedValue(m_panelSurface->tab()));
    };
    tag();
    connect(m_panelSurface, &Surface::tabChanged, window, tag);
    // Showing another window while the panel is open (or fading out) makes Qt close the popup,
    // which destroys its native window; the next showing makes a new one, untagged.
    new NativeWindowWatcher(handle, tag);
}

bool AppDelegate::isTrayPanelShown() const
{
    return m_trayPanel && m_trayPanel->isShown();
}

void AppDelegate::showTrayPanel(VemraTab tab)
{
    if (!m_trayPanel)
        return;
    m_panelSurface->setTab(tab);
    m_trayPanel->show(m_facilities.tray);
}

void AppDelegate::toggleTrayPanel(VemraTab tab)
{
    if (isTrayPanelShown() && m_panelSurface->tab() == tab)
        closeTrayPanel();
    else
        showTrayPanel(tab);
}

void AppDelegate::toggleTrayPanel()
{
    if (isTrayPanelShown())
        closeTrayPanel();
    else
        showTrayPanel(openingTab());
}

void AppDelegate::closeTrayPanel()
{
    if (m_trayPanel)
        m_trayPanel->close();
}

std::unique_ptr<HostWindow> AppDelegate::makeWindow()
{
    auto window = std::make_unique<HostWindow>();
    window->setWindowTitle(QStringLiteral("Vemra"));
    auto *content = new ExpandedWindow(*m_environment, *m_windowSurface);
    connect(m_facilities.workspace, &WorkspaceEvents::dayChanged, content, &ExpandedWindow::dayChanged);
    window->setContent(content);
    // No larger than the screen's room, frame included, the window needs to be.
    content->setRoom(window->room().height());
    connect(window.get(), &HostWindow::roomChanged, content,
        [content, w = window.get()] { content->setRoom(w->room().height()); });
    window->resize(560, 700);
    addApplicationCommands(window.get());
    connect(window.get(), &HostWindow::windowClosing, this, [this, w = window.get()] { windowClosing(w); });
    return window;
}

void AppDelegate::addCommand(QWidget *window, const QKeySequence &keys, const std::function<void()> &run)
{
    auto *action = new QAction(window);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, run);
    window->addAction(action);
}

void AppDelegate::addApplicationCommands(QWidget *window)
{
    // The application's own keyboard equivalents, which the desktop has no menu bar to carry:
    // New Todo, Settings and Quit work in every window of the application, and Ctrl+W closes
    // the window it is typed in.
    addCommand(window, QKeySequence(Qt::CTRL | Qt::Key_N), [this] { newTodo(); });
    addCommand(window, QKeySequence(Qt::CTRL | Qt::Key_Comma), [this] { showSettings(SettingsPane::General); });
    addCommand(window, QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { quit(); });
    addCommand(window, QKeySequence(Qt::CTRL | Qt::Key_W), [window] { window->close(); });
}

void AppDelegate::showWindow(std::optional<VemraTab> tab)
{
    Q_ASSERT(m_todoStore); // made by start()
    closeTrayPanel();
    if (!m_window)
        m_window = makeWindow();
    if (tab)
        m_windowSurface->setTab(*tab);
    // Every reopening of a closed window puts it back in the middle of the screen.
    if (!m_window->isVisible())
        m_window->centreOnScreen();
    m_window->bringToFront();
    m_windowSurface->setVisible(true);
    m_windowSurface->requestInputFocus();
}

std::unique_ptr<SettingsWindowController> AppDelegate::makeSettings()
{
    auto settings = std::make_unique<SettingsWindowController>(
        [this](SettingsPane pane) { return SettingsPaneViews::make(pane, *m_environment); });
    HostWindow *window = settings->window();
    addApplicationCommands(window);
    connect(window, &HostWindow::windowClosing, this, [this, window] { windowClosing(window); });
    return settings;
}

void AppDelegate::showSettings(SettingsPane pane)
{
    Q_ASSERT(m_todoStore); // made by start()
    closeTrayPanel();
    if (!m_settings)
        m_settings = makeSettings();
    m_settings->show(pane);
}

void AppDelegate::newTodo()
{
    if (isTrayPanelShown()) {
        m_panelSurface->setTab(VemraTab::Todos);
        m_panelSurface->requestInputFocus();
        return;
    }
    showWindow(VemraTab::Todos);
}

void AppDelegate::checkForUpdates()
{
    closeTrayPanel();
    m_updater->checkForUpdates();
}

void AppDelegate::reopen()
{
    if (m_window && m_window->isVisible())
        showWindow();
    else
        showTrayPanel(openingTab());
}

void AppDelegate::windowClosing(QWidget *closing)
{
    if (closing && closing == m_window.get())
        m_windowSurface->setVisible(false);
    // The desktop keeps windows in its task bar whatever the application's role, so there is no
    // accessory mode to return to when the last window closes.
}

void AppDelegate::quit()
{
    // A second request (another signal, a second Ctrl+Q) while the last try is being told.
    if (m_quitting)
        return;
    m_quitting = true;
    // What a failed save left in memory gets one more try; what still can't be written is
    // told before it goes, and the user may make room and try again.
    for (;;) {
        const Status todos = m_todoStore ? m_todoStore->flush() : Status();
        const Status clipboard = m_clipboardStore ? m_clipboardStore->flush() : Status();
        if (todos && clipboard)
            break;
        closeTrayPanel();
        Alert alert;
        alert.style = Alert::Style::Critical;
        alert.title = QStringLiteral("Vemra couldn’t save your latest changes.");
        const Error &error = todos ? clipboard.error() : todos.error();
        // The title says what failed; the text says why, in the user's words where it can.
        alert.informativeText = error.kind == Error::Kind::DiskFull
            ? QStringLiteral("The disk is full. If you quit now, they will be lost: make room on the disk, then try "
                             "again.")
            : QStringLiteral("If you quit now, they will be lost.\n\n") + error.detail;
        alert.buttons = { QStringLiteral("Try Again"), QStringLiteral("Quit Anyway") };
        alert.cancelButton = 0;
        if (m_facilities.alerts->present(alert) != 0)
            break;
    }
    m_quitting = false;
    // The toolkit's quit closes every window and gives up if one refuses; the panel refuses the
    // toolkit's closing while it comes on screen, so it is closed first.
    closeTrayPanel();
    Q_EMIT quitRequested();
}

void AppDelegate::presentAlert(const QString &title, const std::optional<QString> &detail, const Error &error)
{
    // A failure that goes on (a full disk fails every save) is told once, not once more for
    // every change made while its alert is still up; a full disk once, whatever it made fail.
    const bool full = error.kind == Error::Kind::DiskFull;
    const QString fullDisk = StoreErrorText::diskFull();
    if (m_alertsShown.contains(title) || (full && m_alertsShown.contains(fullDisk)))
        return;
    // Counted as shown before the panel closes: closing it ends an edit in place, whose save
    // fails the same way and must not raise a second alert.
    m_alertsShown.insert(title);
    if (full)
        m_alertsShown.insert(fullDisk);
    closeTrayPanel();
    QStringList parts;
    if (detail && !detail->isEmpty())
        parts << *detail;
    // The error's own message is often the alert's title: say it once.
    const QString reason
        = full ? fullDisk : StoreErrorText::inUsersWords(error.message == title ? error.detail : error.description());
    if (!reason.isEmpty())
        parts << reason;
    Alert alert;
    alert.title = title;
    alert.informativeText = parts.join(QStringLiteral("\n\n"));
    m_facilities.alerts->present(alert);
    m_alertsShown.remove(title);
    if (full)
        m_alertsShown.remove(fullDisk);
}

void AppDelegate::presentLoadError(const QString &title, const Error &error, const QString &file)
{
    // A store's error may open with the very sentence the alert has as its title: say it once.
    QString description = error.description();
    if (description.startsWith(title))
        description = description.mid(title.size()).trimmed();
    description = StoreErrorText::inUsersWords(description);
    Alert alert;
    alert.title = title;
    alert.informativeText
        = description.isEmpty() ? loadErrorDetail : loadErrorDetail + QStringLiteral("\n\n") + description;
    alert.buttons = { QStringLiteral("OK"), QStringLiteral("Show in Folder") };
    alert.cancelButton = 0;
    if (m_facilities.alerts->present(alert) != 1)
        return;
    if (m_facilities.revealer->hasFileManager()) {
        m_facilities.revealer->reveal(file);
        return;
    }
    // Without a file manager the folder would open in the web browser: the path is handed over.
    Alert handOver;
    handOver.style = Alert::Style::Informational;
    handOver.title = QStringLiteral("There is no file manager to show it in.");
    handOver.informativeText = QStringLiteral("Its path is selected below: copy it with Ctrl+C.");
    handOver.path = file;
    m_facilities.alerts->present(handOver);
}
