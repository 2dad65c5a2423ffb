#include "AnimationClock.h"

#include <QTest>
#include <QThread>
#include <QVariantAnimation>

#include <memory>

namespace {

std::unique_ptr<QVariantAnimation> motion(int ms)
{
    auto animation = std::make_unique<QVariantAnimation>();
    animation->setStartValue(0);
    animation->setEndValue(ms);
    animation->setDuration(ms);
    return animation;
}

// What happened to the animation timer before the watched motion starts.
enum class Before : std::uint8_t { Nothing, Finished, FinishedThenIdle, StillRunning, WallClockMotion };

} // namespace

class TestAnimationClock final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void motionMovesOnlyByTheSteps_data()
    {
        QTest::addColumn<Before>("before");
        QTest::newRow("first motion of the clock") << Before::Nothing;
        QTest::newRow("after a motion finished") << Before::Finished;
        QTest::newRow("after a motion finished and idle steps") << Before::FinishedThenIdle;
        QTest::newRow("beside a motion under way") << Before::StillRunning;
        QTest::newRow("after wall-clock motion, before the clock") << Before::WallClockMotion;
    }

    void motionMovesOnlyByTheSteps()
    {
        QFETCH(Before, before);
        auto earlier = motion(100);
        if (before == Before::WallClockMotion) {
            earlier->start();
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            QThread::msleep(40); // no frame comes in between: the wall clock runs ahead
        }
        AnimationClock clock;
        if (before == Before::Finished || before == Before::FinishedThenIdle) {
            earlier->start();
            clock.step(0);
            clock.step(150);
            QCOMPARE(earlier->state(), QAbstractAnimation::Stopped);
        }
        if (before == Before::FinishedThenIdle) {
            for (int frame = 0; frame < 5; ++frame)
                clock.step(16);
        }
        auto watched = motion(120);
        if (before == Before::StillRunning) {
            earlier->setDuration(1000);
            earlier->start();
            clock.step(30);
        }
        QThread::msleep(20); // wall time is not the clock's time

        watched->start();
        clock.step(0);
        QCOMPARE(watched->currentTime(), 0);
        clock.step(60);
        QCOMPARE(watched->currentTime(), 60);
        QCOMPARE(watched->currentValue().toInt(), 60);
        clock.step(59);
        QCOMPARE(watched->state(), QAbstractAnimation::Running);
        clock.step(1);
        QCOMPARE(watched->state(), QAbstractAnimation::Stopped);
        QCOMPARE(watched->currentTime(), 120);
    }
};

QTEST_GUILESS_MAIN(TestAnimationClock)
#include "tst_AnimationClock.moc"
