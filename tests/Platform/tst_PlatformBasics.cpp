#include "Platform/DataPaths.h"
#include "Platform/linux/QtSettingsStore.h"
#include "TestHome.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

class TestPlatformBasics final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dataFolderIsPrivateAndNested()
    {
        TestHome home;
        const QString folder = DataPaths::appFolder() + QStringLiteral("/Clipboard/Images");
        QVERIFY(DataPaths::ensureFolder(folder));
        QVERIFY(QFileInfo(folder).isDir());
        const auto perms = QFileInfo(DataPaths::appFolder()).permissions();
        QVERIFY(!(perms & (QFileDevice::ReadOther | QFileDevice::ReadGroup)));
        QVERIFY(DataPaths::ensureFolder(folder)); // again: nothing to do
    }

    void dataFolderBlockedByAFile()
    {
        TestHome home;
        QVERIFY(DataPaths::ensureFolder(QFileInfo(DataPaths::appFolder()).absolutePath()));
        QFile blocker(DataPaths::appFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!DataPaths::ensureFolder(DataPaths::appFolder() + QStringLiteral("/Clipboard")));
    }

    void settingsSurviveANewInstanceWithDictionaries()
    {
        TestHome home;
        const QString ini = home.path() + QStringLiteral("/settings.ini");
        QVariantMap combo { { QStringLiteral("keyCode"), 17 }, { QStringLiteral("modifiers"), 768 },
            { QStringLiteral("key"), QStringLiteral("T") } };
        {
            QtSettingsStore store(ini);
            store.setValue(QStringLiteral("hotKey"), combo);
            store.setValue(QStringLiteral("focusHotKey"), QVariantMap());
            store.setValue(QStringLiteral("focusMinutes"), 40);
        }
        QtSettingsStore again(ini);
        QCOMPARE(again.value(QStringLiteral("hotKey")).toMap(), combo);
        QVERIFY(again.contains(QStringLiteral("focusHotKey")));
        QVERIFY(again.value(QStringLiteral("focusHotKey")).toMap().isEmpty());
        QCOMPARE(again.value(QStringLiteral("focusMinutes")).toInt(), 40);
        again.remove(QStringLiteral("focusMinutes"));
        QVERIFY(!QtSettingsStore(ini).contains(QStringLiteral("focusMinutes")));
    }
};

QTEST_GUILESS_MAIN(TestPlatformBasics)
#include "tst_PlatformBasics.moc"
