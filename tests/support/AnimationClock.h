#pragma once

#include <QAnimationDriver>
#include <QCoreApplication>

// Drives every animation of the process from the test instead of the wall clock while it
// lives, so that a test sees the same frames however loaded the machine is.
//
//     AnimationClock clock;
//     control->setShown(true);
//     clock.step(100); // every running animation is 100 ms further on
class AnimationClock final : public QAnimationDriver
{
public:
    AnimationClock() { install(); }
    ~AnimationClock() override { uninstall(); }
    AnimationClock(const AnimationClock &) = delete;
    AnimationClock &operator=(const AnimationClock &) = delete;

    void step(int ms)
    {
        // An animation started since the last step joins the timer two queued calls later.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        m_now += ms;
        advanceAnimation();
        QCoreApplication::processEvents();
    }

    // Counted from the driver's start, as the animation timer expects.
    qint64 elapsed() const override { return m_now - m_startedAt; }

protected:
    void start() override
    {
        m_startedAt = m_now;
        QAnimationDriver::start();
    }

private:
    qint64 m_now = 0;
    qint64 m_startedAt = 0;
};
