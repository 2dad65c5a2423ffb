#include "Platform/DesktopApps.h"

#include <QTest>

class TestDesktopApps final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void catalogue_data()
    {
        QTest::addColumn<QString>("appId");
        QTest::addColumn<QStringList>("aliases");
        QTest::addColumn<bool>("passwordManager");
        QTest::addColumn<bool>("codeApp");
        const QStringList none;
        QTest::newRow("keepassxc by desktop id") << "org.keepassxc.KeePassXC" << none << true << false;
        QTest::newRow("keepassxc by window class")
            << "Foo" << QStringList { QStringLiteral("keepassxc") } << true << false;
        QTest::newRow("secrets") << "org.gnome.World.Secrets" << none << true << false;
        QTest::newRow("the macOS password app, from an export") << "com.apple.Passwords" << none << true << false;
        QTest::newRow("jetbrains window class") << "jetbrains-idea" << none << false << true;
        QTest::newRow("xterm window class") << "XTerm" << none << false << true;
        QTest::newRow("Debian's xterm entry") << "debian-xterm" << none << false << true;
        QTest::newRow("Debian's uxterm entry") << "debian-uxterm" << none << false << true;
        QTest::newRow("a name that only ends like one") << "notxterm" << none << false << false;
        QTest::newRow("whole names are no prefixes") << "codeblocks" << none << false << false;
        QTest::newRow("identifier prefix") << "com.sublimetext.4" << none << false << true;
        QTest::newRow("macOS editor") << "com.microsoft.VSCodeInsiders" << none << false << true;
        QTest::newRow("identifier prefixes keep their case") << "com.apple.terminal" << none << false << false;
        QTest::newRow("nothing") << "" << none << false << false;
    }

    void catalogue()
    {
        QFETCH(QString, appId);
        QFETCH(QStringList, aliases);
        QFETCH(bool, passwordManager);
        QFETCH(bool, codeApp);
        QCOMPARE(DesktopApps::isPasswordManager({ appId, appId, aliases }), passwordManager);
        QCOMPARE(DesktopApps::isCodeApp(appId), codeApp);
    }
};

QTEST_GUILESS_MAIN(TestDesktopApps)
#include "tst_DesktopApps.moc"
