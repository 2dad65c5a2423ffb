#pragma once

#include <QObject>
#include <QString>

#include <chrono>

class QLocalServer;

// Keeps one running copy per user session. The first launch listens on a local socket; a later
// launch finds it, asks it to reopen and is told to exit. A launch may instead ask it to quit
// and wait until it has ended, so that a newly installed copy can take its place.
class SingleInstance final : public QObject
{
    Q_OBJECT

public:
    enum class Role { Primary, AlreadyRunning };
    // What a later launch asks of the running copy: to show itself, or nothing (a start at
    // login, which never opens the panel).
    enum class Request { Reopen, Nothing };

    // The socket lives in the user's runtime folder; without one, in a private folder of the
    // user's (checked: a real folder, owned by the user, closed to others). Empty when no such
    // folder can be had.
    static QString defaultSocketPath();

    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Either becomes the listening instance, or delivers the request to the one running. A
    // socket of another user's is never asked: this launch takes its place.
    Role start(Request request = Request::Reopen);
    // Asks the running copy to quit as its Quit command does and waits until it has ended (its
    // end closes the connection). True when no copy of this user's runs by then.
    bool quitRunningInstance(std::chrono::milliseconds timeout);

Q_SIGNALS:
    // Another launch asked this running copy to show itself.
    void reopenRequested();
    // Another launch asked this running copy to quit; it waits until the process has ended.
    void quitRequested();

private:
    bool reachRunningInstance(Request request);
    void acceptConnections();

    QString m_socketPath;
    QLocalServer *m_server = nullptr;
};
