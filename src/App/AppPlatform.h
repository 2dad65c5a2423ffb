#pragma once

#include <functional>
#include <memory>

class AlertPresenter;
class Clock;
class FileRevealer;
class FrontApp;
class HotKeyBackend;
class LoginItemService;
class SystemClipboard;
class SettingsStore;
class TrayHost;
class UpdateDriver;
class WorkspaceEvents;

// The system facilities the application delegate works through. main() hands in the real
// ones; tests hand in fakes. The delegate owns none of them.
struct AppPlatform
{
    SettingsStore *settings = nullptr;
    AlertPresenter *alerts = nullptr;
    FileRevealer *revealer = nullptr;
    WorkspaceEvents *workspace = nullptr;
    TrayHost *tray = nullptr;
    // Global shortcuts; none where the display offers no way to grab keys.
    HotKeyBackend *hotKeys = nullptr;
    const Clock *clock = nullptr;
    // The system clipboard and the application in front, for clipboard capture; without them
    // nothing is captured.
    SystemClipboard *systemClipboard = nullptr;
    FrontApp *frontApp = nullptr;
    // The system's login-item registration, handed to LaunchAtLogin.
    std::function<std::unique_ptr<LoginItemService>()> makeLoginItemService;
    // Where updates are looked for, handed to the Updater.
    std::function<std::unique_ptr<UpdateDriver>()> makeUpdateDriver;
    // Started by the desktop's autostart at login: no panel at launch.
    bool launchedAtLogin = false;
};
