#include "FakeHotKeyBackend.h"

HotKeyBackend::Registration FakeHotKeyBackend::registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers)
{
    m_log << QStringLiteral("register %1 %2 %3").arg(id).arg(keyCode).arg(modifiers);
    m_registered.remove(id);
    if (!m_available)
        return { Outcome::Unavailable, 0 };
    const quint64 key = pack(keyCode, modifiers);
    if (m_takenFor.value(key) > 0) {
        --m_takenFor[key];
        return { Outcome::Taken, 10 };
    }
    if (m_taken.contains(key))
        return { Outcome::Taken, 10 };
    if (m_failing.contains(key))
        return { Outcome::Failed, m_failing.value(key) };
    for (auto it = m_registered.cbegin(); it != m_registered.cend(); ++it) {
        if (it.value() == qMakePair(keyCode, modifiers))
            return { Outcome::Taken, 10 };
    }
    m_registered.insert(id, { keyCode, modifiers });
    return { Outcome::Registered, 0 };
}

void FakeHotKeyBackend::unregisterHotKey(quint32 id)
{
    m_log << QStringLiteral("unregister %1").arg(id);
    m_registered.remove(id);
}

void FakeHotKeyBackend::setTaken(quint32 keyCode, quint32 modifiers, bool taken)
{
    if (taken)
        m_taken.insert(pack(keyCode, modifiers));
    else
        m_taken.remove(pack(keyCode, modifiers));
}

void FakeHotKeyBackend::setTakenFor(quint32 keyCode, quint32 modifiers, int attempts)
{
    m_takenFor.insert(pack(keyCode, modifiers), attempts);
}

void FakeHotKeyBackend::setFailing(quint32 keyCode, quint32 modifiers, int status)
{
    m_failing.insert(pack(keyCode, modifiers), status);
}

int FakeHotKeyBackend::registerCalls() const
{
    int count = 0;
    for (const QString &line : m_log)
        count += line.startsWith(QStringLiteral("register ")) ? 1 : 0;
    return count;
}

bool FakeHotKeyBackend::press(quint32 keyCode, quint32 modifiers)
{
    if (isPaused())
        return false;
    for (auto it = m_registered.cbegin(); it != m_registered.cend(); ++it) {
        if (it.value() == qMakePair(keyCode, modifiers)) {
            Q_EMIT pressed(it.key());
            return true;
        }
    }
    return false;
}
