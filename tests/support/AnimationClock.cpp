#include "AnimationClock.h"

#include <QCoreApplication>

AnimationClock::AnimationClock()
{
    install();
    m_keepAlive.setStartValue(0);
    m_keepAlive.setEndValue(1);
    m_keepAlive.setDuration(1000);
    m_keepAlive.setLoopCount(-1);
    m_keepAlive.start();
    // The timer joins now and takes whatever wall time it finds here, so that none of it
    // reaches the animations the test starts.
    step(0);
}

AnimationClock::~AnimationClock()
{
    m_keepAlive.stop();
    uninstall();
}

void AnimationClock::step(int ms)
{
    // An animation started since the last step joins the timer two queued calls later.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    m_now += ms;
    advanceAnimation();
    QCoreApplication::processEvents();
}

void AnimationClock::start()
{
    m_startedAt = m_now;
    QAnimationDriver::start();
}
