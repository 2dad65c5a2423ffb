#include "Components/Theme/Symbols.h"

#include <QApplication>
#include <QImage>
#include <QTest>

class TestSymbols final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Symbols::useIconTheme(); }

    void everySymbolHasAnInstalledIcon()
    {
        const QStringList symbols = Symbols::knownSymbols();
        QVERIFY(symbols.contains(QStringLiteral("doc.on.clipboard")));
        for (const QString &symbol : symbols) {
            const QString name = Symbols::iconName(symbol);
            QVERIFY2(name.endsWith(QStringLiteral("-symbolic")), qPrintable(symbol));
            QVERIFY2(QIcon::hasThemeIcon(name), qPrintable(symbol + QStringLiteral(" -> ") + name));
            QVERIFY2(!Symbols::pixmap(symbol, 16, Qt::black).isNull(), qPrintable(symbol));
        }
    }

    void unknownSymbolDrawsNothing()
    {
        QVERIFY(Symbols::iconName(QStringLiteral("no.such.symbol")).isEmpty());
        QVERIFY(Symbols::icon(QStringLiteral("no.such.symbol")).isNull());
        QVERIFY(Symbols::pixmap(QStringLiteral("no.such.symbol"), 16, Qt::black).isNull());
    }

    void pixmapTakesTheColourAndTheScale_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("2x") << 2.0;
    }

    void pixmapTakesTheColourAndTheScale()
    {
        QFETCH(qreal, ratio);
        const QColor accent(0, 122, 255);
        const QPixmap pixmap = Symbols::pixmap(QStringLiteral("plus"), 16, accent, ratio);
        QCOMPARE(pixmap.size(), QSize(qRound(16 * ratio), qRound(16 * ratio)));
        QCOMPARE(pixmap.devicePixelRatio(), ratio);
        const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        int painted = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() < 255)
                    continue;
                ++painted;
                QCOMPARE(pixel.rgb(), accent.rgb());
            }
        }
        QVERIFY(painted > 0);
    }
};

QTEST_MAIN(TestSymbols)
#include "tst_Symbols.moc"
