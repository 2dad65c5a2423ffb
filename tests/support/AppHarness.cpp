#include "AppHarness.h"

#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Todos/TodoStore.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>

AppHarness::AppHarness()
{
    // The tray icon sits at the top right, where the panel opens beneath it.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    tray.setGeometry(QRect(screen.right() - 60, screen.top(), 22, 22));
    facilities.settings = &settings;
    facilities.alerts = &alerts;
    facilities.revealer = &revealer;
    facilities.fileDialogs = &fileDialogs;
    facilities.workspace = &workspace;
    facilities.tray = &tray;
    facilities.hotKeyBackend = &hotKeys;
    facilities.desktopShortcuts = &desktopShortcuts;
    facilities.systemClipboard = &systemClipboard;
    facilities.frontApp = &frontApp;
    facilities.clock = &clock;
    facilities.loginItems = &loginItems;
    facilities.updateDriver = &updateDriver;
    facilities.sounds = &sounds.bank();
    // Inside the temporary home, since the setup guide makes the folder when asked to open it.
    scripts.folderPath = home.path() + QStringLiteral("/Shortcuts");
    facilities.scripts = &scripts;
    facilities.notifications = &notifications;
}

AppHarness::~AppHarness() = default;

AppDelegate &AppHarness::create()
{
    delegate.reset();
    delegate = std::make_unique<AppDelegate>(facilities);
    return *delegate;
}

void AppHarness::start()
{
    if (!delegate)
        create();
    delegate->start();
    QCoreApplication::processEvents(); // the deferred end of start-up
    // The stores' checks of their files, so that a test sees what the files hold.
    const Environment &e = delegate->environment();
    while (e.todos.isChecking() || e.clipboard.isChecking()) {
        QThread::msleep(1);
        QCoreApplication::processEvents();
    }
}
