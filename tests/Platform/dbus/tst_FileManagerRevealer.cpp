#include "Platform/dbus/FileManagerRevealer.h"
#include "PrivateBus.h"
#include "TestHome.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString fileManagerName = u"org.freedesktop.FileManager1"_s;

bool writeFile(const QString &path, const QByteArray &text)
{
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// A question to the bus itself, answered in order with everything it sends on `bus`.
bool askBus(QDBusConnection bus, const QString &method)
{
    return bus.call(QDBusMessage::createMethodCall(
                        u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s, u"org.freedesktop.DBus"_s, method))
               .type()
        == QDBusMessage::ReplyMessage;
}

} // namespace

// A file manager that takes every request and never answers.
class SilentFileManager final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public Q_SLOTS:
    void ShowItems(const QStringList &, const QString &, const QDBusMessage &message) { message.setDelayedReply(true); }
};

// Against a private session bus whose activatable services the test writes, in a home whose
// desktop entries it writes too.
class TestFileManagerRevealer final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<PrivateBus> m_bus;

    QDBusConnection connect() { return m_bus->connect(); }

private Q_SLOTS:
    void initTestCase()
    {
        m_home = std::make_unique<TestHome>();
        qputenv("XDG_CONFIG_DIRS", (m_home->path() + u"/etc"_s).toUtf8());
        qputenv("XDG_DATA_DIRS", (m_home->path() + u"/share"_s).toUtf8());
        m_bus = std::make_unique<PrivateBus>(m_home->path());
        if (!m_bus->isRunning())
            QSKIP("no dbus-daemon");
    }

    void cleanupTestCase()
    {
        m_bus.reset();
        m_home.reset();
    }

    // Each way the desktop can offer a file manager, coming and going while the revealer runs.
    // The bus tells at once when a file manager starts or quits; the rest is learnt by asking.
    void learnsEachWayOfShowingFolders_data()
    {
        QTest::addColumn<QString>("offer");
        QTest::newRow("a running file manager") << u"running"_s;
        QTest::newRow("one the bus starts on demand") << u"services/fm.service"_s;
        QTest::newRow("a handler of folders") << u"share/applications/files.desktop"_s;
    }

    void learnsEachWayOfShowingFolders()
    {
        QFETCH(QString, offer);
        QDBusConnection bus = connect();
        FileManagerRevealer revealer(bus);
        QDBusConnection owner = connect();
        const bool running = offer == u"running"_s;
        const QString file = m_home->path() + u'/' + offer;
        const auto withdraw = [&] {
            owner.unregisterService(fileManagerName);
            QFile::remove(file);
            return askBus(owner, u"ReloadConfig"_s);
        };
        const auto withdrawn = qScopeGuard(withdraw);
        if (running)
            QVERIFY(owner.registerService(fileManagerName));
        else
            QVERIFY(writeFile(file,
                "[D-BUS Service]\nName=org.freedesktop.FileManager1\nExec=/bin/false\n"
                "[Desktop Entry]\nType=Application\nName=Files\nMimeType=inode/directory;\n"));
        QVERIFY(askBus(owner, u"ReloadConfig"_s) && askBus(bus, u"GetId"_s));
        QCoreApplication::processEvents();
        if (running)
            QVERIFY(revealer.hasFileManager());
        QTRY_VERIFY(revealer.hasFileManager());

        QVERIFY(withdraw() && askBus(bus, u"GetId"_s));
        QCoreApplication::processEvents();
        if (running)
            QVERIFY(!revealer.hasFileManager());
        QTRY_VERIFY(!revealer.hasFileManager());
    }

    // A file manager or a bus that never answers costs the caller nothing: every call returns
    // at once with what was learnt before.
    void neverWaitsForAnAnswer_data()
    {
        QTest::addColumn<bool>("busStops");
        QTest::newRow("the file manager never answers") << false;
        QTest::newRow("the bus never answers") << true;
    }

    void neverWaitsForAnAnswer()
    {
        QFETCH(bool, busStops);
        QDBusConnection owner = connect();
        SilentFileManager silent;
        const auto release = qScopeGuard([&] {
            m_bus->resume();
            owner.unregisterService(fileManagerName);
            owner.unregisterObject(u"/org/freedesktop/FileManager1"_s);
        });
        QVERIFY(owner.registerObject(u"/org/freedesktop/FileManager1"_s, &silent, QDBusConnection::ExportAllSlots));
        QVERIFY(owner.registerService(fileManagerName));
        FileManagerRevealer revealer(connect());
        QTRY_VERIFY(revealer.hasFileManager());
        QDBusConnection late = connect();
        if (busStops)
            m_bus->pause();

        QElapsedTimer waited;
        waited.start();
        FileManagerRevealer unanswered(late);
        unanswered.hasFileManager();
        for (int question = 0; question < 3; ++question) {
            QVERIFY(revealer.hasFileManager());
            revealer.reveal(m_home->path() + u"/file"_s);
        }
        QCoreApplication::processEvents();
        // A D-Bus call waits 25 s for its answer by default.
        QVERIFY2(waited.elapsed() < 3000, qPrintable(u"waited %1 ms"_s.arg(waited.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestFileManagerRevealer)
#include "tst_FileManagerRevealer.moc"
