#include "Components/Controls/TabFade.h"
#include "Components/Controls/VemraBadge.h"
#include "Screenshots.h"
#include "Services/Shell/MotionPreference.h"
#include "TestHome.h"

#include <QDir>
#include <QStandardPaths>

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QTest>

class TestDecorations final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(Screenshots::lightPalette());
    }

    void tabFadeBlanksThenClears()
    {
        QLabel content(QStringLiteral("tab"));
        TabFade fade(&content);
        fade.play();
        auto *effect = qobject_cast<QGraphicsOpacityEffect *>(content.graphicsEffect());
        QVERIFY(effect);
        QCOMPARE(effect->opacity(), 0.0);
        QVERIFY(fade.isRunning());
        fade.play(); // a second switch starts again from blank
        QCOMPARE(content.graphicsEffect(), effect);
        QCOMPARE(effect->opacity(), 0.0);
        QTRY_VERIFY(!content.graphicsEffect());
    }

    void reducedMotionShowsTheContentAtOnce()
    {
        QLabel content(QStringLiteral("tab"));
        TabFade fade(&content);
        fade.play();
        QVERIFY(content.graphicsEffect());
        fade.play(true); // switched again with reduced motion on, half-way through
        QVERIFY(!fade.isRunning());
        QVERIFY(!content.graphicsEffect());
    }

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

QTEST_MAIN(TestDecorations)
#include "tst_Decorations.moc"
