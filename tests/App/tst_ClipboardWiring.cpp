#include "AppHarness.h"
#include "FullDisk.h"
#include "Platform/DataPaths.h"
#include "Services/Clipboard/ClipboardMonitor.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Shell/Preferences.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

namespace {

// The application delegate started over fakes, launched at login: these checks are about the
// clipboard, not the panel.
struct Harness : AppHarness
{
    explicit Harness(bool monitorsClipboard = true)
    {
        settings.setValue(QStringLiteral("monitorsClipboard"), monitorsClipboard);
        facilities.launchedAtLogin = true;
        systemClipboard.copyText(QStringLiteral("on the clipboard at launch"));
        start();
    }

    ClipboardMonitor &monitor() const { return delegate->environment().monitor; }
    ClipboardStore &store() const { return delegate->environment().clipboard; }
};

} // namespace

class TestClipboardWiring final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpRecordsNewCopiesOnly()
    {
        Harness h;
        QVERIFY(h.delegate->isStarted());
        QVERIFY(h.monitor().isWatching());
        QCoreApplication::processEvents();
        QCOMPARE(h.store().count(), 0);
        h.systemClipboard.copyText(QStringLiteral("a new copy"));
        QTRY_COMPARE(h.store().count(), 1);
    }

    void switchedOffAtLaunchNothingIsWatched()
    {
        Harness h(false);
        QVERIFY(!h.monitor().isWatching());
        h.delegate->preferences().setMonitorsClipboard(true);
        QVERIFY(h.monitor().isWatching());
    }

    void pauseFromTheStatusMenu()
    {
        Harness h;
        QVERIFY(!h.delegate->statusMenuState().isClipboardPaused);
        h.delegate->performStatusMenuAction(StatusMenu::Action::ToggleClipboardPause);
        QVERIFY(h.delegate->preferences().isClipboardPaused());
        QVERIFY(h.delegate->statusMenuState().isClipboardPaused);
        QCOMPARE(h.settings.value(QStringLiteral("clipboardPaused")).toBool(), true);
        QVERIFY(!h.monitor().isWatching());

        h.systemClipboard.copyText(QStringLiteral("copied while paused"));
        h.delegate->performStatusMenuAction(StatusMenu::Action::ToggleClipboardPause);
        QVERIFY(h.monitor().isWatching());
        QCoreApplication::processEvents();
        QCOMPARE(h.systemClipboard.readCount(), 0);
    }

    void copyBackIsNotRecordedAgain()
    {
        Harness h;
        h.systemClipboard.copyText(QStringLiteral("to copy back"));
        QTRY_COMPARE(h.store().count(), 1);
        QVERIFY(h.store().copy(h.store().items().first(), h.monitor().systemClipboard(), h.clock.now()));
        QCOMPARE(h.monitor().ownChangeCount, std::optional<qint64>(h.systemClipboard.changeCount()));
        const int reads = h.systemClipboard.readCount();
        QCoreApplication::processEvents();
        QCOMPARE(h.systemClipboard.readCount(), reads);
    }

    void onlyTheFirstCaptureErrorOfARunIsShown()
    {
        Harness h;
        const QString images = h.store().folder() + QStringLiteral("/Images");
        QDir(images).removeRecursively();
        QFile blocker(images);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        for (int i = 0; i < 3; ++i) {
            ClipboardWrite copy;
            QImage image(4 + i, 4, QImage::Format_RGB32);
            image.fill(Qt::red);
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "png");
            copy.data.append({ QStringLiteral("image/png"), png });
            h.systemClipboard.copy(copy);
            QCoreApplication::processEvents();
            if (i == 0)
                QTRY_COMPARE(h.alerts.alerts().size(), 1);
        }
        QTest::qWait(200);
        QCOMPARE(h.alerts.alerts().size(), 1);
        const Alert alert = h.alerts.alerts().first();
        QCOMPARE(alert.title, QStringLiteral("Vemra couldn’t save something you copied."));
        QVERIFY(alert.informativeText.startsWith(
            QStringLiteral("Your clipboard history is safe. Vemra will keep trying with what you copy next.\n\n")));
        QCOMPARE(h.store().count(), 0);
    }

    // A copy that finds the disk full is told in the words every full disk is told in, not by
    // the path of a file of ours and the system's words; and once: a copy that fails to be saved
    // while the alert is up says nothing more.
    void aCopyOnAFullDiskIsToldOnce()
    {
        AppHarness h;
        const QString data = h.home.dataFolder();
        QVERIFY(QDir().mkpath(data));
        if (QProcess::execute(QStringLiteral("mount"),
                { QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                    QStringLiteral("size=1m,mode=0700"), QStringLiteral("tmpfs"), data })
            != 0)
            QSKIP("a small disk can't be mounted here");
        const auto unmount = qScopeGuard([&] {
            h.delegate.reset();
            QProcess::execute(QStringLiteral("umount"), { data });
        });
        // The store's file full as well, whatever room its log found ahead.
        FullDisk full(data);
        h.facilities.launchedAtLogin = true;
        h.start();
        ClipboardStore &store = h.delegate->environment().clipboard;
        QTRY_VERIFY(!store.isChecking());
        QFile filler(data + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) { }
        filler.close();
        full.fill();

        QSignalSpy saveFailed(&store, &ClipboardStore::saveFailed);
        h.alerts.onPresent = [&](const Alert &) {
            h.alerts.onPresent = nullptr;
            h.systemClipboard.copyText(QStringLiteral("a short one"));
            QVERIFY(QTest::qWaitFor([&] { return saveFailed.count() > 0; }));
        };
        // A long text, whose whole goes to a side file.
        h.systemClipboard.copyText(QStringLiteral("A long text that finds no room. ").repeated(1000));
        QTRY_COMPARE(saveFailed.count(), 1);
        QCOMPARE(h.alerts.alerts().size(), 1);
        QCOMPARE(h.alerts.alerts().first().title, QStringLiteral("Vemra couldn’t save something you copied."));
        QCOMPARE(h.alerts.alerts().first().informativeText,
            QStringLiteral("Your clipboard history is safe. Vemra will keep trying with what you copy next.\n\n"
                           "The disk is full."));
        QCOMPARE(store.count(), 1);
    }
};

QTEST_MAIN(TestClipboardWiring)
#include "tst_ClipboardWiring.moc"
