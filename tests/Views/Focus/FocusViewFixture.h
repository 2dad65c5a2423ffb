#pragma once

#include "FakeDesktopShortcuts.h"
#include "FakeFocusNotifier.h"
#include "FakeFocusSilencer.h"
#include "FakeFocusTimers.h"
#include "FakeHotKeyBackend.h"
#include "FixedClock.h"
#include "MemorySettingsStore.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Services/HotKeys/HotKeys.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"

#include <QList>

#include <memory>

// A focus manager over fakes, its preferences, the shortcuts and a surface that records its
// actions, for the focus tab's widgets.
struct FocusViewFixture
{
    FocusViewFixture()
    {
        QObject::connect(&surface, &Surface::closeRequested, &surface, [this] { ++closes; });
        QObject::connect(
            &surface, &Surface::settingsRequested, &surface, [this](SettingsPane pane) { openedPanes.append(pane); });
    }

    MemorySettingsStore settings;
    FixedClock clock { QDateTime(QDate(2026, 5, 4), QTime(9, 0)) };
    Preferences preferences { settings };
    FakeFocusSilencer silencer;
    FakeFocusNotifier notifier;
    FakeFocusTimers timers;
    FocusSessionManager focus { silencer, notifier, preferences, settings, clock, timers };
    FakeHotKeyBackend hotKeyBackend;
    FakeDesktopShortcuts desktopShortcuts;
    std::unique_ptr<HotKeys> hotKeys = HotKeys::makeDefault(settings, hotKeyBackend, desktopShortcuts);
    Surface surface;
    int closes = 0;
    QList<SettingsPane> openedPanes;
};
