#include "App/Tray/TrayIconImage.h"
#include "Components/Theme/MarkPath.h"

#include <QDir>
#include <QTest>

namespace {

QString reviewFolder()
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/review");
    QDir().mkpath(folder);
    return folder;
}

// Sum of alpha over all pixels, in units of fully covered pixels.
qreal coverage(const QImage &image)
{
    qreal sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            sum += qAlpha(image.pixel(x, y)) / 255.0;
    }
    return sum;
}

} // namespace

class TestMarkPath final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawnInTheCentredSquare()
    {
        // A 100 × 60 rectangle holds the mark in its centred 60 × 60 square.
        const QPainterPath line = MarkPath::centreLine(QRectF(0, 0, 100, 60));
        QCOMPARE(line.elementCount(), 8); // move, line, curve (three elements), line, move, line
        QCOMPARE(QPointF(line.elementAt(0)), QPointF(44, 6));
        QCOMPARE(QPointF(line.elementAt(6)), QPointF(29.6, 19.8));
        QCOMPARE(QPointF(line.elementAt(7)), QPointF(59.6, 19.8));
    }

    void outlineIsFilledAndInside_data()
    {
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<qreal>("weight");
        QTest::newRow("badge") << QRectF(5.6, 5.6, 16.8, 16.8) << MarkPath::defaultWeight;
        QTest::newRow("tray") << QRectF(0.5, 0.5, 17, 17) << TrayIconImage::markWeight;
        QTest::newRow("wide") << QRectF(10, 20, 300, 40) << MarkPath::defaultWeight;
        QTest::newRow("tall") << QRectF(0, 0, 40, 300) << 0.2;
    }

    void outlineIsFilledAndInside()
    {
        QFETCH(QRectF, rect);
        QFETCH(qreal, weight);
        const QPainterPath outline = MarkPath::path(rect, weight);
        QVERIFY(!outline.isEmpty());
        QCOMPARE(outline.fillRule(), Qt::WindingFill);
        QVERIFY2(rect.contains(outline.boundingRect()), "the stroke must stay inside its rectangle");
    }

    void strokeHasTheWeightAsWidth()
    {
        // Side 100, weight 0.12: a 12-wide stroke, so the stem at x = 40 spans 34 to 46.
        const QPainterPath outline = MarkPath::path(QRectF(0, 0, 100, 100), 0.12);
        QVERIFY(outline.contains(QPointF(40, 45)));
        QVERIFY(outline.contains(QPointF(45.8, 45)));
        QVERIFY(!outline.contains(QPointF(46.3, 45)));
        QVERIFY(!outline.contains(QPointF(33.7, 45)));
        // Round caps reach past the stem's top end by half the width.
        QVERIFY(outline.contains(QPointF(40, 4.3)));
        QVERIFY(!outline.contains(QPointF(40, 3.7)));
    }

    void emptyRectangleGivesNothing()
    {
        QVERIFY(MarkPath::path(QRectF(0, 0, 0, 20)).isEmpty());
        QVERIFY(MarkPath::path(QRectF(0, 0, 20, 20), 0).isEmpty());
    }

    void trayMarkFollowsTheTray_data()
    {
        using Colour = std::optional<QColor>;
        QTest::addColumn<Colour>("foreground");
        QTest::addColumn<Colour>("background");
        QTest::addColumn<QColor>("window");
        QTest::addColumn<QColor>("mark");
        const QColor lightWindow(0xef, 0xef, 0xef);
        const QColor darkWindow(0x2a, 0x2a, 0x2e);
        QTest::newRow("dark tray, light appearance")
            << Colour() << Colour(QColor(31, 31, 31)) << lightWindow << QColor(Qt::white);
        QTest::newRow("light tray, dark appearance")
            << Colour() << Colour(QColor(0xd6, 0xd6, 0xd6)) << darkWindow << QColor(Qt::black);
        QTest::newRow("the tray's own colour wins") << Colour(QColor(0xee, 0xcc, 0x00)) << Colour(QColor(31, 31, 31))
                                                    << lightWindow << QColor(0xee, 0xcc, 0x00);
        QTest::newRow("nothing known: the palette, light") << Colour() << Colour() << lightWindow << QColor(Qt::black);
        QTest::newRow("nothing known: the palette, dark") << Colour() << Colour() << darkWindow << QColor(Qt::white);
    }

    void trayMarkFollowsTheTray()
    {
        QFETCH(std::optional<QColor>, foreground);
        QFETCH(std::optional<QColor>, background);
        QFETCH(QColor, window);
        QFETCH(QColor, mark);
        QPalette palette;
        palette.setColor(QPalette::Window, window);
        QCOMPARE(TrayIconImage::markColour(foreground, background, palette), mark);
    }

    void trayImageAtBothScales()
    {
        const QImage one = TrayIconImage::image(Qt::black, 1);
        const QImage two = TrayIconImage::image(Qt::black, 2);
        QCOMPARE(one.size(), QSize(18, 18));
        QCOMPARE(two.size(), QSize(36, 36));
        QCOMPARE(two.deviceIndependentSize(), QSizeF(18, 18));
        // Same drawing at twice the resolution: four times the covered pixels.
        const qreal ratio = coverage(two) / coverage(one);
        QVERIFY2(ratio > 3.6 && ratio < 4.4, qPrintable(QString::number(ratio)));
        QVERIFY(coverage(one) > 30);
        QCOMPARE(qAlpha(one.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(one.pixel(17, 17)), 0);
        // A pixel in the middle of the stem is fully painted in the requested colour.
        const QImage white = TrayIconImage::image(Qt::white, 2);
        QCOMPARE(white.pixel(14, 16), qRgba(255, 255, 255, 255));

        QVERIFY(one.save(reviewFolder() + QStringLiteral("/tray-icon-1x.png")));
        QVERIFY(two.save(reviewFolder() + QStringLiteral("/tray-icon-2x.png")));
        QVERIFY(white.save(reviewFolder() + QStringLiteral("/tray-icon-2x-white.png")));
    }

    void trayIconCarriesBothRenditions()
    {
        const QIcon icon = TrayIconImage::icon(Qt::black);
        QCOMPARE(icon.availableSizes().size(), 2);
    }
};

QTEST_MAIN(TestMarkPath)
#include "tst_MarkPath.moc"
