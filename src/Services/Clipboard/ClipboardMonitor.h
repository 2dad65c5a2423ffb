#pragma once

#include "Models/Clipboard/ClipboardCapture.h"
#include "Models/Clipboard/ClipboardContents.h"
#include "Models/Common/Result.h"
#include "Platform/SystemClipboard.h"

#include <QHash>
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
// looked at as it happens (X11 announces each one, so none is missed and nothing polls). The
// clipboard is read in steps that each wait on its owner without holding up the interface, and
// only what decides the copy is read; the capture of a change runs off the main thread and is
// recorded in the order the captures finish.
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
    // One change being read: what is known of it so far, and what the next read is for. Most
    // copies take one read (files and text); a password manager's hint, and a picture, one more.
    struct Reading
    {
        enum class Step { Body, Hint, Image };
        Step step = Step::Body;
        qint64 changeCount = 0;
        ClipboardContents contents;
        bool hintChecked = false;
        std::optional<QString> imageType;
        // A link read beside a picture, kept should the picture not come.
        std::optional<QString> linkText;
    };

    void read();
    void readBody(Reading &&reading);
    void ask(Reading &&reading, Reading::Step step, const QStringList &mimeTypes, const QStringList &unlessOffered);
    void contentsRead(const ClipboardSnapshot &snapshot);
    std::optional<ClipboardContents> advance(Reading &reading, const ClipboardSnapshot &snapshot);
    void process(ClipboardContents contents);

    ClipboardStore &m_store;
    Preferences &m_preferences;
    SystemClipboard &m_systemClipboard;
    FrontApp &m_frontApp;
    const Clock &m_clock;
    Access m_access = Access::Allowed;
    bool m_watching = false;
    qint64 m_changeCount = 0;
    QHash<quint64, Reading> m_readings;
    QThreadPool m_captures;
};
