#include "FakeAlertPresenter.h"
#include "FakeLoginItemService.h"
#include "Platform/linux/XdgAutostartEntry.h"
#include "Services/Shell/LaunchAtLogin.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

namespace {

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

mode_t modeOf(const QString &path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

struct Subject
{
    FakeAlertPresenter alerts;
    LaunchAtLogin launch;
    QList<Error> errors;

    explicit Subject(LoginItemService &service)
        : launch(service, alerts)
    {
        QObject::connect(&launch, &LaunchAtLogin::failed, &launch, [this](const Error &error) { errors << error; });
    }
};

} // namespace

class TestLaunchAtLogin final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void togglingWritesAndRemovesTheAutostartEntry()
    {
        TestHome home;
        const QString entry = XdgAutostartEntry::defaultEntryPath();
        QVERIFY(entry.startsWith(home.path()));
        QVERIFY(entry.endsWith(QStringLiteral("/autostart/vemra.desktop")));

        XdgAutostartEntry service;
        Subject subject(service);
        QSignalSpy changed(&subject.launch, &LaunchAtLogin::isEnabledChanged);
        QVERIFY(!subject.launch.isEnabled());

        subject.launch.toggle();
        QVERIFY(subject.launch.isEnabled());
        const QString written = readAll(entry);
        QVERIFY(written.startsWith(QStringLiteral("[Desktop Entry]\n")));
        QVERIFY(written.contains(QStringLiteral("Type=Application\n")));
        const QString exec = QStringLiteral("Exec=\"%1\" --login-item\n").arg(QCoreApplication::applicationFilePath());
        QVERIFY2(written.contains(exec), qPrintable(written));
        QVERIFY(QFileInfo(QCoreApplication::applicationFilePath()).isAbsolute());

        // A second object (the next launch) finds the registration.
        XdgAutostartEntry nextLaunch;
        QVERIFY(Subject(nextLaunch).launch.isEnabled());
        QVERIFY(!nextLaunch.usersOwnEntry());

