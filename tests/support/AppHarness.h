#pragma once

#include "App/AppDelegate.h"
#include "FakeAlertPresenter.h"
#include "FakeDesktopNotifications.h"
#include "FakeDesktopShortcuts.h"
#include "FakeFileDialogs.h"
#include "FakeFileRevealer.h"
#include "FakeFrontApp.h"
#include "FakeHotKeyBackend.h"
#include "FakeLoginItemService.h"
#include "FakeSystemClipboard.h"
#include "FakeTrayHost.h"
#include "FakeUpdateDriver.h"
#include "FakeUserScripts.h"
#include "FakeWorkspaceEvents.h"
#include "FixedClock.h"
#include "MemorySettingsStore.h"
#include "SoundLog.h"
#include "TestHome.h"

#include <memory>

// The application delegate over fakes of every platform facility, in a temporary home, for
// tests that run the whole application as main() starts it. Adjust the fakes, the stored
// settings or `facilities` first, then start(); create() alone makes the delegate unlaunched.
// Tests may derive from it to add their own look-ups.
class AppHarness
{
public:
    AppHarness();
    ~AppHarness();

    AppHarness(const AppHarness &) = delete;
    AppHarness &operator=(const AppHarness &) = delete;

    // Makes a new delegate over `facilities`, replacing any earlier one.
    AppDelegate &create();
    // Launches the delegate (made first if need be) and lets the deferred end of start-up run.
    void start();

    bool panelShown() const { return delegate->isTrayPanelShown(); }

    TestHome home;
    MemorySettingsStore settings;
    FakeAlertPresenter alerts;
    FakeFileRevealer revealer;
    FakeFileDialogs fileDialogs;
    FakeWorkspaceEvents workspace;
    FakeTrayHost tray;
    FakeHotKeyBackend hotKeys;
    FakeDesktopShortcuts desktopShortcuts;
    FakeSystemClipboard systemClipboard;
    FakeFrontApp frontApp;
    FixedClock clock { QDateTime(QDate(2026, 5, 4), QTime(9, 0)) };
    FakeLoginItemService loginItems;
    FakeUpdateDriver updateDriver;
    SoundLog sounds;
    FakeUserScripts scripts;
    FakeDesktopNotifications notifications;
    // The facilities above.
    Facilities facilities;
    std::unique_ptr<AppDelegate> delegate;
};
