#include "FakeAlertPresenter.h"
#include "FixedClock.h"
#include "MemorySettingsStore.h"
#include "Services/Updates/FeedUpdateDriver.h"
#include "Services/Updates/UpdateDriverDelegate.h"
#include "Services/Updates/Updater.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

// Serves one canned HTTP answer on the loopback interface; can hold requests back until
// the test lets them go.
class FeedServer final : public QObject
{
public:
    QByteArray body;
    int status = 200;
    bool hold = false;
    int requests = 0;

    FeedServer()
    {
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { received(socket); });
            }
        });
    }

    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/feed.json").arg(m_server.serverPort())); }

    void release()
    {
        hold = false;
        for (const QPointer<QTcpSocket> &socket : std::exchange(m_held, {}))
            if (socket)
                answer(socket);
    }

private:
    void received(QTcpSocket *socket)
    {
        QByteArray &request = m_partial[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        ++requests;
        if (hold)
            m_held << socket;
        else
            answer(socket);
    }

    void answer(QTcpSocket *socket)
    {
        socket->write("HTTP/1.1 " + QByteArray::number(status)
            + " Whatever\r\nContent-Type: application/json\r\n"
              "Content-Length: "
            + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_partial;
    QList<QPointer<QTcpSocket>> m_held;
};

// An address where nothing listens: a port that was just given back.
QUrl unreachableUrl()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    const quint16 port = server.serverPort();
    server.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1/feed.json").arg(port));
}

class LoggingDelegate final : public UpdateDriverDelegate
{
public:
    QStringList log;

    bool supportsGentleScheduledUpdateReminders() const override { return true; }
    bool shouldHandleShowingScheduledUpdate(const UpdateItem &update, bool immediateFocus) override
    {
        log << QStringLiteral("should show %1 in focus %2").arg(update.displayVersion).arg(immediateFocus);
        return immediateFocus;
    }
    void willHandleShowingUpdate(bool handle, const UpdateItem &update) override
    {
        log << QStringLiteral("will show %1 %2").arg(update.displayVersion).arg(handle);
    }
    void didReceiveUserAttention(const UpdateItem &update) override
    {
        log << QStringLiteral("attention %1").arg(update.displayVersion);
    }
    void willFinishUpdateSession() override { log << QStringLiteral("finish"); }
};

const QByteArray newerFeed
    = "{\"version\": \"2\", \"displayVersion\": \"1.5\", \"url\": \"https://example.org/vemra-1.5\"}";
const QByteArray sameFeed
    = "{\"version\": \"1\", \"displayVersion\": \"1.0.0\", \"url\": \"https://example.org/vemra\"}";
const QDateTime startTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);

struct Rig
{
    FixedClock clock { startTime };
    MemorySettingsStore settings;
    FakeAlertPresenter alerts;
    LoggingDelegate delegate;
    QList<QUrl> opened;
    std::unique_ptr<FeedUpdateDriver> driver;

    explicit Rig(const QUrl &feed, bool inFocus = false)
    {
        driver = std::make_unique<FeedUpdateDriver>(
            FeedUpdateDriver::Source { feed, QStringLiteral("1"), QStringLiteral("1.0.0") }, settings, clock, alerts);
        driver->openDownload = [this](const QUrl &url) { opened << url; };
        driver->isInFocus = [inFocus] { return inFocus; };
    }
    void start() { driver->start(&delegate); }
};

} // namespace

