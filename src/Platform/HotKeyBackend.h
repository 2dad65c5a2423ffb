#pragma once

#include <QObject>

// Registration of global hot keys with the desktop, keyed by a small id (1 New Todo,
// 2 Focus). Key codes are the virtual-key codes of KeyCombo (17 = T); modifiers use its
// mask (Command 0x100 = Super, Shift 0x200, Option 0x800 = Alt, Control 0x1000).
// Every call is made on the main thread; `pressed` is emitted there too.
class HotKeyBackend : public QObject
{
    Q_OBJECT

public:
    enum class Outcome {
        Registered,
        Taken, // another client already holds the combination
        Failed, // any other refusal; `status` says which
        Unavailable, // no global hot keys on this display (not X11, or no connection)
    };

    struct Registration
    {
        Outcome outcome = Outcome::Failed;
        // The X error code (or another backend's status) of a failed registration.
        int status = 0;

        bool ok() const { return outcome == Outcome::Registered; }
    };

    using QObject::QObject;
    ~HotKeyBackend() override = default;

    // False when hot keys cannot work at all here; every registration is then Unavailable.
    virtual bool isAvailable() const = 0;

    // Takes the combination for `id`, releasing whatever `id` held before. Presses only: a
    // held key does not repeat.
    virtual Registration registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) = 0;
    // Releases `id`'s combination; nothing happens when it holds none.
    virtual void unregisterHotKey(quint32 id) = 0;

    // While a shortcut recorder listens, presses are left to the application's own windows
    // and `pressed` is not emitted. Calls nest: each pause() needs its resume().
    void pause() { ++m_pauses; }
    void resume() { m_pauses = qMax(0, m_pauses - 1); }
    bool isPaused() const { return m_pauses > 0; }

Q_SIGNALS:
    // The combination registered under `id` was pressed.
    void pressed(quint32 id);

private:
    int m_pauses = 0;
};
