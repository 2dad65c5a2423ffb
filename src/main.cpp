#include "App/AppDelegate.h"
#include "App/PlatformWidgets/MessageBoxAlertPresenter.h"
#include "App/PlatformWidgets/QtFileDialogs.h"
#include "App/PlatformWidgets/SystemTrayHost.h"
#include "Platform/AppIdentity.h"
#include "Platform/Clock.h"
#include "Platform/LaunchContext.h"
#include "Platform/SingleInstance.h"
#include "Platform/dbus/FileManagerRevealer.h"
#include "Platform/dbus/FreedesktopNotifications.h"
#include "Platform/linux/DesktopKeyboardSettings.h"
#include "Platform/linux/LinuxWorkspaceEvents.h"
#include "Platform/linux/QtSettingsStore.h"
#include "Platform/linux/QtSystemClipboard.h"
#include "Platform/linux/QuitSignals.h"
#include "Platform/linux/ScriptFolder.h"
#include "Platform/linux/XdgAutostartEntry.h"
#include "Platform/x11/X11FrontApp.h"
#include "Platform/x11/X11HotKeyBackend.h"
#include "Services/Sound/SoundBank.h"
#include "Services/Updates/FeedUpdateDriver.h"

#include <QApplication>
#include <QIcon>

#include <chrono>

namespace {

// How long a newly installed copy waits for the running one to save and close.
constexpr std::chrono::seconds quitTimeout(30);

void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vemra"));
    QCoreApplication::setApplicationName(QStringLiteral("Vemra"));
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Asked from a script, which may have no display at hand.
    if (LaunchContext::wasAskedToQuit(arguments)) {
        QCoreApplication app(argc, argv);
        nameApplication();
        SingleInstance instance;
        return instance.quitRunningInstance(quitTimeout) ? 0 : 1;
    }

    // Global shortcuts, the tray and desktop switches all speak X11; under a Wayland session
    // the application runs through XWayland unless told otherwise.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    nameApplication();
    QGuiApplication::setDesktopFileName(AppIdentity::appId());
    QApplication::setQuitOnLastWindowClosed(false);
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QStringLiteral("/usr/share/icons"));
    QIcon::setThemeName(QStringLiteral("Adwaita"));

    const bool launchedAtLogin = LaunchContext::wasLaunchedAtLogin(QCoreApplication::arguments());
    SingleInstance instance;
    if (instance.start(launchedAtLogin ? SingleInstance::Request::Nothing : SingleInstance::Request::Reopen)
        == SingleInstance::Role::AlreadyRunning)
        return 0;

    QtSettingsStore settings;
    MessageBoxAlertPresenter alerts;
    QtFileDialogs fileDialogs;
    FileManagerRevealer revealer;
    SystemClock clock;
    LinuxWorkspaceEvents workspace(clock);
    SystemTrayHost tray;
    X11HotKeyBackend hotKeys;
    DesktopKeyboardSettings desktopShortcuts;
    QtSystemClipboard systemClipboard;
    X11FrontApp frontApp;

    XdgAutostartEntry loginItems;
    FeedUpdateDriver updateDriver(FeedUpdateDriver::builtInSource(), settings, clock, alerts);
    SoundBank sounds;
    ScriptFolder scripts(ScriptFolder::defaultFolder());
    FreedesktopNotifications notifications;

    Facilities facilities;
    facilities.settings = &settings;
    facilities.alerts = &alerts;
    facilities.revealer = &revealer;
    facilities.fileDialogs = &fileDialogs;
    facilities.workspace = &workspace;
    facilities.tray = &tray;
    facilities.hotKeyBackend = &hotKeys;
    facilities.desktopShortcuts = &desktopShortcuts;
    facilities.clock = &clock;
    facilities.systemClipboard = &systemClipboard;
    facilities.frontApp = &frontApp;
    facilities.loginItems = &loginItems;
    facilities.updateDriver = &updateDriver;
    facilities.sounds = &sounds;
    facilities.scripts = &scripts;
    facilities.notifications = &notifications;
    facilities.launchedAtLogin = launchedAtLogin;

    AppDelegate delegate(facilities);
    QObject::connect(&instance, &SingleInstance::reopenRequested, &delegate, &AppDelegate::reopen);
    QObject::connect(&instance, &SingleInstance::quitRequested, &delegate, &AppDelegate::quit);
    // A logout ends the program as its Quit command does, so the stores close cleanly.
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &delegate, &AppDelegate::quit);
    QObject::connect(&delegate, &AppDelegate::quitRequested, &app, &QCoreApplication::quit);
    delegate.start();
    return QApplication::exec();
}
