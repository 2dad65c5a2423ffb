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

// The system facilities, real ones or fakes: main() and the test harness fill every one of them,
// own them, and keep them beyond the application delegate, which asserts that none is missing.
struct Facilities
{
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
};

// What the application is made of once start-up is over, in one place: every facility and every
// service, by reference. AppDelegate::start() makes it from the facilities and the services it
// has made, and hands it to every root view with that view's Surface, which makes each tab's
// state and view from it.
struct Environment
{
    // System facilities.
    SettingsStore &settings;
    AlertPresenter &alerts;
    FileRevealer &revealer;
    FileDialogs &fileDialogs;
    WorkspaceEvents &workspace;
    TrayHost &tray;
    HotKeyBackend &hotKeyBackend;
    DesktopShortcuts &desktopShortcuts;
    const Clock &clock;
    SystemClipboard &systemClipboard;
    FrontApp &frontApp;
    LoginItemService &loginItems;
    UpdateDriver &updateDriver;
    SoundBank &sounds;
    UserScripts &scripts;
    DesktopNotifications &notifications;

    // Services.
    Preferences &preferences;
    LaunchAtLogin &launchAtLogin;
    TodoStore &todos;
    ClipboardStore &clipboard;
    ClipboardMonitor &monitor;
    // Decodes the clipboard's pictures for rows and previews.
    ImageLoader &images;
    FocusSessionManager &focus;
    HotKeys &hotKeys;
    DataTransfer &transfer;
    Updater &updater;
};
