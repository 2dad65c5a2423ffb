#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>

// A session bus of the test's own: a dbus-daemon that lets every client own any name, with the
// activatable services of `folder`/services. It can be paused, as a bus that never answers.
class PrivateBus final
{
public:
    explicit PrivateBus(const QString &folder);
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    // Whether the daemon started (the tests skip without one).
    bool isRunning() const { return !m_address.isEmpty(); }
    // A new connection of its own to the bus.
    QDBusConnection connect();
    // The daemon stops answering anyone, or answers again.
    void pause();
    void resume();

private:
    QProcess m_daemon;
    QString m_address;
};
