#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

// Keeps a store that could not save trying again on its own while something is pending, so
// that room that comes back on the disk is used without waiting for the user's next change.
class SaveRetry final : public QObject
{
    Q_OBJECT

public:
    explicit SaveRetry(QObject *parent = nullptr);

    // How long after a failed save the next try comes; tests shorten it.
    void setInterval(std::chrono::milliseconds interval);
    // A save failed: try again after the interval (and again after each failed try).
    void failed();
    // Nothing is pending any more.
    void succeeded();
    bool isWaiting() const { return m_timer.isActive(); }

Q_SIGNALS:
    // Time to try again.
    void due();

private:
    QTimer m_timer;
};
