#include "Services/Shell/MotionPreference.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

// The desktop's animation switch, as the GTK settings files write it.
class TestMotionPreference final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void desktopMotionSetting_data()
    {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<bool>("reduces");
        QTest::newRow("turned off") << "[Settings]\ngtk-enable-animations=false\n" << true;
        QTest::newRow("zero, spaced") << "[Settings]\n  gtk-enable-animations = 0\n" << true;
        QTest::newRow("turned on") << "[Settings]\ngtk-enable-animations=true\n" << false;
        QTest::newRow("not set") << "[Settings]\ngtk-theme-name=Adwaita\n" << false;
        QTest::newRow("other group") << "[Other]\ngtk-enable-animations=false\n" << false;
        QTest::newRow("unreadable value") << "[Settings]\ngtk-enable-animations=maybe\n" << false;
        QTest::newRow("empty") << "" << false;
    }

    void desktopMotionSetting()
    {
        QFETCH(QString, ini);
        QFETCH(bool, reduces);
        QCOMPARE(MotionPreference::reducesMotion(ini), reduces);
    }

    void newerGtkSettingsWin()
    {
        TestHome home;
        QVERIFY(!MotionPreference::reducesMotion()); // nothing written: motion on
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        const auto write = [&config](const QString &version, const QByteArray &text) {
            QDir().mkpath(config + QLatin1Char('/') + version);
            QFile file(config + QLatin1Char('/') + version + QStringLiteral("/settings.ini"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        };
        write(QStringLiteral("gtk-3.0"), "[Settings]\ngtk-enable-animations=false\n");
        QVERIFY(MotionPreference::reducesMotion());
        write(QStringLiteral("gtk-4.0"), "[Settings]\ngtk-enable-animations=true\n");
        QVERIFY(!MotionPreference::reducesMotion());
        write(QStringLiteral("gtk-4.0"), "[Settings]\ngtk-theme-name=Adwaita\n");
        QVERIFY(MotionPreference::reducesMotion()); // the older file still says so
    }
};

QTEST_GUILESS_MAIN(TestMotionPreference)
#include "tst_MotionPreference.moc"
