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
