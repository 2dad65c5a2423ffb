#include "AppHarness.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

AppHarness::AppHarness()
{
    // The tray icon sits at the top right, where the panel opens beneath it.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    tray.setGeometry(QRect(screen.right() - 60, screen.top(), 22, 22));
    platform.settings = &settings;
    platform.alerts = &alerts;
    platform.revealer = &revealer;
    platform.workspace = &workspace;
    platform.tray = &tray;
    platform.hotKeys = &hotKeys;
    platform.systemClipboard = &systemClipboard;
    platform.frontApp = &frontApp;
    platform.clock = &clock;
    platform.makeLoginItemService = [this] {
        auto service = std::make_unique<FakeLoginItemService>();
        loginItems = service.get();
        return service;
    };
}

AppHarness::~AppHarness() = default;

AppDelegate &AppHarness::create()
{
    delegate.reset();
    delegate = std::make_unique<AppDelegate>(platform);
    return *delegate;
}

void AppHarness::start()
{
    if (!delegate)
        create();
    delegate->start();
    QCoreApplication::processEvents(); // the deferred end of start-up
}
