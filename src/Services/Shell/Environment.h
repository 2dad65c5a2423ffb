#pragma once

class TodoStore;
class ClipboardStore;
class ClipboardMonitor;
class FocusSessionManager;
class HotKeys;
class DataTransfer;
class Preferences;
class LaunchAtLogin;
class Updater;
class Surface;

// What every root view of a surface is given, in one place. The application delegate owns
// the objects; a pointer stays null until its service exists, and views check before use.
struct Environment
{
    TodoStore *todos = nullptr;
    ClipboardStore *clipboard = nullptr;
    ClipboardMonitor *monitor = nullptr;
    FocusSessionManager *focus = nullptr;
    HotKeys *hotKeys = nullptr;
    DataTransfer *transfer = nullptr;
    Preferences *preferences = nullptr;
    LaunchAtLogin *launchAtLogin = nullptr;
    Updater *updater = nullptr;
    Surface *surface = nullptr;
};
