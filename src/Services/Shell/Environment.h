#pragma once

class AlertPresenter;
class ClipboardMonitor;
class ClipboardStore;
class Clock;
class DataTransfer;
class DesktopShortcuts;
class DesktopNotifications;
class FileDialogs;
class FileRevealer;
class FocusSessionManager;
class FrontApp;
class HotKeyBackend;
class HotKeys;
class ImageLoader;
class LaunchAtLogin;
class LoginItemService;
class Preferences;
class SettingsStore;
class SoundBank;
class SystemClipboard;
class TodoStore;
class TrayHost;
class UpdateDriver;
class UserScripts;
class Updater;
class WorkspaceEvents;

// What the application is made of, in one place. main() and the test harness fill the system
// facilities (real ones or fakes, every one of them, owned by the filler and outliving the
// application delegate); the delegate makes the services at start-up, fills them in, and hands
// the whole to every root view with that view's Surface. Once start-up is over no pointer is null.
struct Environment
{
    // System facilities.
    SettingsStore *settings = nullptr;
    AlertPresenter *alerts = nullptr;
    FileRevealer *revealer = nullptr;
    FileDialogs *fileDialogs = nullptr;
    WorkspaceEvents *workspace = nullptr;
    TrayHost *tray = nullptr;
    HotKeyBackend *hotKeyBackend = nullptr;
    DesktopShortcuts *desktopShortcuts = nullptr;
    const Clock *clock = nullptr;
    SystemClipboard *systemClipboard = nullptr;
    FrontApp *frontApp = nullptr;
    LoginItemService *loginItems = nullptr;
    UpdateDriver *updateDriver = nullptr;
    SoundBank *sounds = nullptr;
    // The user's scripts that silence notifications during a focus session, and the desktop's
    // notifications, which tell that a session is complete.
    UserScripts *scripts = nullptr;
    DesktopNotifications *notifications = nullptr;
    // Started by the desktop's autostart at login: no panel at launch.
    bool launchedAtLogin = false;

    // Services, made by AppDelegate::start().
    Preferences *preferences = nullptr;
    LaunchAtLogin *launchAtLogin = nullptr;
    TodoStore *todos = nullptr;
    ClipboardStore *clipboard = nullptr;
    ClipboardMonitor *monitor = nullptr;
    // Decodes the clipboard's pictures for rows and previews.
    ImageLoader *images = nullptr;
    FocusSessionManager *focus = nullptr;
    HotKeys *hotKeys = nullptr;
    DataTransfer *transfer = nullptr;
    Updater *updater = nullptr;
};
