#include "Platform/linux/DesktopEntryIndex.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

class TestDesktopEntryIndex final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void desktopEntriesNameTheWindow()
    {
        TestHome home;
        const QString apps = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
        QDir().mkpath(apps + QStringLiteral("/kde"));
        auto write = [&](const QString &file, const QByteArray &text) {
            QFile f(apps + QLatin1Char('/') + file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
        };
        write(QStringLiteral("org.keepassxc.KeePassXC.desktop"),
            "[Desktop Entry]\nType=Application\nName=KeePassXC\nName[de]=KeePassXC DE\nExec=keepassxc %f\n");
        write(QStringLiteral("code.desktop"),
            "[Desktop Entry]\nType=Application\nName=Visual Code\nStartupWMClass=Code\nExec=/usr/share/code/code --x\n"
            "[Desktop Action new]\nName=New Window\n");
        write(QStringLiteral("kde/konsole.desktop"), "[Desktop Entry]\nType=Application\nName=Konsole\nExec=konsole\n");
        write(QStringLiteral("gone.desktop"), "[Desktop Entry]\nType=Application\nName=Gone\nHidden=true\n");

        const DesktopEntryIndex index(QStringLiteral("de_DE"));
        const DesktopEntryIndex::Entry *keepass
            = index.find(QStringLiteral("keepassxc"), QStringLiteral("KeePassXC"), {});
        QVERIFY(keepass);
        QCOMPARE(keepass->id, QStringLiteral("org.keepassxc.KeePassXC"));
        QCOMPARE(keepass->name, QStringLiteral("KeePassXC DE"));
        const DesktopEntryIndex::Entry *code = index.find(QStringLiteral("code"), QStringLiteral("Code"), {});
        QVERIFY(code);
        QCOMPARE(code->name, QStringLiteral("Visual Code"));
        const DesktopEntryIndex::Entry *konsole = index.find({}, {}, QStringLiteral("konsole"));
        QVERIFY(konsole);
        QCOMPARE(konsole->id, QStringLiteral("kde-konsole"));
        QVERIFY(!index.find(QStringLiteral("gone"), QStringLiteral("Gone"), QStringLiteral("gone")));
        QVERIFY(!index.find({}, {}, {}));
    }
};

QTEST_GUILESS_MAIN(TestDesktopEntryIndex)
#include "tst_DesktopEntryIndex.moc"
