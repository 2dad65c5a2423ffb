#include "App/AppDelegate.h"
#include "App/PlatformWidgets/MessageBoxAlertPresenter.h"
#include "App/PlatformWidgets/SystemTrayHost.h"
#include "Platform/Clock.h"
#include "Platform/LaunchContext.h"
#include "Platform/SingleInstance.h"
#include "Platform/dbus/FileManagerRevealer.h"
#include "Platform/linux/LinuxWorkspaceEvents.h"
#include "Platform/linux/QtSettingsStore.h"
#include "Platform/linux/QtSystemClipboard.h"
#include "Platform/linux/XdgAutostartEntry.h"
#include "Platform/x11/X11FrontApp.h"
#include "Platform/x11/X11HotKeyBackend.h"
#include "Services/Updates/FeedUpdateDriver.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    // Global shortcuts, the tray and desktop switches all speak X11; under a Wayland session
    // the application runs through XWayland unless told otherwise.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vemra"));
    QApplication::setApplicationName(QStringLiteral("Vemra"));
    QApplication::setQuitOnLastWindowClosed(false);
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QStringLiteral("/usr/share/icons"));
    QIcon::setThemeName(QStringLiteral("Adwaita"));

    SingleInstance instance;
    if (instance.start() == SingleInstance::Role::AlreadyRunning)
        return 0;

    QtSettingsStore settings;
    MessageBoxAlertPresenter alerts;
    FileManagerRevealer revealer;
    SystemClock clock;
    LinuxWorkspaceEvents workspace(clock);
    SystemTrayHost tray;
    X11HotKeyBackend hotKeys;
    QtSystemClipboard systemClipboard;
    X11FrontApp frontApp;

    AppPlatform platform;
    platform.settings = &settings;
    platform.alerts = &alerts;
    platform.revealer = &revealer;
    platform.workspace = &workspace;
    platform.tray = &tray;
    platform.hotKeys = &hotKeys;
    platform.clock = &clock;
    platform.systemClipboard = &systemClipboard;
    platform.frontApp = &frontApp;
    platform.launchedAtLogin = LaunchContext::wasLaunchedAtLogin(QCoreApplication::arguments());
    platform.makeLoginItemService = [] { return std::make_unique<XdgAutostartEntry>(); };
    platform.makeUpdateDriver = [&] {
        return std::make_unique<FeedUpdateDriver>(FeedUpdateDriver::builtInSource(), settings, clock, alerts);
    };

    AppDelegate delegate(platform);
    QObject::connect(
        &instance, &SingleInstance::reopenRequested, &delegate, &AppDelegate::applicationShouldHandleReopen);
    delegate.start();
    return QApplication::exec();
}
