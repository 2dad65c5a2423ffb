#pragma once

#include "Models/Clipboard/ClipboardCapture.h"
#include "Models/Clipboard/ClipboardContents.h"
#include "Models/Common/Result.h"
#include "Platform/SystemClipboard.h"

#include <QObject>
#include <QThreadPool>

#include <optional>

class ClipboardStore;
class Clock;
class FrontApp;
class Preferences;

// Watches the clipboard and records every new copy made in any application, except the
// application's own copy-backs, copies marked secret or transient, and copies made while a
// password manager is in front. While recording is on, every change the clipboard signals is
// looked at as it happens (X11 announces each one, so none is missed and nothing polls); the
// capture of a change runs off the main thread and is recorded in the order the captures finish.
class ClipboardMonitor final : public QObject
{
    Q_OBJECT

public:
    using Access = ClipboardAccess;

    // What is on the clipboard now is never recorded. Does not start watching: update() does.
    ClipboardMonitor(ClipboardStore &store, Preferences &preferences, SystemClipboard &systemClipboard,
        FrontApp &frontApp, const Clock &clock, QObject *parent = nullptr);
    ~ClipboardMonitor() override;

    // The clipboard permission as last read.
    Access access() const { return m_access; }
    bool isWatching() const { return m_watching; }
    // The watched clipboard: where views copy entries back to.
    SystemClipboard &systemClipboard() const { return m_systemClipboard; }

    // The change count of the application's own last write to the clipboard; a change that
    // brings exactly this count records nothing.
    std::optional<qint64> ownChangeCount;

    // Re-reads the permission, then starts watching (from the current change count) when
    // recording is switched on and not paused, or stops it otherwise.
    void update();
    void refreshAccess();
    // Looks at the clipboard once: records a new change, if any, while watching.
    void check();
    // Records the current clipboard without the permission test (where the system asks the
    // user on a first read), then re-reads the permission.
    void requestAccess();

    // The marker types that keep a copy out of the history.
    static const QStringList &privateTypes();
    // The password managers whose copies are never recorded, by their names, for telling the user.
    static QStringList passwordManagerNames();

Q_SIGNALS:
    void accessChanged(ClipboardAccess access);
    // A capture failed (a side file could not be written); nothing was recorded.
    void captureFailed(const Error &error);

private:
    std::optional<ClipboardContents> read();
    void process(ClipboardContents contents);

    ClipboardStore &m_store;
    Preferences &m_preferences;
    SystemClipboard &m_systemClipboard;
    FrontApp &m_frontApp;
    const Clock &m_clock;
    Access m_access = Access::Allowed;
    bool m_watching = false;
    qint64 m_changeCount = 0;
    QThreadPool m_captures;
};
