#include "Platform/DataPaths.h"
#include "Platform/NewFile.h"
#include "Platform/linux/QtSettingsStore.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestPlatformBasics final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A new file holds all of its bytes under its name; a name taken, or a folder missing,
    // is refused and leaves what is there as it was.
    void newFileWholeOrNotAtAll()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("a.txt"));
        QByteArray bytes(300'000, 'x');
        bytes[123'456] = 'y';
        QCOMPARE(NewFile::write(path, bytes), std::nullopt);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        file.close();

        QVERIFY(NewFile::write(path, QByteArrayLiteral("other")).has_value());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);

        const QString nowhere = folder.filePath(QStringLiteral("missing/b.txt"));
        QVERIFY(NewFile::write(nowhere, bytes).has_value());
        QVERIFY(!QFileInfo::exists(nowhere));
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList { QStringLiteral("a.txt") });
    }

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
