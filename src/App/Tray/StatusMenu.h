#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QMenu;
class QObject;

// The status menu, rebuilt on every opening from what holds at that moment. The entries are
// worked out as plain values first, so what the menu offers in each state can be checked
// without popping anything up.
class StatusMenu final
{
public:
    enum class Action {
        None,
        ViewFocus,
        EndFocus,
        OpenWindow,
        OpenSettings,
        ToggleLaunchAtLogin,
        ToggleClipboardPause,
        CheckForUpdates,
        About,
        Quit,
    };

    struct State
    {
        bool hasServices = false;
        // The remaining time of the active focus session as a clock ("24:59"); none without one.
        std::optional<QString> focusClock;
        bool launchesAtLogin = false;
        bool monitorsClipboard = true;
        bool isClipboardPaused = false;
        // The version of an update found and not yet announced.
        QString availableVersion;
        // A build without one cannot check: its check entry is shown disabled.
        bool hasUpdateSource = true;
    };

    struct Entry
    {
        QString title; // empty for a separator
        Action action = Action::None;
        bool enabled = true;
        bool checkable = false;
        bool checked = false;
        QKeySequence shortcut;

        bool isSeparator() const { return title.isEmpty(); }
    };

    static QList<Entry> entries(const State &state);
    // Fills the menu with the entries; choosing one calls the handler with its action.
    static void fill(
        QMenu *menu, const QList<Entry> &entries, QObject *context, const std::function<void(Action)> &handler);
};
