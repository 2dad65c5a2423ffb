#pragma once

#include "Platform/HotKeyBackend.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

// Hot keys in memory: combinations can be marked as taken by another client; every call is
// logged ("register 1 17 768", "unregister 1").
class FakeHotKeyBackend final : public HotKeyBackend
{
    Q_OBJECT

public:
    using HotKeyBackend::HotKeyBackend;

    bool isAvailable() const override { return m_available; }
    Registration registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) override;
    void unregisterHotKey(quint32 id) override;

    void setAvailable(bool available) { m_available = available; }
    // Held by another application: registration answers Taken.
    void setTaken(quint32 keyCode, quint32 modifiers, bool taken = true);
    // Taken for the next `attempts` registrations of the combination, free after that.
    void setTakenFor(quint32 keyCode, quint32 modifiers, int attempts);
    // Registration answers Failed with this status.
    void setFailing(quint32 keyCode, quint32 modifiers, int status);

    // id → (keyCode, modifiers) of every live registration.
    QMap<quint32, QPair<quint32, quint32>> registered() const { return m_registered; }
    bool isRegistered(quint32 id) const { return m_registered.contains(id); }
    QStringList log() const { return m_log; }
    void clearLog() { m_log.clear(); }
    int registerCalls() const;

    // Emits pressed() for whatever id holds the combination, as a key press would (not while
    // paused).
    bool press(quint32 keyCode, quint32 modifiers);

private:
    static quint64 pack(quint32 keyCode, quint32 modifiers) { return (quint64(keyCode) << 32) | modifiers; }

    bool m_available = true;
    QSet<quint64> m_taken;
    QMap<quint64, int> m_takenFor;
    QMap<quint64, int> m_failing;
    QMap<quint32, QPair<quint32, quint32>> m_registered;
    QStringList m_log;
};
