#include "Services/Clipboard/ImageLoader.h"
#include "TestHome.h"

#include <QAtomicInt>
#include <QImage>
#include <QSemaphore>
#include <QTest>

namespace {

// The result once the main thread has run the loader's part of it.
QImage waitFor(QFuture<QImage> future)
{
    while (!future.isFinished())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return future.result();
}

} // namespace

class TestImageLoader final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesOnceAndCachesOnlySuccesses()
    {
        QAtomicInt decodes;
        QList<int> sizes;
        ImageLoader loader([&](const QString &path, int maxPixels) {
            decodes.ref();
            sizes.append(maxPixels); // written off the main thread, read after the wait
            return path.endsWith(QLatin1String("missing.png")) ? QImage()
                                                               : QImage(maxPixels, maxPixels, QImage::Format_RGB32);
        });

        const QImage first = waitFor(loader.image(QStringLiteral("/s/a.png"), 64));
        QCOMPARE(first.size(), QSize(64, 64));
        QVERIFY(loader.isCached(QStringLiteral("/s/a.png"), 64));
        QCOMPARE(waitFor(loader.image(QStringLiteral("/s/a.png"), 64)).size(), QSize(64, 64));
        QCOMPARE(decodes.loadRelaxed(), 1);

        // Another size is another picture.
        QCOMPARE(waitFor(loader.image(QStringLiteral("/s/a.png"), 400)).size(), QSize(400, 400));
        QCOMPARE(decodes.loadRelaxed(), 2);

        // A failure is tried again next time.
        QVERIFY(waitFor(loader.image(QStringLiteral("/s/missing.png"), 64)).isNull());
        QVERIFY(!loader.isCached(QStringLiteral("/s/missing.png"), 64));
        QVERIFY(waitFor(loader.image(QStringLiteral("/s/missing.png"), 64)).isNull());
        QCOMPARE(decodes.loadRelaxed(), 4);

        // Zero pixels decode at one, not at full size.
        QCOMPARE(waitFor(loader.image(QStringLiteral("/s/b.png"), 0)).size(), QSize(1, 1));
        QCOMPARE(sizes.last(), 1);
        QVERIFY(loader.isCached(QStringLiteral("/s/b.png"), 0));
    }

    void widgetsGoneBeforeTheResultAreNotCalled()
    {
        QSemaphore gate;
        ImageLoader loader([&gate](const QString &, int maxPixels) {
            gate.acquire();
            return QImage(maxPixels, maxPixels, QImage::Format_RGB32);
        });
        int calls = 0;
        QImage received;
        QObject alive;
        auto *gone = new QObject;
        loader.load(QStringLiteral("/s/c.png"), 32, gone, [&calls](const QImage &) { ++calls; });
        loader.load(QStringLiteral("/s/c.png"), 32, &alive, [&](const QImage &image) {
            ++calls;
            received = image;
        });
        delete gone;
        gate.release(2);
        QTRY_VERIFY(!received.isNull());
        QTest::qWait(10);
        QCOMPARE(calls, 1);
    }

    void realFilesThroughTheDefaultDecoder()
    {
        TestHome home;
        const QString path = home.path() + QStringLiteral("/wide.png");
        QImage image(800, 200, QImage::Format_RGB32);
        image.fill(Qt::green);
        QVERIFY(image.save(path));
        ImageLoader loader;
        QCOMPARE(waitFor(loader.image(path, 100)).size(), QSize(100, 25));
        QVERIFY(waitFor(loader.image(home.path() + QStringLiteral("/none.png"), 100)).isNull());
    }
};

QTEST_GUILESS_MAIN(TestImageLoader)
#include "tst_ImageLoader.moc"
