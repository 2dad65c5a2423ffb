#include "Screenshots.h"
#include "Views/Todos/ConfettiLayer.h"

#include <QApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>
#include <QtMath>

using namespace Qt::StringLiterals;

namespace {

// A surface with one source widget and a layer on a hand-driven clock.
struct Surface
{
    QWidget root;
    QWidget *source = new QWidget(&root);
    ConfettiLayer *layer = nullptr;
    qint64 now = 1000;
    bool reduce = false;
    QUuid id = QUuid::createUuid();

    Surface()
    {
        root.resize(380, 300);
        source->setGeometry(40, 200, 16, 16);
        ConfettiLayer::markSource(source, id);
        layer = new ConfettiLayer(&root);
        layer->setClock([this] { return now; });
        layer->setMotionPreference([this] { return reduce; });
    }
};

} // namespace

class TestConfetti final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void piecesStayWithinTheirRanges()
    {
        QRandomGenerator random(42);
        const ConfettiBurst burst = ConfettiBurst::make(QUuid::createUuid(), 0, random, Qt::blue);
        QCOMPARE(burst.pieces.size(), 44);
        const QList<QColor> colors = ConfettiParticle::colors(Qt::blue);
        QCOMPARE(colors.size(), 7);
        QCOMPARE(colors.first(), QColor(Qt::blue));
        for (const ConfettiParticle &p : burst.pieces) {
            const qreal speed = std::hypot(p.velocity.x(), p.velocity.y());
            QVERIFY(speed >= 220 - 1e-9 && speed <= 560 + 1e-9);
            const qreal direction = std::atan2(p.velocity.y(), p.velocity.x()) + M_PI / 2;
            QVERIFY(direction >= -0.85 - 1e-9 && direction <= 1.35 + 1e-9);
            if (p.isRound) {
                QCOMPARE(p.size, QSizeF(5, 5));
            } else {
                QVERIFY(p.size.width() >= 5 && p.size.width() <= 9);
                QVERIFY(p.size.height() >= 3 && p.size.height() <= 4.5);
            }
            QVERIFY(colors.contains(p.color));
            QVERIFY(p.angle >= 0 && p.angle < 2 * M_PI);
            QVERIFY(p.spin >= -8 && p.spin <= 8);
            QVERIFY(p.flutter >= 6 && p.flutter <= 14);
        }
    }

    void flightFollowsGravityAgainstDrag()
    {
        ConfettiParticle p;
        p.velocity = QPointF(100, -400);
        QCOMPARE(p.offset(0), QPointF(0, 0));
        const qreal t = 0.5;
        const qreal drift = (1 - std::exp(-3.4 * t)) / 3.4;
        const qreal fall = 560 / 3.4;
        QCOMPARE(p.offset(t), QPointF(drift * 100, fall * t + drift * (-400 - fall)));
        // Going up at first, then falling.
        QVERIFY(p.offset(0.1).y() < 0);
        QVERIFY(p.offset(1.39).y() > p.offset(0.6).y());
    }

    void opacityHoldsThenFades()
    {
        QCOMPARE(ConfettiBurst::opacity(0), 1.0);
        QCOMPARE(ConfettiBurst::opacity(0.93), 1.0);
        QVERIFY(qAbs(ConfettiBurst::opacity(1.1667) - 0.5) < 1e-3);
        QCOMPARE(ConfettiBurst::opacity(1.4), 0.0);
    }

    void reduceMotionThrowsNothing()
    {
        Surface s;
        s.reduce = true;
        s.layer->throwConfetti(s.id);
        QVERIFY(s.layer->bursts().isEmpty());
        QVERIFY(s.layer->isHidden());
        s.reduce = false;
        s.layer->throwConfetti(s.id);
        QCOMPARE(s.layer->bursts().size(), 1);
    }

    void throwingFindsTheLayerAboveOrNone()
    {
        Surface s;
        auto *deep = new QWidget(s.source);
        ConfettiLayer::throwFrom(deep, s.id);
        QCOMPARE(s.layer->bursts().size(), 1);
        QWidget outside;
        ConfettiLayer::throwFrom(&outside, s.id); // nothing to throw into, nothing happens
        QVERIFY(s.layer->sourcePoint(s.id).has_value());
        QCOMPARE(*s.layer->sourcePoint(s.id), QPointF(48, 208));
        QVERIFY(!s.layer->sourcePoint(QUuid::createUuid()));
        // Clicks pass through.
        QVERIFY(s.layer->testAttribute(Qt::WA_TransparentForMouseEvents));
    }

    void burstsEndOnTimeAndAreRemovedAfterTheLast()
    {
        Surface s;
        s.root.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s.root));
        const QUuid missing = QUuid::createUuid(); // no such source on screen
        s.layer->throwConfetti(missing);
        s.now += 700;
        s.layer->throwConfetti(s.id);
        QCOMPARE(s.layer->bursts().size(), 2);
        s.now += 750; // the first is past its 1.4 s, the second is not
        QVERIFY(s.layer->bursts().at(0).isFinished(s.now));
        QVERIFY(!s.layer->bursts().at(1).isFinished(s.now));
        // The cleanup waits for the last burst's whole life, then keeps only living bursts.
        QTRY_COMPARE_WITH_TIMEOUT(s.layer->bursts().size(), 1, 3000);
        QCOMPARE(s.layer->bursts().first().sourceID, s.id);
        s.now += 700;
        QTRY_VERIFY_WITH_TIMEOUT(s.layer->bursts().isEmpty(), 3000);
        QVERIFY(s.layer->isHidden());
    }
};

QTEST_MAIN(TestConfetti)
#include "tst_Confetti.moc"
