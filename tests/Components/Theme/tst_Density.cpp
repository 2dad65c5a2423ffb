#include "Components/Theme/Density.h"

#include <QApplication>
#include <QTest>

#include <limits>

class TestDensity final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clipboardPagesGrowByOnePage_data()
    {
        QTest::addColumn<Density>("density");
        QTest::addColumn<QList<int>>("limits");
        // The first page, then each "show more".
        QTest::newRow("panel") << Density::Compact << QList<int> { 100, 200, 300, 400 };
        QTest::newRow("window") << Density::Regular << QList<int> { 500, 1000, 1500 };
    }

    void clipboardPagesGrowByOnePage()
    {
        QFETCH(Density, density);
        QFETCH(QList<int>, limits);
        int limit = 0;
        QList<int> seen;
        for (int i = 0; i < limits.size(); ++i) {
            limit = Densities::nextClipboardLimit(density, limit);
            seen.append(limit);
        }
        QCOMPARE(seen, limits);
        QCOMPARE(limits.first(), Densities::clipboardPageSize(density)); // a reset starts here
    }

    void clipboardLimitNeverOverflows()
    {
        const int max = std::numeric_limits<int>::max();
        QCOMPARE(Densities::nextClipboardLimit(Density::Regular, max - 10), max);
        QCOMPARE(Densities::nextClipboardLimit(Density::Regular, max), max);
        QCOMPARE(Densities::nextClipboardLimit(Density::Compact, -5), 100);
    }

    void lineHeightIsMeasuredOncePerDensity()
    {
        const qreal compact = Densities::lineHeight(Density::Compact);
        const qreal regular = Densities::lineHeight(Density::Regular);
        QVERIFY(compact > 13);
        QVERIFY(regular > compact);
        // A later change of the application font does not move rows already laid out.
        QFont big = QApplication::font();
        big.setPixelSize(40);
        QApplication::setFont(big);
        QCOMPARE(Densities::lineHeight(Density::Regular), regular);
        QCOMPARE(Densities::lineHeight(Density::Compact), compact);
    }
};

QTEST_MAIN(TestDensity)
#include "tst_Density.moc"