class TestFeedUpdateDriver final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aUserCheckShowsEveryOutcome_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("log");
        const QStringList finish { QStringLiteral("finish") };
        const QStringList offered { QStringLiteral("will show 1.5 1"), QStringLiteral("attention 1.5"),
            QStringLiteral("finish") };
        const QString available = QStringLiteral("Vemra 1.5 is available.");
        const QString failed = QStringLiteral("Vemra couldn’t check for updates.");
        QTest::newRow("newer, download") << newerFeed << true << 0 << available << offered;
        QTest::newRow("newer, later") << newerFeed << true << 1 << available << offered;
        QTest::newRow("same") << sameFeed << true << 0 << QStringLiteral("You’re up to date.") << finish;
        QTest::newRow("malformed") << QByteArray("{\"version\": ") << true << 0 << failed << finish;
        QTest::newRow("no download address") << QByteArray("{\"version\": \"2\"}") << true << 0 << failed << finish;
        QTest::newRow("far too large") << QByteArray(200 * 1024, ' ') << true << 0 << failed << finish;
        QTest::newRow("unreachable") << QByteArray() << false << 0 << failed << finish;
    }

    void aUserCheckShowsEveryOutcome()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, reachable);
        QFETCH(int, answer);
        QFETCH(QString, title);
        QFETCH(QStringList, log);
        FeedServer server;
        server.body = body;
        Rig rig(reachable ? server.url() : unreachableUrl());
        rig.start();
        rig.alerts.answerWith({ answer });

        rig.driver->checkForUpdates();
        QTRY_COMPARE(rig.alerts.alerts().size(), 1);
        const Alert alert = rig.alerts.alerts().first();
        QCOMPARE(alert.title, title);
        QCOMPARE(rig.delegate.log, log);
        QVERIFY(!rig.driver->isChecking());
        if (title == QStringLiteral("Vemra couldn’t check for updates.")) {
            QCOMPARE(alert.style, Alert::Style::Warning);
            QVERIFY(alert.informativeText.contains(QStringLiteral("Try again later.\n\n")));
        }
        // Only the offer's "Download" opens anything, and only the feed's download page.
        const bool download = !alert.buttons.isEmpty() && alert.buttons.at(answer) == QStringLiteral("Download");
        QCOMPARE(rig.opened,
            download ? QList<QUrl> { QUrl(QStringLiteral("https://example.org/vemra-1.5")) } : QList<QUrl>());
    }

    void aScheduledCheckStaysQuietUnlessThereIsNews_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("same") << sameFeed << 200 << true << QStringList { QStringLiteral("finish") };
        QTest::newRow("malformed") << QByteArray("[1, 2]") << 200 << true << QStringList();
        QTest::newRow("server error") << newerFeed << 500 << true << QStringList();
        QTest::newRow("unreachable") << QByteArray() << 200 << false << QStringList();
    }

    void aScheduledCheckStaysQuietUnlessThereIsNews()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(bool, reachable);
        QFETCH(QStringList, log);
        FeedServer server;
        server.body = body;
        server.status = status;
        Rig rig(reachable ? server.url() : unreachableUrl());
        rig.start();
        rig.driver->checkInBackground();
        QVERIFY(rig.driver->isChecking());
        QTRY_VERIFY(!rig.driver->isChecking());
        QCOMPARE(rig.delegate.log, log);
        QVERIFY(rig.alerts.alerts().isEmpty());
    }

    void aScheduledUpdateWaitsQuietlyWhileTheUserIsElsewhere()
    {
        FeedServer server;
        server.body = newerFeed;
        Rig rig(server.url(), false);
        FeedUpdateDriver *driver = rig.driver.get();
        Updater updater(*driver);
        driver->checkInBackground();
        QTRY_COMPARE(updater.availableVersion(), QStringLiteral("1.5"));
        QVERIFY(rig.alerts.alerts().isEmpty());

        // Choosing the offer shows the update that was found, without asking the feed again;
        // the offer is gone as soon as the window is up.
        QString shownWhileOpen = QStringLiteral("unset");
        rig.alerts.onPresent = [&](const Alert &) { shownWhileOpen = updater.availableVersion(); };
        updater.checkForUpdates();
        QCOMPARE(rig.alerts.alerts().size(), 1);
        QCOMPARE(rig.alerts.alerts().first().title, QStringLiteral("Vemra 1.5 is available."));
        QCOMPARE(shownWhileOpen, QString());
        QVERIFY(updater.availableVersion().isEmpty());
        QCOMPARE(server.requests, 1);

        // Later, the next scheduled check finds it again and the offer comes back.
        driver->checkInBackground();
        QTRY_COMPARE(updater.availableVersion(), QStringLiteral("1.5"));
    }

    void aScheduledUpdateIsShownAtOnceWhenTheUserIsHere()
    {
        FeedServer server;
        server.body = newerFeed;
        Rig rig(server.url(), true);
        FeedUpdateDriver *driver = rig.driver.get();
        Updater updater(*driver);
        QSignalSpy announced(&updater, &Updater::availableVersionChanged);
        driver->checkInBackground();
        QTRY_COMPARE(rig.alerts.alerts().size(), 1);
        QCOMPARE(announced.size(), 0);
    }

    void withoutAFeedNothingIsChecked()
    {
        FeedServer server;
        Rig rig { QUrl() };
        rig.start();
        QVERIFY(!rig.driver->nextScheduledCheck());
        rig.driver->checkInBackground();
        QVERIFY(!rig.driver->isChecking());
        QVERIFY(rig.alerts.alerts().isEmpty());

        rig.driver->checkForUpdates();
        QCOMPARE(rig.alerts.alerts().size(), 1);
        QCOMPARE(rig.alerts.alerts().first().title, QStringLiteral("Vemra can’t check for updates."));
        QCOMPARE(rig.delegate.log, QStringList { QStringLiteral("finish") });
        QCOMPARE(server.requests, 0);
    }

    void checksAreScheduledOnceADayWhileAutomaticChecksAreOn()
    {
        FeedServer server;
        server.body = sameFeed;
        Rig rig(server.url());
        QVERIFY(rig.driver->automaticallyChecks()); // on unless turned off
        QVERIFY(!rig.driver->nextScheduledCheck()); // not before it is started
        rig.start();
        QCOMPARE(rig.driver->nextScheduledCheck(), startTime); // never checked: due now

        rig.driver->checkInBackground();
        QTRY_VERIFY(!rig.driver->isChecking());
        QCOMPARE(rig.driver->nextScheduledCheck(), startTime.addDays(1));

        rig.driver->setAutomaticallyChecks(false);
        QVERIFY(!rig.driver->nextScheduledCheck());

        // The next launch keeps both the switch and the time of the last check.
        rig.clock.advance(3 * 60 * 60 * 1000);
        FeedUpdateDriver again(
            { server.url(), QStringLiteral("1"), QStringLiteral("1.0.0") }, rig.settings, rig.clock, rig.alerts);
        again.start(&rig.delegate);
        QVERIFY(!again.automaticallyChecks());
        QVERIFY(!again.nextScheduledCheck());
        again.setAutomaticallyChecks(true);
        QCOMPARE(again.nextScheduledCheck(), startTime.addDays(1));

        // A clock turned back by days does not put the next check days away.
        rig.clock.set(startTime.addDays(-5));
        again.setAutomaticallyChecks(false);
        again.setAutomaticallyChecks(true);
        QCOMPARE(again.nextScheduledCheck(), startTime.addDays(-5));
    }

    void aUserCheckTakesOverAScheduledCheckUnderWay()
    {
        FeedServer server;
        server.body = sameFeed;
        server.hold = true;
        Rig rig(server.url());
        rig.start();
        rig.driver->checkInBackground();
        QTRY_COMPARE(server.requests, 1);
        rig.driver->checkForUpdates();
        server.release();
        QTRY_COMPARE(rig.alerts.alerts().size(), 1);
        QCOMPARE(rig.alerts.alerts().first().title, QStringLiteral("You’re up to date."));
        QCOMPARE(server.requests, 1);
    }

    void quittingDuringACheckShowsNothing()
    {
        FeedServer server;
        server.body = sameFeed;
        server.hold = true;
        Rig rig(server.url());
        rig.start();
        rig.driver->checkForUpdates();
        QTRY_COMPARE(server.requests, 1);
        rig.driver.reset();
        server.release();
        QTest::qWait(20);
        QVERIFY(rig.alerts.alerts().isEmpty());
        QVERIFY(rig.delegate.log.isEmpty());
    }

    void parseFeed_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("displayVersion");
        QTest::newRow("complete") << newerFeed << true << QStringLiteral("1.5");
        QTest::newRow("no display version") << QByteArray("{\"version\": \"1.6.2\", \"url\": \"http://example.org/x\"}")
                                            << true << QStringLiteral("1.6.2");
        QTest::newRow("not an object") << QByteArray("[\"2\"]") << false << QString();
        QTest::newRow("version with letters")
            << QByteArray("{\"version\": \"2b\", \"url\": \"https://e.org/\"}") << false << QString();
        QTest::newRow("version a number")
            << QByteArray("{\"version\": 2, \"url\": \"https://e.org/\"}") << false << QString();
        QTest::newRow("display version a number")
            << QByteArray("{\"version\": \"2\", \"displayVersion\": 2, \"url\": \"https://e.org/\"}") << false
            << QString();
        QTest::newRow("local file address")
            << QByteArray("{\"version\": \"2\", \"url\": \"file:///tmp/x\"}") << false << QString();
        QTest::newRow("relative address")
            << QByteArray("{\"version\": \"2\", \"url\": \"vemra.tar\"}") << false << QString();
    }

    void parseFeed()
    {
        QFETCH(QByteArray, document);
        QFETCH(bool, ok);
        QFETCH(QString, displayVersion);
        const Result<UpdateItem> item = FeedUpdateDriver::parseFeed(document);
        QCOMPARE(item.ok(), ok);
        if (ok)
            QCOMPARE(item.value().displayVersion, displayVersion);
        else
            QVERIFY(!item.error().description().isEmpty());
    }

    void isNewer_data()
    {
        QTest::addColumn<QString>("candidate");
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("newer");
        QTest::newRow("later build") << QStringLiteral("28") << QStringLiteral("27") << true;
        QTest::newRow("same build") << QStringLiteral("27") << QStringLiteral("27") << false;
        QTest::newRow("older build") << QStringLiteral("9") << QStringLiteral("27") << false;
        QTest::newRow("numbers, not text") << QStringLiteral("1.10") << QStringLiteral("1.9") << true;
        QTest::newRow("trailing zero") << QStringLiteral("1.0") << QStringLiteral("1") << false;
        QTest::newRow("our build not a number") << QStringLiteral("2") << QStringLiteral("dev") << false;
    }

    void isNewer()
    {
        QFETCH(QString, candidate);
        QFETCH(QString, current);
        QFETCH(bool, newer);
        QCOMPARE(FeedUpdateDriver::isNewer(candidate, current), newer);
    }
};

QTEST_MAIN(TestFeedUpdateDriver)
#include "tst_FeedUpdateDriver.moc"
