#include "Components/Controls/PaletteTone.h"
#include "Components/Controls/Plate.h"
#include "Components/Controls/ToneLabel.h"
#include "Components/Theme/Theme.h"
#include "Screenshots.h"

#include <QImage>
#include <QLabel>
#include <QTest>

// The theme's promise: whatever is drawn through it follows the palette it sits in, once, with
// no handler in the widgets that use it.
class TestTheme final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void labelsFollowTheirParentsPalette_data()
    {
        QTest::addColumn<Theme::Tone>("tone");
        QTest::addColumn<bool>("onlyTheInkChanges");
        QTest::newRow("secondary, light to dark") << Theme::secondary << false;
        QTest::newRow("tertiary, light to dark") << Theme::tertiary << false;
        QTest::newRow("secondary, a new text colour only") << Theme::secondary << true;
    }

    void labelsFollowTheirParentsPalette()
    {
        QFETCH(Theme::Tone, tone);
        QFETCH(bool, onlyTheInkChanges);
        QWidget parent;
        parent.setPalette(Screenshots::lightPalette());
        auto *label = new ToneLabel(QStringLiteral("Offline todo for myself."), tone, &parent);
        QCOMPARE(label->textColor(), Theme::color(tone, Screenshots::lightPalette()));

        QPalette next = Screenshots::darkPalette();
        if (onlyTheInkChanges) {
            next = Screenshots::lightPalette();
            next.setColor(QPalette::WindowText, QColor(90, 30, 30));
        }
        parent.setPalette(next);
        QCOMPARE(label->textColor(), Theme::color(tone, next));
        // And back: nothing compounds on the way.
        parent.setPalette(Screenshots::lightPalette());
        QCOMPARE(label->textColor(), Theme::color(tone, Screenshots::lightPalette()));
    }

    void otherWidgetsKeepTheirToneAcrossPaletteChanges_data()
    {
        QTest::addColumn<Theme::Tone>("tone");
        QTest::addColumn<QPalette::ColorRole>("role");
        // The text role is also the ink the tone comes from: it must not compound.
        QTest::newRow("secondary text") << Theme::secondary << QPalette::WindowText;
        QTest::newRow("warning text") << Theme::warning << QPalette::WindowText;
        QTest::newRow("ready text") << Theme::ready << QPalette::WindowText;
        QTest::newRow("toolbar plate") << Theme::toolbarPlatePressed << QPalette::Button;
    }

    void otherWidgetsKeepTheirToneAcrossPaletteChanges()
    {
        QFETCH(Theme::Tone, tone);
        QFETCH(QPalette::ColorRole, role);
        QWidget parent;
        parent.setPalette(Screenshots::lightPalette());
        auto *status = new QLabel(QStringLiteral("Ready"), &parent);
        PaletteTone::apply(status, role, tone);
        QCOMPARE(status->palette().color(role), Theme::color(tone, Screenshots::lightPalette()));

        for (const QPalette &next :
            { Screenshots::darkPalette(), Screenshots::lightPalette(), Screenshots::darkPalette() }) {
            parent.setPalette(next);
            QCOMPARE(status->palette().color(role), Theme::color(tone, next));
        }
        // Toned again: the new tone replaces the old one, and one helper keeps it.
        PaletteTone::apply(status, role, Theme::tertiary);
        QCOMPARE(status->palette().color(role), Theme::color(Theme::tertiary, Screenshots::darkPalette()));
        QCOMPARE(status->findChildren<PaletteTone *>().size(), 1);
        // Moved to a parent in another appearance.
        QWidget other;
        other.setPalette(Screenshots::lightPalette());
        status->setParent(&other);
        QCOMPARE(status->palette().color(role), Theme::color(Theme::tertiary, Screenshots::lightPalette()));
    }

    void signalColoursHaveADarkShade_data()
    {
        QTest::addColumn<Theme::Ink>("ink");
        QTest::newRow("red") << Theme::Ink::Red;
        QTest::newRow("orange") << Theme::Ink::Orange;
        QTest::newRow("green") << Theme::Ink::Green;
    }

    void signalColoursHaveADarkShade()
    {
        QFETCH(Theme::Ink, ink);
        const QColor light = Theme::color(ink, Screenshots::lightPalette());
        const QColor dark = Theme::color(ink, Screenshots::darkPalette());
        QVERIFY(light.isValid() && light.alpha() == 255);
        QVERIFY(dark.lightnessF() > light.lightnessF());
        QVERIFY(Theme::isDark(Screenshots::darkPalette()) && !Theme::isDark(Screenshots::lightPalette()));
    }

    void platesPaintInTheirPalettesTones()
    {
        Plate plate({ Theme::cardFill, Theme::hairline, 0 });
        plate.resize(40, 20);
        for (const QPalette &palette : { Screenshots::lightPalette(), Screenshots::darkPalette() }) {
            plate.setPalette(palette);
            QImage image(plate.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            plate.render(&image, {}, {}, QWidget::DrawChildren);
            const int fill = Theme::color(Theme::cardFill, palette).alpha();
            const int edge = Theme::color(Theme::hairline, palette).alpha();
            QCOMPARE(image.pixelColor(20, 10).alpha(), fill);
            // The edge lies over the fill, inside the plate.
            QVERIFY(qAbs(image.pixelColor(0, 10).alpha() - (edge + fill * (255 - edge) / 255)) <= 1);
        }
    }
};

QTEST_MAIN(TestTheme)
#include "tst_Theme.moc"
