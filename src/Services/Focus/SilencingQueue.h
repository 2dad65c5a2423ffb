#pragma once

#include <QObject>

#include <coroutine>
#include <deque>

// Lets coroutines take turns: each waits until every one that entered before it has left.
// The next in line is resumed from the event loop, never inside the leaving one's call.
//
//     co_await queue.enter();
//     const SilencingQueue::Turn turn(queue);   // leaves when the coroutine's scope ends
class SilencingQueue final : public QObject
{
    Q_OBJECT

public:
    class Awaiter
    {
    public:
        explicit Awaiter(SilencingQueue &queue)
            : m_queue(queue)
        {
        }
        bool await_ready() const;
        void await_suspend(std::coroutine_handle<> waiting) const;
        void await_resume() const { }

    private:
        SilencingQueue &m_queue;
    };

    // Leaves the queue when destroyed.
    class Turn
    {
    public:
        explicit Turn(SilencingQueue &queue)
            : m_queue(queue)
        {
        }
        ~Turn() { m_queue.leave(); }
        Turn(const Turn &) = delete;
        Turn &operator=(const Turn &) = delete;

    private:
        SilencingQueue &m_queue;
    };

    using QObject::QObject;

    Awaiter enter() { return Awaiter(*this); }
    // Whether a coroutine holds its turn now.
    bool isBusy() const { return m_busy; }
    int waiting() const { return int(m_waiting.size()); }

private:
    void leave();

    bool m_busy = false;
    std::deque<std::coroutine_handle<>> m_waiting;
};
