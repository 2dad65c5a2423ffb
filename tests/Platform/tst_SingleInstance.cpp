#include "Platform/LaunchContext.h"
#include "Platform/SingleInstance.h"
#include "TestHome.h"

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>

class TestSingleInstance final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondLaunchAsksTheFirstToReopen()
    {
        TestHome home;
        const QString path = home.path() + QStringLiteral("/runtime/vemra-instance");
        SingleInstance first(path);
        QCOMPARE(first.start(), SingleInstance::Role::Primary);
        QSignalSpy reopen(&first, &SingleInstance::reopenRequested);

        SingleInstance second(path);
        QCOMPARE(second.start(), SingleInstance::Role::AlreadyRunning);
        QTRY_COMPARE(reopen.count(), 1);

        SingleInstance third(path);
        QCOMPARE(third.start(), SingleInstance::Role::AlreadyRunning);
        QTRY_COMPARE(reopen.count(), 2);

        // A start at login finds the running copy and leaves it alone.
        SingleInstance atLogin(path);
        QCOMPARE(atLogin.start(SingleInstance::Request::Nothing), SingleInstance::Role::AlreadyRunning);
        QTest::qWait(50);
        QCOMPARE(reopen.count(), 2);
    }

    void leftoverSocketFileIsTakenOver()
    {
        TestHome home;
        const QString path = home.path() + QStringLiteral("/runtime/vemra-instance");
        QFile leftover(path);
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();
        SingleInstance instance(path);
        QCOMPARE(instance.start(), SingleInstance::Role::Primary);
        SingleInstance later(path);
        QCOMPARE(later.start(), SingleInstance::Role::AlreadyRunning);
    }

    void strangersAreIgnored()
    {
        TestHome home;
        const QString path = home.path() + QStringLiteral("/runtime/vemra-instance");
        SingleInstance instance(path);
        QCOMPARE(instance.start(), SingleInstance::Role::Primary);
        QSignalSpy reopen(&instance, &SingleInstance::reopenRequested);
        QLocalSocket talker;
        talker.connectToServer(path);
        QVERIFY(talker.waitForConnected(1000));
        talker.write("reopen please\nreopen\n");
        QVERIFY(talker.waitForBytesWritten(1000));
        QTRY_COMPARE(reopen.count(), 1);

        // A client that never ends its line is cut off rather than buffered for ever.
        QLocalSocket flooder;
        flooder.connectToServer(path);
        QVERIFY(flooder.waitForConnected(1000));
        flooder.write(QByteArray(1000, 'x'));
        QVERIFY(flooder.waitForBytesWritten(1000));
        QTRY_COMPARE(flooder.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(reopen.count(), 1);
    }

    void loginItemMarker_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("atLogin");
        QTest::newRow("plain") << QStringList { QStringLiteral("vemra") } << false;
        QTest::newRow("marker") << QStringList { QStringLiteral("vemra"), QStringLiteral("--login-item") } << true;
        QTest::newRow("program named like the marker") << QStringList { QStringLiteral("--login-item") } << false;
        QTest::newRow("other argument") << QStringList { QStringLiteral("vemra"), QStringLiteral("--login-items") }
                                        << false;
    }

    void loginItemMarker()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, atLogin);
        QCOMPARE(LaunchContext::wasLaunchedAtLogin(arguments), atLogin);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_SingleInstance.moc"
