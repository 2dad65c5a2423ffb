#pragma once

#include "App/AppDelegate.h"
#include "FakeAlertPresenter.h"
#include "FakeFileRevealer.h"
#include "FakeFrontApp.h"
#include "FakeHotKeyBackend.h"
#include "FakeLoginItemService.h"
#include "FakeSystemClipboard.h"
#include "FakeTrayHost.h"
#include "FakeWorkspaceEvents.h"
#include "FixedClock.h"
#include "MemorySettingsStore.h"
#include "TestHome.h"

#include <memory>

// The application delegate over fakes of every platform facility, in a temporary home, for
// tests that run the whole application as main() starts it. Adjust the fakes, the stored
// settings or `platform` first, then start(); create() alone makes the delegate unlaunched.
// Tests may derive from it to add their own look-ups.
class AppHarness
{
public:
    AppHarness();
    ~AppHarness();

    AppHarness(const AppHarness &) = delete;
    AppHarness &operator=(const AppHarness &) = delete;

    // Makes a new delegate over `platform`, replacing any earlier one.
    AppDelegate &create();
    // Launches the delegate (made first if need be) and lets the deferred end of start-up run.
    void start();

    bool panelShown() const { return delegate->isTrayPanelShown(); }

    TestHome home;
    MemorySettingsStore settings;
    FakeAlertPresenter alerts;
    FakeFileRevealer revealer;
    FakeWorkspaceEvents workspace;
    FakeTrayHost tray;
    FakeHotKeyBackend hotKeys;
    FakeSystemClipboard systemClipboard;
    FakeFrontApp frontApp;
    FixedClock clock { QDateTime(QDate(2026, 5, 4), QTime(9, 0)) };
    // The login item service the delegate made last.
    FakeLoginItemService *loginItems = nullptr;
    AppPlatform platform;
    std::unique_ptr<AppDelegate> delegate;
};
