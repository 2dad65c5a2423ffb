#include "Services/Clipboard/ImageLoader.h"
#include "Views/Clipboard/ClipboardThumbnail.h"

#include <QAtomicInt>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTest>
#include <QThreadPool>

class TestClipboardThumbnail final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placeholderWithoutAPathAndNoLoad()
    {
        QAtomicInt decodes;
        ImageLoader loader([&](const QString &, int px) {
            decodes.ref();
            return QImage(px, px, QImage::Format_RGB32);
        });
        ClipboardThumbnail thumbnail(loader, 36);
        thumbnail.show();
        QTest::qWait(20);
        QCOMPARE(decodes.loadRelaxed(), 0);
        QVERIFY(!thumbnail.hasImage());
        QCOMPARE(thumbnail.size(), QSize(36, 36));
        QVERIFY(!thumbnail.grab().isNull()); // the placeholder paints
    }

    void aNewPathDropsTheOldResult()
    {
        QSemaphore slowGate;
        ImageLoader loader([&](const QString &path, int px) {
            if (path == QLatin1String("/slow.png")) {
                slowGate.acquire();
                return QImage(px, px, QImage::Format_RGB32);
            }
            return QImage(px, px / 2, QImage::Format_RGB32);
        });
        // The slow picture holds a thread of the pool while the fast one is made on another; a
        // failed check lets it go, so that the test ends.
        QThreadPool &pool = *QThreadPool::globalInstance();
        const int machine = pool.maxThreadCount();
        pool.setMaxThreadCount(std::max(machine, 2));
        const auto restore = qScopeGuard([&] {
            slowGate.release();
            pool.waitForDone();
            pool.setMaxThreadCount(machine);
        });
        ClipboardThumbnail thumbnail(loader, 20);
        thumbnail.setPath(QStringLiteral("/slow.png"));
        thumbnail.show();
        thumbnail.setPath(QStringLiteral("/fast.png"));
        QTRY_VERIFY(thumbnail.hasImage());
        QVERIFY(loader.isCached(QStringLiteral("/fast.png"), 40)); // twice the side
        slowGate.release();
        QTRY_VERIFY(loader.isCached(QStringLiteral("/slow.png"), 40));
        QTest::qWait(10);
        // The late picture of the earlier path did not replace the current one.
        QCOMPARE(thumbnail.image().size(), QSize(40, 20));
    }
};

QTEST_MAIN(TestClipboardThumbnail)
#include "tst_ClipboardThumbnail.moc"
