#include "Services/Storage/SaveRetry.h"

using namespace std::chrono_literals;

SaveRetry::SaveRetry(QObject *parent)
    : QObject(parent)
{
    // Often enough that freed room is used soon, seldom enough that a disk that stays full
    // costs next to nothing.
    m_timer.setInterval(10s);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SaveRetry::due);
}

void SaveRetry::setInterval(std::chrono::milliseconds interval)
{
    m_timer.setInterval(interval);
}

void SaveRetry::failed()
{
    if (!m_timer.isActive())
        m_timer.start();
}

void SaveRetry::succeeded()
{
    m_timer.stop();
}
