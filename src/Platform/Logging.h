#pragma once

#include <QLoggingCategory>

// One category per module, so that QT_LOGGING_RULES can single one out ("vemra.store.debug=true").
// Every error that is handled without reaching the user is logged through one of these.
Q_DECLARE_LOGGING_CATEGORY(lcPlatform) // vemra.platform: settings file, single instance, paths
Q_DECLARE_LOGGING_CATEGORY(lcX11) // vemra.x11: grabs, window properties, tray colours
Q_DECLARE_LOGGING_CATEGORY(lcDBus) // vemra.dbus: notifications, file manager, sleep, tray host
Q_DECLARE_LOGGING_CATEGORY(lcStore) // vemra.store: both stores' databases
Q_DECLARE_LOGGING_CATEGORY(lcClipboard) // vemra.clipboard: monitor, captures, side files, images
Q_DECLARE_LOGGING_CATEGORY(lcTodos) // vemra.todos
Q_DECLARE_LOGGING_CATEGORY(lcFocus) // vemra.focus: sessions, silencing scripts, notifier
Q_DECLARE_LOGGING_CATEGORY(lcTransfer) // vemra.transfer: export and import
Q_DECLARE_LOGGING_CATEGORY(lcHotKeys) // vemra.hotkeys
Q_DECLARE_LOGGING_CATEGORY(lcUpdates) // vemra.updates
Q_DECLARE_LOGGING_CATEGORY(lcSound) // vemra.sound
Q_DECLARE_LOGGING_CATEGORY(lcShell) // vemra.shell: start-up, tray, panel, windows, settings
