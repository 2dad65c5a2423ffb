#pragma once

#include "Platform/FrontApp.h"

// The one catalogue of desktop applications that change what is recorded: password managers
// and code editors and terminals, known by their desktop ids, window classes and executables
// (and their macOS identifiers, which exports carry), matched without regard to case. A
// vendor's prefix on a desktop id is ignored: "debian-xterm" is xterm.
namespace DesktopApps {

// Password managers and the desktop's secret stores: copies made while one is in front
// are never recorded.
bool isPasswordManager(const FrontApplication &app);
// The password managers of that table by their names, for telling the user whose copies are skipped.
QStringList passwordManagerNames();

// Code editors and terminals: text copied from them is code.
bool isCodeApp(const QString &appId);

} // namespace DesktopApps
