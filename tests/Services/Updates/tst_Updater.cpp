#include "FakeUpdateDriver.h"
#include "Services/Updates/Updater.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const UpdateItem update20 { QStringLiteral("200"), QStringLiteral("2.0"),
    QUrl(QStringLiteral("https://example.org/2.0")) };
const UpdateItem update21 { QStringLiteral("210"), QStringLiteral("2.1"),
    QUrl(QStringLiteral("https://example.org/2.1")) };

} // namespace

class TestUpdater final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void versionText_data()
    {
        QTest::addColumn<QString>("shortVersion");
        QTest::addColumn<QString>("build");
        QTest::addColumn<QString>("text");
        QTest::newRow("both") << QStringLiteral("1.4") << QStringLiteral("27") << QStringLiteral("1.4 (27)");
        QTest::newRow("no build") << QStringLiteral("1.4") << QString() << QStringLiteral("1.4");
        QTest::newRow("no short version") << QString() << QStringLiteral("27") << QStringLiteral("1.0 (27)");
        QTest::newRow("neither") << QString() << QString() << QStringLiteral("1.0");
    }

    void versionText()
    {
        QFETCH(QString, shortVersion);
        QFETCH(QString, build);
        QFETCH(QString, text);
        QCOMPARE(Updater::versionText(shortVersion, build), text);
    }

    void aQuietScheduledUpdateWaitsUntilTheUserLooks()
    {
        FakeUpdateDriver driver;
        Updater updater(driver);
        QCOMPARE(driver.delegate, &updater); // started at once
        QSignalSpy changed(&updater, &Updater::availableVersionChanged);

        QVERIFY(updater.supportsGentleScheduledUpdateReminders());
        QVERIFY(!updater.shouldHandleShowingScheduledUpdate(update20, false));
        QVERIFY(updater.shouldHandleShowingScheduledUpdate(update20, true));

        updater.willHandleShowingUpdate(false, update20);
        QCOMPARE(updater.availableVersion(), QStringLiteral("2.0"));
        updater.willHandleShowingUpdate(false, update20); // the same again: no news
        updater.willHandleShowingUpdate(true, update21); // shown by the driver: not announced
        QCOMPARE(updater.availableVersion(), QStringLiteral("2.0"));
        QCOMPARE(changed.size(), 1);

        updater.checkForUpdates();
        QCOMPARE(driver.log, QStringList { QStringLiteral("check") });
        updater.didReceiveUserAttention(update20);
        QVERIFY(updater.availableVersion().isEmpty());
        updater.willFinishUpdateSession();
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed.last().at(0).toString(), QString());

        updater.willHandleShowingUpdate(false, update21);
        updater.willFinishUpdateSession();
        QVERIFY(updater.availableVersion().isEmpty());
        QCOMPARE(changed.size(), 4);
    }

    void automaticChecksLiveInTheDriver()
    {
        FakeUpdateDriver driver;
        Updater updater(driver);
        QSignalSpy changed(&updater, &Updater::automaticallyChecksChanged);
        QVERIFY(updater.automaticallyChecks());

        updater.setAutomaticallyChecks(false);
        QVERIFY(!driver.automatic);
        updater.setAutomaticallyChecks(false);
        QCOMPARE(driver.writes, 1);
        QCOMPARE(changed.size(), 1);

        driver.automatic = true; // changed by the driver itself: read through, never cached
        QVERIFY(updater.automaticallyChecks());
    }
};

QTEST_MAIN(TestUpdater)
#include "tst_Updater.moc"