        subject.launch.toggle();
        QVERIFY(!subject.launch.isEnabled());
        QVERIFY(!QFileInfo::exists(entry));
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed.at(0).at(0).toBool(), true);
        QCOMPARE(changed.at(1).at(0).toBool(), false);
        QVERIFY(subject.errors.isEmpty());
        QVERIFY(subject.alerts.alerts().isEmpty()); // its own entry: nothing to ask
    }

    void aFailedWriteIsReportedOnceAndTheRealStateShows_data()
    {
        QTest::addColumn<QString>("blocker");
        QTest::addColumn<bool>("blockerIsFolder");
        QTest::newRow("autostart is a file") << QStringLiteral("autostart") << false;
        QTest::newRow("entry is a folder") << QStringLiteral("autostart/vemra.desktop") << true;
    }

    void aFailedWriteIsReportedOnceAndTheRealStateShows()
    {
        QFETCH(QString, blocker);
        QFETCH(bool, blockerIsFolder);
        TestHome home;
        const QString entry = XdgAutostartEntry::defaultEntryPath();
        XdgAutostartEntry service;
        Subject subject(service);
        subject.launch.toggle();
        QVERIFY(subject.launch.isEnabled());

        // Meanwhile the entry went away and something now stands in its way; the copy
        // still says enabled.
        const QString autostart = QFileInfo(entry).absolutePath();
        QVERIFY(QDir(autostart).removeRecursively());
        const QString blockerPath = QFileInfo(autostart).absolutePath() + QLatin1Char('/') + blocker;
        if (blockerIsFolder)
            QVERIFY(QDir().mkpath(blockerPath));
        else
            writeFile(blockerPath, "not a folder");

        QSignalSpy changed(&subject.launch, &LaunchAtLogin::isEnabledChanged);
        subject.launch.toggle(); // not enabled in truth, so it registers, and that fails
        QCOMPARE(subject.errors.size(), 1);
        QVERIFY(!subject.errors.first().description().isEmpty());
        QVERIFY(!subject.launch.isEnabled());
        QCOMPARE(changed.size(), 1);
        QVERIFY(blockerIsFolder ? QFileInfo(blockerPath).isDir() : QFileInfo(blockerPath).isFile());
    }

    void refreshReadsChangesMadeOutside_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("enabled");
        // SELF stands for this program's path.
        QTest::newRow("an entry") << QByteArray("[Desktop Entry]\nType=Application\nExec=SELF --login-item\n") << true;
        QTest::newRow("quoted") << QByteArray("[Desktop Entry]\nExec=\"SELF\" --login-item\n") << true;
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nExec=SELF --login-item\nHidden=true\n") << false;
        QTest::newRow("hidden before the command")
            << QByteArray("[Desktop Entry]\nHidden=true\nExec=SELF --login-item\n") << false;
        QTest::newRow("switched off") << QByteArray("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n") << false;
        QTest::newRow("switch in another group")
            << QByteArray("[Desktop Entry]\nExec=SELF\n[Desktop Action x]\nHidden=true\n") << true;
        QTest::newRow("another program") << QByteArray("[Desktop Entry]\nExec=\"/old/build/vemra\" --login-item\n")
                                         << false;
        QTest::newRow("wrapped by env") << QByteArray(
            "[Desktop Entry]\nExec=env QT_SCALE_FACTOR=1.25 SELF --login-item\n")
                                        << true;
        QTest::newRow("wrapped by env with options")
            << QByteArray("[Desktop Entry]\nExec=/usr/bin/env -u LANG -i \"A=b c\" -- \"SELF\" --login-item\n") << true;
        QTest::newRow("env wrapping another program")
            << QByteArray("[Desktop Entry]\nExec=env QT_SCALE_FACTOR=1.25 /old/build/vemra\n") << false;
        QTest::newRow("env alone") << QByteArray("[Desktop Entry]\nExec=env QT_SCALE_FACTOR=1.25\n") << false;
        QTest::newRow("wrapped and switched off")
            << QByteArray("[Desktop Entry]\nExec=env A=1 SELF\nHidden=true\n") << false;
        QTest::newRow("no command") << QByteArray("[Desktop Entry]\nType=Application\n") << false;
    }

    void refreshReadsChangesMadeOutside()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, enabled);
        TestHome home;
        const QString entry = XdgAutostartEntry::defaultEntryPath();
        XdgAutostartEntry service;
        Subject subject(service);
        LaunchAtLogin &launch = subject.launch;
        QSignalSpy changed(&launch, &LaunchAtLogin::isEnabledChanged);

        writeFile(entry, QByteArray(contents).replace("SELF", QCoreApplication::applicationFilePath().toUtf8()));
        launch.refresh();
        QCOMPARE(launch.isEnabled(), enabled);
        launch.refresh();
        QCOMPARE(changed.size(), enabled ? 1 : 0);

        QVERIFY(QFile::remove(entry));
        launch.refresh();
        QVERIFY(!launch.isEnabled());
    }

    void aStaleEntryIsWrittenAfresh_data()
    {
        QTest::addColumn<QByteArray>("contents");
        // Entries in the form Vemra writes: its own, replaced without a question.
        QTest::newRow("switched off by the desktop")
            << QByteArray("[Desktop Entry]\nExec=\"/old/place/vemra\" --login-item\nHidden=true\n");
        QTest::newRow("an old build folder") << QByteArray("[Desktop Entry]\nExec=\"/old/place/vemra\" --login-item\n");
    }

    void aStaleEntryIsWrittenAfresh()
    {
        QFETCH(QByteArray, contents);
        TestHome home;
        const QString entry = XdgAutostartEntry::defaultEntryPath();
        writeFile(entry, contents);
        XdgAutostartEntry service;
        Subject subject(service);
        LaunchAtLogin &launch = subject.launch;
        QVERIFY(!launch.isEnabled());
        launch.toggle();
        QVERIFY(launch.isEnabled());
        QVERIFY(subject.alerts.alerts().isEmpty());
        QVERIFY(!readAll(entry).contains(QStringLiteral("Hidden")));
        QVERIFY(!readAll(entry).contains(QStringLiteral("/old/place")));
    }

    // An entry of the user's own (wrapped, switched off, or pointing elsewhere) is replaced or
    // removed only after the user says so; cancelling leaves it byte for byte.
    void theUsersOwnEntryIsChangedOnlyWhenTheySaySo_data()
    {
        QTest::addColumn<QByteArray>("contents"); // SELF: this program
        QTest::addColumn<bool>("enabledBefore");
        QTest::addColumn<int>("answer"); // 0 replaces or removes, 1 cancels
        QTest::addColumn<bool>("enabledAfter");
        const QByteArray wrapped(
            "[Desktop Entry]\nType=Application\nExec=env QT_SCALE_FACTOR=1.25 SELF --login-item\n");
        const QByteArray hidden("[Desktop Entry]\nExec=SELF --verbose\nHidden=true\n");
        QTest::newRow("wrapped, switched off, cancelled") << wrapped << true << 1 << true;
        QTest::newRow("wrapped, switched off, removed") << wrapped << true << 0 << false;
        QTest::newRow("hidden, switched on, cancelled") << hidden << false << 1 << false;
        QTest::newRow("hidden, switched on, replaced") << hidden << false << 0 << true;
    }

    void theUsersOwnEntryIsChangedOnlyWhenTheySaySo()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, enabledBefore);
        QFETCH(int, answer);
        QFETCH(bool, enabledAfter);
        TestHome home;
        const QString entry = XdgAutostartEntry::defaultEntryPath();
        const QByteArray written
            = QByteArray(contents).replace("SELF", QCoreApplication::applicationFilePath().toUtf8());
        writeFile(entry, written);
        XdgAutostartEntry service;
        Subject subject(service);
        QCOMPARE(subject.launch.isEnabled(), enabledBefore);
        QCOMPARE(service.usersOwnEntry().value_or(QString()), entry);

        subject.alerts.answerWith({ answer });
        subject.launch.toggle();
        QCOMPARE(subject.alerts.alerts().size(), 1);
        const Alert &question = subject.alerts.alerts().first();
        QVERIFY(question.informativeText.contains(entry));
        QCOMPARE(question.cancelButton, 1);
        QCOMPARE(subject.launch.isEnabled(), enabledAfter);
        QVERIFY(subject.errors.isEmpty());
        if (answer == 1)
            QCOMPARE(readAll(entry).toUtf8(), written);
        else if (enabledAfter)
            QVERIFY(!service.usersOwnEntry());
        else
            QVERIFY(!QFileInfo::exists(entry));
    }

    // Whatever its name, an entry of the folder that starts this program is the login item: it
    // shows on, and switching off removes it (once the user says so: it is theirs) rather than
    // a second entry being added beside it. Entries that are off, start another program or are
    // no desktop entries are left alone.
    void anEntryUnderAnyNameCounts_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("lines"); // SELF: this program
        QTest::addColumn<bool>("enabled");
        QTest::newRow("another name") << QStringLiteral("my-vemra.desktop") << QByteArray("Exec=SELF\n") << true;
        QTest::newRow("another name, wrapped by env")
            << QStringLiteral("my-vemra.desktop") << QByteArray("Exec=env QT_SCALE_FACTOR=1.5 \"SELF\" --login-item\n")
            << true;
        QTest::newRow("the usual name, hand-written")
            << QStringLiteral("vemra.desktop") << QByteArray("Exec=SELF\n") << true;
        QTest::newRow("another name, switched off")
            << QStringLiteral("my-vemra.desktop") << QByteArray("Exec=SELF\nHidden=true\n") << false;
        QTest::newRow("another name, another program")
            << QStringLiteral("my-vemra.desktop") << QByteArray("Exec=/old/build/vemra --login-item\n") << false;
        QTest::newRow("not a desktop entry")
            << QStringLiteral("my-vemra.desktop~") << QByteArray("Exec=SELF\n") << false;
    }
    void anEntryUnderAnyNameCounts()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, lines);
        QFETCH(bool, enabled);
        TestHome home;
        const QString folder = QFileInfo(XdgAutostartEntry::defaultEntryPath()).absolutePath();
        const QString path = folder + u'/' + fileName;
        const QByteArray written = "[Desktop Entry]\nType=Application\nName=Mine\n"
            + QByteArray(lines).replace("SELF", QCoreApplication::applicationFilePath().toUtf8());
        writeFile(path, written);
        XdgAutostartEntry service;
        Subject subject(service);
        QCOMPARE(subject.launch.isEnabled(), enabled);

        subject.alerts.answerWith({ 0 });
        subject.launch.toggle();
        QCOMPARE(subject.launch.isEnabled(), !enabled);
        QVERIFY(subject.errors.isEmpty());
        const QStringList entries = QDir(folder).entryList({ QStringLiteral("*.desktop") }, QDir::Files);
        if (enabled) {
            QCOMPARE(subject.alerts.alerts().size(), 1);
            QVERIFY(subject.alerts.alerts().first().informativeText.contains(path));
            QVERIFY2(entries.isEmpty(), qPrintable(entries.join(u',')));
        } else {
            QVERIFY(subject.alerts.alerts().isEmpty());
            QCOMPARE(readAll(path).toUtf8(), written);
            QVERIFY(entries.contains(QStringLiteral("vemra.desktop")));
        }
    }

    // What runs at login must be the user's alone to change, whatever the umask.
    void theEntryIsClosedToOthersUnderAnyUmask_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::newRow("no autostart folder yet") << false;
        QTest::newRow("a folder open to everyone") << true;
    }

    void theEntryIsClosedToOthersUnderAnyUmask()
    {
        QFETCH(bool, folderExists);
        TestHome home;
        const QString entry = XdgAutostartEntry::defaultEntryPath();
        const QString folder = QFileInfo(entry).absolutePath();
        const mode_t mask = ::umask(0);
        if (folderExists)
            QVERIFY(QDir().mkpath(folder));
        XdgAutostartEntry service;
        Subject subject(service);
        subject.launch.toggle();
        ::umask(mask);
        QVERIFY(subject.launch.isEnabled());
        QCOMPARE(modeOf(entry) & 0777, mode_t(0644));
        QCOMPARE(modeOf(folder) & mode_t(S_IWGRP | S_IWOTH), mode_t(0));
    }

    void withoutItsOwnLocationNothingIsWritten()
    {
        TestHome home;
        XdgAutostartEntry entry(XdgAutostartEntry::defaultEntryPath(), QString());
        QVERIFY(entry.registerItem().has_value());
        QVERIFY(!QFileInfo::exists(XdgAutostartEntry::defaultEntryPath()));
        QCOMPARE(entry.status(), LoginItemService::Status::NotRegistered);
    }

    void toggleRegistersUnlessEnabled_data()
    {
        using Status = LoginItemService::Status;
        QTest::addColumn<Status>("before");
        QTest::addColumn<Status>("afterRegister");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("enabled") << Status::Enabled << Status::Enabled << QStringList { QStringLiteral("unregister") }
                                 << false;
        QTest::newRow("not registered") << Status::NotRegistered << Status::Enabled
                                        << QStringList { QStringLiteral("register") } << true;
        QTest::newRow("not found") << Status::NotFound << Status::Enabled << QStringList { QStringLiteral("register") }
                                   << true;
        QTest::newRow("requires approval")
            << Status::RequiresApproval << Status::RequiresApproval
            << QStringList { QStringLiteral("register"), QStringLiteral("openApprovalSettings") } << false;
    }

    void toggleRegistersUnlessEnabled()
    {
        QFETCH(LoginItemService::Status, before);
        QFETCH(LoginItemService::Status, afterRegister);
        QFETCH(QStringList, calls);
        QFETCH(bool, enabled);
        FakeLoginItemService fake;
        fake.current = before;
        fake.afterRegister = afterRegister;
        Subject subject(fake);
        subject.launch.toggle();
        QCOMPARE(fake.calls, calls);
        QCOMPARE(subject.launch.isEnabled(), enabled);
        QVERIFY(subject.errors.isEmpty());
    }

    void aFailedUnregistrationKeepsTheCheckMark()
    {
        FakeLoginItemService fake;
        fake.current = LoginItemService::Status::Enabled;
        fake.failure = QStringLiteral("denied");
        Subject subject(fake);
        QSignalSpy changed(&subject.launch, &LaunchAtLogin::isEnabledChanged);
        subject.launch.toggle();
        QCOMPARE(subject.errors.size(), 1);
        QCOMPARE(subject.errors.first().description(), QStringLiteral("denied"));
        QVERIFY(subject.launch.isEnabled());
        QCOMPARE(changed.size(), 0);
    }

    void theCommandSurvivesAwkwardPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << QStringLiteral("/usr/bin/vemra") << QStringLiteral("\"/usr/bin/vemra\" --login-item");
        QTest::newRow("blanks, quotes, dollar, backslash, percent")
            << QStringLiteral("/opt/My Apps/100% \"v\"$x\\y/vemra")
            << QStringLiteral("\"/opt/My Apps/100%% \\\\\"v\\\\\"\\\\$x\\\\\\\\y/vemra\" --login-item");
        QTest::newRow("backtick and newline")
            << QStringLiteral("/a`b\nc") << QStringLiteral("\"/a\\\\`b\\nc\" --login-item");
    }

    void theCommandSurvivesAwkwardPaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, exec);
        QCOMPARE(XdgAutostartEntry::execLine(path), exec);
        QCOMPARE(XdgAutostartEntry::programOf(exec), path);
    }
};

QTEST_MAIN(TestLaunchAtLogin)
#include "tst_LaunchAtLogin.moc"
