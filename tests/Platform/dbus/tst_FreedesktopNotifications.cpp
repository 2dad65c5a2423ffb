#include "Platform/dbus/FreedesktopNotifications.h"

#include <QDBusConnection>
#include <QProcess>
#include <QTest>

#include <qcoro/qcorotask.h>

using namespace Qt::StringLiterals;

// The notification service, as a desktop's notification daemon offers it.
class FakeNotificationService final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call
    {
        QString app;
        uint replacesId;
        QString summary;
        QString body;
        QVariantMap hints;
    };

    QList<Call> calls;

public Q_SLOTS:
    uint Notify(const QString &app, uint replacesId, const QString &, const QString &summary, const QString &body,
        const QStringList &, const QVariantMap &hints, int)
    {
        calls.append({ app, replacesId, summary, body, hints });
        return replacesId ? replacesId : uint(40 + calls.size());
    }
};

// Against a private session bus of its own.
class TestFreedesktopNotifications final : public QObject
{
    Q_OBJECT

private:
    QProcess m_daemon;
    QString m_address;

private Q_SLOTS:
    void initTestCase()
    {
        m_daemon.start(u"dbus-daemon"_s,
            { u"--session"_s, u"--nofork"_s, u"--print-address=1"_s,
                u"--address=unix:tmpdir=%1"_s.arg(QDir::tempPath()) });
        if (!m_daemon.waitForStarted(5000))
            QSKIP("no dbus-daemon");
        QTRY_VERIFY(m_daemon.canReadLine());
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }

    void cleanupTestCase()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    void postsAndReplacesById()
    {
        QDBusConnection serviceBus = QDBusConnection::connectToBus(m_address, u"service"_s);
        QDBusConnection clientBus = QDBusConnection::connectToBus(m_address, u"client"_s);
        QVERIFY(serviceBus.isConnected() && clientBus.isConnected());
        FakeNotificationService service;
        QVERIFY(
            serviceBus.registerObject(u"/org/freedesktop/Notifications"_s, &service, QDBusConnection::ExportAllSlots));
        QVERIFY(serviceBus.registerService(u"org.freedesktop.Notifications"_s));

        FreedesktopNotifications notifications(clientBus);
        const quint32 shown = QCoro::waitFor(
            notifications.post(u"Focus complete"_s, u"Your 25-minute focus session is finished."_s, 0));
        QCOMPARE(shown, 41u);
        QCOMPARE(service.calls.size(), 1);
        const FakeNotificationService::Call first = service.calls.first();
        QCOMPARE(first.app, u"Vemra"_s);
        QCOMPARE(first.replacesId, 0u);
        QCOMPARE(first.summary, u"Focus complete"_s);
        QCOMPARE(first.body, u"Your 25-minute focus session is finished."_s);
        // The installed menu entry's name, which lends the notification its icon.
        QCOMPARE(first.hints.value(u"desktop-entry"_s).toString(), u"org.vemra.Vemra"_s);

        // The id given asks the service to replace that notification.
        QCOMPARE(QCoro::waitFor(notifications.post(u"Focus complete"_s, u"again"_s, shown)), shown);
        QCOMPARE(service.calls[1].replacesId, shown);
        serviceBus.unregisterService(u"org.freedesktop.Notifications"_s);
        // Nobody answers: nothing was shown.
        QCOMPARE(QCoro::waitFor(notifications.post(u"Focus complete"_s, u"gone"_s, shown)), 0u);
    }
};

QTEST_GUILESS_MAIN(TestFreedesktopNotifications)
#include "tst_FreedesktopNotifications.moc"
