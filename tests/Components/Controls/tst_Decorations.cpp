#include "Components/Controls/TabFade.h"
#include "Components/Controls/VemraBadge.h"
#include "Screenshots.h"

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
};

QTEST_MAIN(TestDecorations)
#include "tst_Decorations.moc"
