#pragma once

#include <QAnimationDriver>
#include <QVariantAnimation>

// Drives every animation of the process from the test instead of the wall clock while it
// lives, so that a test sees the same frames however loaded the machine is.
//
//     AnimationClock clock;
//     control->setShown(true);
//     clock.step(100); // every running animation is 100 ms further on
class AnimationClock final : public QAnimationDriver
{
public:
    AnimationClock();
    ~AnimationClock() override;
    AnimationClock(const AnimationClock &) = delete;
    AnimationClock &operator=(const AnimationClock &) = delete;

    void step(int ms);

    // Counted from the driver's start, as the animation timer expects.
    qint64 elapsed() const override { return m_now - m_startedAt; }

protected:
    void start() override;

private:
    qint64 m_now = 0;
    qint64 m_startedAt = 0;
    // Runs for the clock's whole life. Once every animation has stopped, Qt's animation timer
    // stops too, and when the next one starts it takes the time already on the driver for time
    // that passed: the new animation would jump by every step made in between.
    QVariantAnimation m_keepAlive;
};
