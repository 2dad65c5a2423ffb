#include "Platform/Logging.h"

Q_LOGGING_CATEGORY(lcPlatform, "vemra.platform")
Q_LOGGING_CATEGORY(lcX11, "vemra.x11")
Q_LOGGING_CATEGORY(lcDBus, "vemra.dbus")
Q_LOGGING_CATEGORY(lcStore, "vemra.store")
Q_LOGGING_CATEGORY(lcClipboard, "vemra.clipboard")
Q_LOGGING_CATEGORY(lcTodos, "vemra.todos")
Q_LOGGING_CATEGORY(lcFocus, "vemra.focus")
Q_LOGGING_CATEGORY(lcTransfer, "vemra.transfer")
Q_LOGGING_CATEGORY(lcHotKeys, "vemra.hotkeys")
Q_LOGGING_CATEGORY(lcUpdates, "vemra.updates")
Q_LOGGING_CATEGORY(lcSound, "vemra.sound")
Q_LOGGING_CATEGORY(lcShell, "vemra.shell")
