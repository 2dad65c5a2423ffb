#include "Platform/LaunchContext.h"
#include "Platform/SingleInstance.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <future>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Another user's id, for files that root hands over; none when the test cannot.
constexpr uid_t stranger = 65534;

bool isPrivateFolderOfOurs(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode)
        && info.st_uid == ::geteuid() && (info.st_mode & 0777) == 0700;
}

// Runs with XDG_RUNTIME_DIR unset (or set as given), a shared temporary folder of the test's own
// and umask 000, restoring all three.
struct NoRuntimeFolder
{
    QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QByteArray tmp = qgetenv("TMPDIR");
    mode_t mask = ::umask(0);
    QTemporaryDir shared;

    NoRuntimeFolder()
    {
        ::chmod(QFile::encodeName(shared.path()).constData(), 01777);
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", shared.path().toUtf8());
    }
    ~NoRuntimeFolder()
    {
        ::umask(mask);
        qputenv("XDG_RUNTIME_DIR", runtime);
        qputenv("TMPDIR", tmp);
    }
    QString ours() const { return shared.path() + QStringLiteral("/vemra-") + QString::number(::geteuid()); }
};

} // namespace

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

    // A launch that asks the running copy to quit returns once that copy has ended (here a moment
    // after it was asked, as once its stores are closed); it gives up on one that never ends, and
    // has nothing to wait for when none runs.
    void aLaunchAsksTheRunningCopyToQuitAndWaits()
    {
        using namespace std::chrono_literals;
        TestHome home;
        const QString path = home.path() + QStringLiteral("/runtime/vemra-instance");
        auto running = std::make_unique<SingleInstance>(path);
        QCOMPARE(running->start(), SingleInstance::Role::Primary);
        QSignalSpy quit(running.get(), &SingleInstance::quitRequested);
        QSignalSpy reopen(running.get(), &SingleInstance::reopenRequested);
        connect(running.get(), &SingleInstance::quitRequested, this,
            [&running] { QTimer::singleShot(300, [&running] { running.reset(); }); });
        auto asking = [&path](std::chrono::milliseconds timeout) {
            return std::async(
                std::launch::async, [&path, timeout] { return SingleInstance(path).quitRunningInstance(timeout); });
        };

        std::future<bool> quitting = asking(10s);
        QTRY_COMPARE(quit.count(), 1);
        QCOMPARE(reopen.count(), 0);
        QCOMPARE(quitting.wait_for(0s), std::future_status::timeout);
        QTRY_VERIFY(!running);
        QTRY_COMPARE(quitting.wait_for(0s), std::future_status::ready);
        QVERIFY(quitting.get());

        QVERIFY(SingleInstance(path).quitRunningInstance(1s));

        SingleInstance stubborn(path);
        QCOMPARE(stubborn.start(), SingleInstance::Role::Primary);
        std::future<bool> givingUp = asking(300ms);
        QTRY_COMPARE(givingUp.wait_for(0s), std::future_status::ready);
        QVERIFY(!givingUp.get());
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

    // Without a runtime folder the socket goes into a private folder that is checked, not into
    // the shared temporary folder where anyone could have put a socket first.
    void withoutARuntimeFolderTheSocketIsPrivate_data()
    {
        QTest::addColumn<QString>("squatter"); // what stands at the usual name before the launch
        QTest::addColumn<bool>("usable"); // whether that folder is then used
        QTest::newRow("nothing yet") << QString() << true;
        QTest::newRow("our own private folder") << QStringLiteral("private") << true;
        QTest::newRow("a folder open to everyone") << QStringLiteral("open") << false;
        QTest::newRow("a link to a folder") << QStringLiteral("link") << false;
        QTest::newRow("another user's folder") << QStringLiteral("stranger") << false;
        QTest::newRow("a runtime folder open to others") << QStringLiteral("open runtime") << true;
    }

    void withoutARuntimeFolderTheSocketIsPrivate()
    {
        QFETCH(QString, squatter);
        QFETCH(bool, usable);
        TestHome home;
        NoRuntimeFolder env;
        const QByteArray ours = QFile::encodeName(env.ours());
        if (squatter == QLatin1String("private")) {
            QVERIFY(::mkdir(ours.constData(), 0700) == 0);
        } else if (squatter == QLatin1String("open")) {
            QVERIFY(::mkdir(ours.constData(), 0777) == 0);
        } else if (squatter == QLatin1String("link")) {
            QVERIFY(QDir().mkpath(env.shared.path() + QStringLiteral("/elsewhere")));
            QVERIFY(QFile::link(env.shared.path() + QStringLiteral("/elsewhere"), env.ours()));
        } else if (squatter == QLatin1String("stranger")) {
            QVERIFY(::mkdir(ours.constData(), 0700) == 0);
            if (::chown(ours.constData(), stranger, stranger) != 0)
                QSKIP("only root can hand a folder to another user");
        } else if (squatter == QLatin1String("open runtime")) {
            QVERIFY(QDir().mkpath(home.path() + QStringLiteral("/open-runtime")));
            qputenv("XDG_RUNTIME_DIR", (home.path() + QStringLiteral("/open-runtime")).toUtf8());
        }

        const QString path = SingleInstance::defaultSocketPath();
        QVERIFY(!path.isEmpty());
        const QString folder = QFileInfo(path).absolutePath();
        QVERIFY2(isPrivateFolderOfOurs(folder), qPrintable(folder));
        QCOMPARE(folder == env.ours(), usable);

        SingleInstance first(path);
        QCOMPARE(first.start(), SingleInstance::Role::Primary);
        SingleInstance second(path);
        QCOMPARE(second.start(SingleInstance::Request::Nothing), SingleInstance::Role::AlreadyRunning);
    }

    // A socket that another user owns is never asked: its owner could otherwise keep Vemra
    // from starting, or learn of every launch.
    void anotherUsersSocketIsRefused()
    {
        TestHome home;
        const QString path = home.path() + QStringLiteral("/runtime/vemra-instance");
        QLocalServer squatter;
        QVERIFY(squatter.listen(path));
        if (::chown(QFile::encodeName(path).constData(), stranger, stranger) != 0)
            QSKIP("only root can hand a socket to another user");

        SingleInstance instance(path);
        QCOMPARE(instance.start(), SingleInstance::Role::Primary);
        QTest::qWait(50);
        QVERIFY(!squatter.hasPendingConnections());
        SingleInstance later(path);
        QCOMPARE(later.start(SingleInstance::Request::Nothing), SingleInstance::Role::AlreadyRunning);
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
        // The marker and the quit request are told apart.
        QVERIFY(!LaunchContext::wasAskedToQuit(arguments));
        arguments.replaceInStrings(QStringLiteral("--login-item"), QStringLiteral("--quit"));
        QCOMPARE(LaunchContext::wasAskedToQuit(arguments), atLogin);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_SingleInstance.moc"
