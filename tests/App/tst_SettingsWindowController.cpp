#include "App/SettingsWindowController.h"
#include "App/Tray/HostWindow.h"
#include "Components/Theme/Symbols.h"
#include "FocusRingProbe.h"
#include "TestHome.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(SettingsPane)

namespace {

// A pane of a chosen height whose content can grow.
class SizedPane final : public QWidget
{
public:
    SizedPane(int width, int height)
    {
        setFixedWidth(width);
        m_height = height;
    }
    QSize sizeHint() const override { return { width(), m_height }; }
    void grow(int by)
    {
        m_height += by;
        updateGeometry();
    }

private:
    int m_height;
};

QPoint screenCentre()
{
    return QGuiApplication::primaryScreen()->availableGeometry().center();
}

} // namespace

class TestSettingsWindow final : public QObject
{
    Q_OBJECT

    TestHome home;
    std::unique_ptr<SettingsWindowController> settings;
    QList<SettingsPane> built;
    QMap<SettingsPane, SizedPane *> panes;

    // Each pane a different height, so the window's size tells which pane it fits.
    void makeSized()
    {
        built.clear();
        panes.clear();
        settings = std::make_unique<SettingsWindowController>([this](SettingsPane pane) {
            built << pane;
            auto *view = new SizedPane(520, 100 + 40 * int(built.size()));
            panes[pane] = view;
            return view;
        });
        settings->setReducesMotion(false);
    }
    int toolbarHeight() const { return settings->toolbarButtons().first()->parentWidget()->sizeHint().height() + 1; }

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<SettingsPane>();
        Symbols::useIconTheme();
    }
    void cleanup() { settings.reset(); }

    void toolbarListsThePanesInOrder()
    {
        makeSized();
        QStringList labels;
        for (QAbstractButton *button : settings->toolbarButtons())
            labels << button->text();
        QCOMPARE(labels,
            (QStringList { QStringLiteral("General"), QStringLiteral("Clipboard"), QStringLiteral("Focus"),
                QStringLiteral("Data"), QStringLiteral("About") }));
        // Each pane was built once, in toolbar order; the first is selected before any show.
        QCOMPARE(built,
            (QList<SettingsPane> { SettingsPane::General, SettingsPane::Clipboard, SettingsPane::Focus,
                SettingsPane::Data, SettingsPane::About }));
        QCOMPARE(settings->pane(), SettingsPane::General);
        QVERIFY(settings->toolbarButtons().first()->isChecked());
        QVERIFY(!settings->window()->isVisible());
    }

    // A toolbar button wears the theme's ring while Tab has it, as every control Tab reaches does.
    void theToolbarsRingIsTheThemes()
    {
        makeSized();
        settings->show(SettingsPane::General);
        QWidget *window = settings->window();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        for (QAbstractButton *button : { settings->toolbarButtons().at(0), settings->toolbarButtons().at(1) }) {
            button->setFocus(Qt::TabFocusReason);
            QVERIFY(button->hasFocus());
            QCOMPARE(themeRingFault(button), QString());
        }
    }

    void showSelectsThePane_data()
    {
        QTest::addColumn<SettingsPane>("pane");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("title");
        QTest::newRow("general") << SettingsPane::General << 0 << QStringLiteral("General");
        QTest::newRow("clipboard") << SettingsPane::Clipboard << 1 << QStringLiteral("Clipboard");
        QTest::newRow("focus") << SettingsPane::Focus << 2 << QStringLiteral("Focus");
        QTest::newRow("data") << SettingsPane::Data << 3 << QStringLiteral("Data");
        QTest::newRow("about") << SettingsPane::About << 4 << QStringLiteral("About");
    }
    void showSelectsThePane()
    {
        QFETCH(SettingsPane, pane);
        QFETCH(int, index);
        QFETCH(QString, title);
        makeSized();
        settings->show(pane);
        HostWindow *window = settings->window();
        QVERIFY(window->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(settings->pane(), pane);
        QCOMPARE(window->windowTitle(), title);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(settings->toolbarButtons().at(i)->isChecked(), i == index);
            QCOMPARE(settings->paneView(SettingsPanes::all[size_t(i)])->isVisible(), i == index);
        }
        // Sized to that pane without animation, and centred.
        QVERIFY(!settings->isResizing());
        QCOMPARE(window->size(), QSize(520, toolbarHeight() + 100 + 40 * (index + 1)));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY((window->frameGeometry().center() - screenCentre()).manhattanLength() <= 2);
        QVERIFY(window->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    }

    void oneWindowForTheWholeRun()
    {
        makeSized();
        HostWindow *window = settings->window();
        settings->show(SettingsPane::Data);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        // A window on screen stays where the user put it.
        window->move(40, 50);
        settings->show(SettingsPane::About);
        QCOMPARE(settings->window(), window);
        QCOMPARE(window->pos(), QPoint(40, 50));
        QCOMPARE(settings->pane(), SettingsPane::About);

        // Closing only hides it; the pane survives, and the next show centres it again.
        window->close();
        QVERIFY(!window->isVisible());
        QCOMPARE(settings->pane(), SettingsPane::About);
        settings->show(SettingsPane::Focus);
        QCOMPARE(settings->window(), window);
        QVERIFY(window->isVisible());
        QVERIFY((window->frameGeometry().center() - screenCentre()).manhattanLength() <= 2);
        QCOMPARE(built.size(), 5);
    }

    void toolbarChoiceResizesKeepingTheTopLeft_data()
    {
        QTest::addColumn<bool>("reducesMotion");
        QTest::newRow("animated") << false;
        QTest::newRow("reduce motion") << true;
    }
    void toolbarChoiceResizesKeepingTheTopLeft()
    {
        QFETCH(bool, reducesMotion);
        makeSized();
        settings->setReducesMotion(reducesMotion);
        settings->show(SettingsPane::General);
        HostWindow *window = settings->window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->move(100, 80);
        QSignalSpy changes(settings.get(), &SettingsWindowController::paneChanged);

        QTest::mouseClick(settings->toolbarButtons().at(4), Qt::LeftButton);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(settings->pane(), SettingsPane::About);
        QCOMPARE(window->windowTitle(), QStringLiteral("About"));
        const QSize target(520, toolbarHeight() + 100 + 40 * 5);
        QCOMPARE(settings->isResizing(), !reducesMotion);
        if (!reducesMotion)
            QCOMPARE(window->size().height(), toolbarHeight() + 140);
        QTRY_VERIFY(!settings->isResizing());
        QCOMPARE(window->size(), target);
        QCOMPARE(window->pos(), QPoint(100, 80));

        // Clicking the selected pane again changes nothing.
        QTest::mouseClick(settings->toolbarButtons().at(4), Qt::LeftButton);
        QCOMPARE(changes.size(), 1);
        QVERIFY(!settings->isResizing());
    }

    void aGrowingPaneGrowsTheWindow()
    {
        makeSized();
        settings->setReducesMotion(true);
        settings->show(SettingsPane::Clipboard);
        HostWindow *window = settings->window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const int before = window->height();
        panes[SettingsPane::Clipboard]->grow(30);
        QTRY_COMPARE(window->height(), before + 30);
        // A hidden pane's growth does not touch the window.
        panes[SettingsPane::Data]->grow(30);
        QTest::qWait(20);
        QCOMPARE(window->height(), before + 30);
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_SettingsWindowController.moc"
