#include "Views/Todos/TodoRowDrag.h"

#include <QTest>

namespace {

struct Section
{
    QList<QUuid> ids;
    QHash<QUuid, QRectF> frames;

    // `count` rows of `height`, 2 pixels apart, the first at `top`.
    Section(int count, qreal height, qreal top = 30)
    {
        for (int i = 0; i < count; ++i) {
            const QUuid id = QUuid::createUuid();
            ids.append(id);
            frames.insert(id, QRectF(0, top + i * (height + 2), 300, height));
        }
    }
};

} // namespace

class TestTodoRowDrag final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void passingANeighbourAtItsMiddle()
    {
        const qreal h = 28;
        Section s(3, h);
        const qreal toSecond = s.frames[s.ids[1]].center().y() - s.frames[s.ids[0]].center().y();
        const auto drag = TodoRowDrag::update(s.ids[0], toSecond, s.ids, s.frames);
        QVERIFY(drag);
        QCOMPARE(drag->from, 0);
        QCOMPARE(drag->to, 1); // a tie passes
        const QHash<QUuid, qreal> offsets = drag->offsets(s.ids, s.frames);
        QCOMPARE(offsets.value(s.ids[0]), toSecond);
        QCOMPARE(offsets.value(s.ids[1]), -(h + 2));
        QVERIFY(!offsets.contains(s.ids[2]));

        // Just short of the middle passes nothing; moving up passes at the middle as well.
        QCOMPARE(TodoRowDrag::update(s.ids[0], toSecond - 0.5, s.ids, s.frames)->to, 0);
        const auto up = TodoRowDrag::update(s.ids[2], -toSecond, s.ids, s.frames);
        QCOMPARE(up->to, 1);
        QCOMPARE(up->offsets(s.ids, s.frames).value(s.ids[1]), h + 2);
    }

    void clampedToTheSection_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<qreal>("dy");
        QTest::addColumn<int>("to");
        QTest::addColumn<qreal>("translation");
        // Rows of 20 at 30, 52, 74, 96: the section spans 30 to 116.
        QTest::newRow("far up from the third") << 2 << -1000.0 << 0 << -44.0;
        QTest::newRow("far down from the second") << 1 << 1000.0 << 3 << 44.0;
        QTest::newRow("back to where it started") << 1 << 0.0 << 1 << 0.0;
    }

    void clampedToTheSection()
    {
        QFETCH(int, row);
        QFETCH(qreal, dy);
        QFETCH(int, to);
        QFETCH(qreal, translation);
        Section s(4, 20);
        const auto drag = TodoRowDrag::update(s.ids[row], dy, s.ids, s.frames);
        QVERIFY(drag);
        QCOMPARE(drag->from, row);
        QCOMPARE(drag->to, to);
        QCOMPARE(drag->translation, translation);
    }

    void aLoneRowCannotMove()
    {
        Section s(1, 20);
        const auto drag = TodoRowDrag::update(s.ids[0], 80, s.ids, s.frames);
        QCOMPARE(drag->to, 0);
        QCOMPARE(drag->translation, 0.0);
    }

    void missingFramesOrPeersStopTheDrag()
    {
        Section s(3, 20);
        QHash<QUuid, QRectF> noLast = s.frames;
        noLast.remove(s.ids[2]);
        QVERIFY(!TodoRowDrag::update(s.ids[0], 10, s.ids, noLast));
        QVERIFY(!TodoRowDrag::update(QUuid::createUuid(), 10, s.ids, s.frames));
        QVERIFY(!TodoRowDrag::update(s.ids[0], 10, {}, s.frames));
        QHash<QUuid, QRectF> noOwn = s.frames;
        noOwn.remove(s.ids[1]);
        QVERIFY(!TodoRowDrag::update(s.ids[1], 10, s.ids, noOwn));
        TodoRowDrag drag { s.ids[1], 1, 2, 10 };
        QVERIFY(drag.offsets(s.ids, noOwn).isEmpty());
    }

    // Each passed row moves by the dragged row's height, whatever its own.
    void passedRowsShiftByTheDraggedRowsHeight()
    {
        QList<QUuid> ids { QUuid::createUuid(), QUuid::createUuid(), QUuid::createUuid() };
        QHash<QUuid, QRectF> frames { { ids[0], QRectF(0, 0, 300, 50) }, { ids[1], QRectF(0, 52, 300, 20) },
            { ids[2], QRectF(0, 74, 300, 20) } };
        const auto drag = TodoRowDrag::update(ids[0], 1000, ids, frames);
        // Clamped at the last row's bottom, its middle (69) passes only the second row's (62).
        QCOMPARE(drag->translation, 44.0);
        QCOMPARE(drag->to, 1);
        const QHash<QUuid, qreal> offsets = drag->offsets(ids, frames);
        QCOMPARE(offsets.value(ids[1]), -52.0);
        QVERIFY(!offsets.contains(ids[2]));
    }
};

QTEST_MAIN(TestTodoRowDrag)
#include "tst_TodoRowDrag.moc"
