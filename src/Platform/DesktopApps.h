#pragma once

#include "Platform/FrontApp.h"

// Tables of desktop applications known by their desktop ids and window classes, matched
// without regard to case.
namespace DesktopApps {

// Password managers and the desktop's secret stores: copies made while one is in front
// are never recorded.
bool isPasswordManager(const FrontApplication &app);

// Code editors and terminals: text copied from them is code. An entry ending in "." or "-"
// matches as a prefix, any other entry the whole name.
bool isCodeApp(const QString &appId);

} // namespace DesktopApps
