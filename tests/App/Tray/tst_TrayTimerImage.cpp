#include "App/Tray/TrayTimerImage.h"

#include <QGuiApplication>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The height of what was painted between two rows of the image.
int inkHeight(const QImage &image, int fromRow, int toRow)
{
    int first = -1;
    int last = -1;
    for (int y = fromRow; y < toRow; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 64) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

} // namespace

// The countdown in the square tray icon stays readable at every length of session.
class TestTrayTimerImage final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readableAtEveryLength_data()
    {
        QTest::addColumn<QString>("clock");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("bottom");
        QTest::newRow("minutes") << u"24:59"_s << u"24"_s << u"59"_s;
        QTest::newRow("one hour") << u"1:00:00"_s << u"1:00"_s << u"00"_s;
        QTest::newRow("under ten hours") << u"9:59:59"_s << u"9:59"_s << u"59"_s;
        QTest::newRow("ten hours") << u"10:00:00"_s << u"10h"_s << u"00m"_s;
        QTest::newRow("a day") << u"24:00:00"_s << u"24h"_s << u"00m"_s;
    }

    void readableAtEveryLength()
    {
        QFETCH(QString, clock);
        const std::pair<QString, QString> rows = TrayTimerImage::rows(clock);
        QTEST(rows.first, "top");
        QTEST(rows.second, "bottom");
        QVERIFY(TrayTimerImage::pixelSize(rows) >= TrayTimerImage::minimumPixelSize);

        const QImage image = TrayTimerImage::image(clock, Qt::black, 1.0);
        const int half = TrayTimerImage::side / 2;
        // Digits of at least 6 px, in both rows, inside the icon.
        QVERIFY2(inkHeight(image, 0, half) >= 6, qPrintable(QString::number(inkHeight(image, 0, half))));
        QVERIFY2(inkHeight(image, half, TrayTimerImage::side) >= 6,
            qPrintable(QString::number(inkHeight(image, half, TrayTimerImage::side))));
    }
};

QTEST_MAIN(TestTrayTimerImage)
#include "tst_TrayTimerImage.moc"
