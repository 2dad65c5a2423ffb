#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the signals that end a program from outside (SIGTERM, which a logout sends, SIGINT and
// SIGHUP) into `quitRequested` on the main thread, so that the program can quit as its own
// Quit command does, closing its stores, instead of dying with their logs unfolded. One at a
// time; the default handlers come back when it goes.
class QuitSignals final : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

Q_SIGNALS:
    void quitRequested(int signal);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
