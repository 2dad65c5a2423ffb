#include "Platform/PanelPlacement.h"

#include <QTest>

using PanelPlacement::Anchor;
using PanelPlacement::AnchorSources;

namespace {

const QRect wide(0, 0, 1280, 800);
const QRect right(1280, 0, 1920, 1080);

} // namespace

class TestPanelPlacement final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void frame_data()
    {
        QTest::addColumn<QSize>("content");
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("expected");

        const QSize panel(380, 200);
        QTest::newRow("centred under the icon") << panel << QRect(600, 0, 22, 24) << wide << QRect(421, 30, 380, 200);
        // The icon's centre is 100 from the right edge: kept 8 inside instead of centred.
        QTest::newRow("clamped right") << panel << QRect(1170, 0, 20, 24) << wide << QRect(1280 - 388, 30, 380, 200);
        QTest::newRow("clamped left") << panel << QRect(10, 0, 22, 24) << wide << QRect(8, 30, 380, 200);
        QTest::newRow("screen narrower than the panel: right bound wins")
            << panel << QRect(100, 0, 22, 24) << QRect(0, 0, 300, 800) << QRect(300 - 380 - 8, 30, 380, 200);
        QTest::newRow("tray at the bottom: above the icon")
            << panel << QRect(1257, 769, 22, 30) << wide << QRect(892, 769 - 6 - 200, 380, 200);
        QTest::newRow("tray at the bottom, left of centre")
            << QSize(300, 100) << QRect(400, 770, 24, 30) << wide << QRect(262, 664, 300, 100);
        QTest::newRow("second screen, clamped to its own right edge")
            << panel << QRect(3170, 0, 24, 24) << right << QRect(1280 + 1920 - 388, 30, 380, 200);
        QTest::newRow("second screen, left clamp at its own edge")
            << panel << QRect(1285, 0, 24, 24) << right << QRect(1288, 30, 380, 200);
        QTest::newRow("a point in the upper half")
            << panel << QRect(400, 300, 0, 0) << wide << QRect(210, 306, 380, 200);
        QTest::newRow("a point in the lower half")
            << panel << QRect(400, 500, 0, 0) << wide << QRect(210, 294, 380, 200);
        QTest::newRow("the top-right corner: 8 inside the top")
            << panel << QRect(1280, 0, 0, 0) << wide << QRect(892, 8, 380, 200);
        // Taller than the room beside the tray: the room between the icon and the far edge, never
        // over the icon (a tray without a strut lies inside the area) and never off screen.
        QTest::newRow("small screen, tray at the bottom")
            << QSize(380, 758) << QRect(1300, 736, 22, 32) << QRect(0, 0, 1366, 736) << QRect(978, 8, 380, 720);
        QTest::newRow("small screen, tray at the bottom without a strut")
            << QSize(380, 758) << QRect(1300, 736, 22, 32) << QRect(0, 0, 1366, 768) << QRect(978, 8, 380, 722);
        QTest::newRow("small screen, tray at the top without a strut")
            << QSize(380, 758) << QRect(1300, 0, 22, 32) << QRect(0, 0, 1366, 768) << QRect(978, 38, 380, 722);
        QTest::newRow("small screen, tray at the top")
            << QSize(380, 758) << QRect(1300, 0, 22, 32) << QRect(0, 32, 1366, 736) << QRect(978, 40, 380, 720);
        QTest::newRow("800-pixel screen, tray at the top")
            << QSize(380, 788) << QRect(1200, 0, 22, 24) << QRect(0, 24, 1280, 776) << QRect(892, 32, 380, 760);
        QTest::newRow("800-pixel screen, tray at the top without a strut")
            << QSize(380, 788) << QRect(1200, 0, 22, 24) << QRect(0, 0, 1280, 800) << QRect(892, 30, 380, 762);
        QTest::newRow("800-pixel screen, tray at the bottom without a strut")
            << QSize(380, 788) << QRect(1200, 768, 22, 32) << QRect(0, 0, 1280, 800) << QRect(892, 8, 380, 754);
        QTest::newRow("a short panel above a tray without a strut")
            << QSize(380, 300) << QRect(1200, 768, 22, 32) << QRect(0, 0, 1280, 800) << QRect(892, 462, 380, 300);
        QTest::newRow("tray at the top, outside the area: 8 inside it")
            << QSize(380, 700) << QRect(600, 0, 22, 24) << QRect(0, 24, 1280, 776) << QRect(421, 32, 380, 700);
        QTest::newRow("no screen: origin") << panel << QRect(600, 0, 22, 24) << QRect() << QRect(0, 0, 380, 200);
    }

    void frame()
    {
        QFETCH(QSize, content);
        QFETCH(QRect, anchor);
        QFETCH(QRect, screen);
        QFETCH(QRect, expected);
        QCOMPARE(PanelPlacement::frame(content, anchor, screen), expected);
    }

    void anchorPlaced_data()
    {
        QTest::addColumn<QRect>("tray");
        QTest::addColumn<bool>("placed");
        QTest::newRow("not yet reported") << QRect() << false;
        QTest::newRow("zero size at the origin") << QRect(0, 0, 0, 0) << false;
        QTest::newRow("top bar") << QRect(1200, 2, 22, 22) << true;
        QTest::newRow("bottom tray") << QRect(1257, 769, 22, 30) << true;
        QTest::newRow("on the second screen") << QRect(2000, 0, 22, 22) << true;
        QTest::newRow("off every screen") << QRect(-200, -200, 22, 22) << false;
    }

    void anchorPlaced()
    {
        QFETCH(QRect, tray);
        QFETCH(bool, placed);
        QCOMPARE(PanelPlacement::isAnchorPlaced(tray, { wide, right }), placed);
    }

    void resolve_data()
    {
        QTest::addColumn<QRect>("tray");
        QTest::addColumn<bool>("statusNotifier");
        QTest::addColumn<QPoint>("pointer"); // (-1, -1): none
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<bool>("placed");

        const QRect tray(1257, 769, 22, 30);
        QTest::newRow("the icon") << tray << false << QPoint(5, 5) << tray << wide << true;
        QTest::newRow("the icon on the second screen")
            << QRect(3000, 0, 24, 24) << false << QPoint(5, 5) << QRect(3000, 0, 24, 24) << right << true;
        QTest::newRow("no icon yet: the pointer")
            << QRect() << false << QPoint(640, 20) << QRect(640, 20, 0, 0) << wide << false;
        QTest::newRow("no icon, no pointer: top-right")
            << QRect() << false << QPoint(-1, -1) << QRect(1280, 0, 0, 0) << wide << false;
        QTest::newRow("pointer off every screen: top-right")
            << QRect() << false << QPoint(-50, -50) << QRect(1280, 0, 0, 0) << wide << false;
        QTest::newRow("status notifier host: the pointer at once")
            << QRect() << true << QPoint(2500, 10) << QRect(2500, 10, 0, 0) << right << true;
        QTest::newRow("status notifier host without a pointer")
            << QRect() << true << QPoint(-1, -1) << QRect(1280, 0, 0, 0) << wide << false;
    }

    void resolve()
    {
        QFETCH(QRect, tray);
        QFETCH(bool, statusNotifier);
        QFETCH(QPoint, pointer);
        QFETCH(QRect, rect);
        QFETCH(QRect, screen);
        QFETCH(bool, placed);

        AnchorSources sources;
        sources.trayGeometry = tray;
        sources.statusNotifier = statusNotifier;
        if (pointer != QPoint(-1, -1))
            sources.pointer = pointer;
        sources.screens = { wide, right };
        const Anchor anchor = PanelPlacement::resolve(sources);
        QCOMPARE(anchor.rect, rect);
        QCOMPARE(anchor.screen, screen);
        QCOMPARE(anchor.placed, placed);
    }

    void noScreenAtAll()
    {
        AnchorSources sources;
        sources.pointer = QPoint(10, 10);
        const Anchor anchor = PanelPlacement::resolve(sources);
        QVERIFY(!anchor.placed);
        QCOMPARE(PanelPlacement::frame(QSize(380, 200), anchor.rect, anchor.screen), QRect(0, 0, 380, 200));
    }
};

QTEST_GUILESS_MAIN(TestPanelPlacement)
#include "tst_PanelPlacement.moc"
