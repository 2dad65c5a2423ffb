#include "Services/Focus/SilencingQueue.h"

#include <QTimer>

bool SilencingQueue::Awaiter::await_ready() const
{
    if (m_queue.m_busy)
        return false;
    m_queue.m_busy = true;
    return true;
}

void SilencingQueue::Awaiter::await_suspend(std::coroutine_handle<> waiting) const
{
    m_queue.m_waiting.push_back(waiting);
}

void SilencingQueue::leave()
{
    if (m_waiting.empty()) {
        m_busy = false;
        return;
    }
    // The turn passes straight to the next in line, so the queue stays busy.
    const std::coroutine_handle<> next = m_waiting.front();
    m_waiting.pop_front();
    QTimer::singleShot(0, this, [next] { next.resume(); });
}
