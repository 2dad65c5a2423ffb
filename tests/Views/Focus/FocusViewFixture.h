#pragma once

#include "FakeFocusNotifier.h"
#include "FakeFocusSilencer.h"
#include "FakeFocusTimers.h"
#include "FixedClock.h"
#include "MemorySettingsStore.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Services/Shell/Environment.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"

#include <QList>

// A focus manager over fakes, its preferences and a surface that records its actions, for the
// focus tab's widgets.
struct FocusViewFixture
{
    FocusViewFixture()
    {
        QObject::connect(&surface, &Surface::closeRequested, &surface, [this] { ++closes; });
        QObject::connect(
            &surface, &Surface::settingsRequested, &surface, [this](SettingsPane pane) { openedPanes.append(pane); });
    }

    Environment environment()
    {
        Environment e;
        e.settings = &settings;
        e.clock = &clock;
        e.preferences = &preferences;
        e.focus = &focus;
        return e;
    }

    MemorySettingsStore settings;
    FixedClock clock { QDateTime(QDate(2026, 5, 4), QTime(9, 0)) };
    Preferences preferences { settings };
    FakeFocusSilencer silencer;
    FakeFocusNotifier notifier;
    FakeFocusTimers timers;
    FocusSessionManager focus { silencer, notifier, preferences, settings, clock, timers };
    Surface surface;
    int closes = 0;
    QList<SettingsPane> openedPanes;
};
