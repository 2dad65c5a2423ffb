#include "Platform/dbus/StatusNotifierHost.h"
#include "PrivateBus.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString watcherName = u"org.kde.StatusNotifierWatcher"_s;
const QString hostName = u"org.kde.StatusNotifierHost-4321"_s;

} // namespace

// Against a private session bus, on which the test plays the tray.
class TestStatusNotifierHost final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    std::unique_ptr<PrivateBus> m_bus;

private Q_SLOTS:
    void initTestCase()
    {
        m_bus = std::make_unique<PrivateBus>(m_folder.path());
        if (!m_bus->isRunning())
            QSKIP("no dbus-daemon");
    }

    void cleanupTestCase() { m_bus.reset(); }

    // What the bus says of the tray, once it has said it: whether there is a watcher, as it
    // comes and goes, and the process of the host that owns its name (here this one).
    void learnsTheHost_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::newRow("a StatusNotifierItem tray") << true;
        QTest::newRow("none") << false;
    }

    void learnsTheHost()
    {
        QFETCH(bool, tray);
        QDBusConnection panel = m_bus->connect();
        const auto gone = qScopeGuard([&] {
            panel.unregisterService(watcherName);
            panel.unregisterService(hostName);
        });
        if (tray)
            QVERIFY(panel.registerService(watcherName) && panel.registerService(hostName));

        StatusNotifierHost host(m_bus->connect());
        QCOMPARE(host.isPresent(), std::nullopt);
        QTRY_COMPARE(host.isPresent(), std::optional<bool>(tray));
        QSignalSpy learnt(&host, &StatusNotifierHost::learnt);
        host.learnHostProcess();
        QVERIFY(learnt.wait());
        QCOMPARE(host.hostProcess(),
            tray ? std::optional<qint64>(QCoreApplication::applicationPid()) : std::optional<qint64>());

        // The watcher's name is followed: a tray that goes or comes is told.
        if (tray)
            panel.unregisterService(watcherName);
        else
            QVERIFY(panel.registerService(watcherName));
        QTRY_COMPARE(host.isPresent(), std::optional<bool>(!tray));
    }

    // A bus that never answers costs the caller nothing, however often it asks: every answer
    // is the one learnt before.
    void neverWaitsForTheBus()
    {
        QDBusConnection panel = m_bus->connect();
        QVERIFY(panel.registerService(watcherName) && panel.registerService(hostName));
        StatusNotifierHost known(m_bus->connect());
        known.learnHostProcess();
        QTRY_VERIFY(known.hostProcess().has_value());
        QDBusConnection late = m_bus->connect();
        m_bus->pause();
        const auto resumed = qScopeGuard([&] {
            m_bus->resume();
            panel.unregisterService(watcherName);
            panel.unregisterService(hostName);
        });

        QElapsedTimer waited;
        waited.start();
        StatusNotifierHost unanswered(late);
        for (int question = 0; question < 3; ++question) {
            known.learnHostProcess();
            unanswered.learnHostProcess();
            QCOMPARE(known.isPresent(), std::optional<bool>(true));
            QVERIFY(known.hostProcess().has_value());
        }
        QCoreApplication::processEvents();
        QCOMPARE(unanswered.isPresent(), std::nullopt);
        // A D-Bus call waits 25 s for its answer by default.
        QVERIFY2(waited.elapsed() < 3000, qPrintable(u"waited %1 ms"_s.arg(waited.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestStatusNotifierHost)
#include "tst_StatusNotifierHost.moc"
