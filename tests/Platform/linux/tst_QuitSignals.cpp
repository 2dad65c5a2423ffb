#include "Platform/linux/QuitSignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

// Each signal that ends a session reaches the event loop as a request to quit, instead of
// killing the process where it stands.
class TestQuitSignals final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void endingSignalsAskToQuit_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("logout") << int(SIGTERM);
        QTest::newRow("interrupt") << int(SIGINT);
        QTest::newRow("hang-up") << int(SIGHUP);
    }

    void endingSignalsAskToQuit()
    {
        QFETCH(int, signal);
        QuitSignals quitSignals;
        QSignalSpy asked(&quitSignals, &QuitSignals::quitRequested);
        QCOMPARE(::raise(signal), 0);
        QVERIFY(asked.wait(2000));
        QCOMPARE(asked.count(), 1);
        QCOMPARE(asked.first().first().toInt(), signal);
    }
};

QTEST_GUILESS_MAIN(TestQuitSignals)
#include "tst_QuitSignals.moc"
