#include "App/AppearancePalettes.h"
#include "App/SettingsWindowController.h"
#include "App/Tray/HostWindow.h"
#include "AppHarness.h"
#include "Components/Controls/PaletteTone.h"
#include "Components/Controls/ToneLabel.h"
#include "Components/Theme/Theme.h"
#include "Models/Shell/SettingsPane.h"
#include "Models/Shell/VemraTab.h"
#include "Services/Shell/Preferences.h"
#include "Services/Todos/TodoStore.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Where a row of the test looks: a tab of the panel or of the window, or a settings pane.
enum class Place { Panel, Window, Settings };

// The texts and tones of every visible widget that still show the look before the switch.
struct Survey
{
    QStringList frozen;
    int checked = 0;

    void add(const QWidget *widget, const QString &what, const QColor &shown, const QColor &expected)
    {
        ++checked;
        if (shown != expected)
            frozen << u"%1 \"%2\" (%3): %4, not %5"_s.arg(QString::fromLatin1(widget->metaObject()->className()), what,
                widget->objectName(), shown.name(QColor::HexArgb), expected.name(QColor::HexArgb));
    }
};

Survey survey()
{
    Survey result;
    const QPalette now = QApplication::palette();
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        for (QLabel *label : top->findChildren<QLabel *>()) {
            if (!label->isVisible() || label->text().isEmpty())
                continue;
            if (const auto *toned = qobject_cast<ToneLabel *>(label))
                result.add(label, label->text(), toned->textColor(), Theme::color(toned->tone(), now));
            else
                result.add(label, label->text(), label->palette().color(label->foregroundRole()),
                    QApplication::palette(label).color(label->foregroundRole()));
        }
        for (PaletteTone *tone : top->findChildren<PaletteTone *>()) {
            auto *widget = qobject_cast<QWidget *>(tone->parent());
            if (widget && widget->isVisible())
                result.add(
                    widget, u"toned role"_s, widget->palette().color(tone->role()), Theme::color(tone->tone(), now));
        }
    }
    return result;
}

} // namespace

class TestAppearanceSwitch final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyVisibleTextFollowsTheSwitchToDark_data()
    {
        QTest::addColumn<Place>("place");
        QTest::addColumn<int>("which");
        for (const VemraTab tab : { VemraTab::Todos, VemraTab::Clipboard, VemraTab::Focus }) {
            const QString name = VemraTabs::table.title(tab);
            QTest::newRow(qPrintable(u"panel "_s + name)) << Place::Panel << int(tab);
            QTest::newRow(qPrintable(u"window "_s + name)) << Place::Window << int(tab);
        }
        for (const SettingsPane pane : SettingsPanes::all)
            QTest::newRow(qPrintable(u"settings "_s + SettingsPanes::title(pane))) << Place::Settings << int(pane);
    }

    void everyVisibleTextFollowsTheSwitchToDark()
    {
        QFETCH(Place, place);
        QFETCH(int, which);
        AppHarness h;
        h.start();
        // Something in every list, and the clipboard's banner up.
        QVERIFY(h.delegate->environment().todos.add(u"Water the plants"_s, std::nullopt));
        h.delegate->preferences().setMonitorsClipboard(false);
        h.delegate->preferences().setAppearance(Appearance::Light);
        switch (place) {
        case Place::Panel:
            h.delegate->showTrayPanel(VemraTab(which));
            QVERIFY(h.panelShown());
            break;
        case Place::Window:
            h.delegate->showWindow(VemraTab(which));
            QVERIFY(h.delegate->window() && h.delegate->window()->isVisible());
            break;
        case Place::Settings:
            h.delegate->showSettings(SettingsPane(which));
            QVERIFY(h.delegate->settings() && h.delegate->settings()->window()->isVisible());
            QCOMPARE(h.delegate->settings()->pane(), SettingsPane(which));
            break;
        }
        QCoreApplication::processEvents();
        const Survey light = survey();
        QVERIFY2(light.frozen.isEmpty(), qPrintable(light.frozen.join(u'\n')));

        // As the Appearance setting switches it.
        h.delegate->preferences().setAppearance(Appearance::Dark);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::palette().color(QPalette::Window), AppearancePalettes::dark().color(QPalette::Window));
        const Survey dark = survey();
        QVERIFY(dark.checked > 0);
        QVERIFY2(dark.frozen.isEmpty(), qPrintable(dark.frozen.join(u'\n')));
    }
};

QTEST_MAIN(TestAppearanceSwitch)
#include "tst_AppearanceSwitch.moc"
