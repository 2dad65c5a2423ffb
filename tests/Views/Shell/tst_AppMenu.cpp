#include "Components/Theme/Symbols.h"
#include "FakeUpdateDriver.h"
#include "MemorySettingsStore.h"
#include "Screenshots.h"
#include "Services/Shell/Preferences.h"
#include "Services/Shell/Surface.h"
#include "Services/Updates/UpdateDriver.h"
#include "Services/Updates/Updater.h"
#include "Views/Shell/AppMenu.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHoverEvent>
#include <QMenu>
#include <QScreen>
#include <QTest>

#include <algorithm>

namespace {

// The panel's world as the gear sees it, with every action written to one log.
struct Panel
{
    FakeUpdateDriver driver;
    QStringList &log = driver.log;
    MemorySettingsStore defaults;
    Preferences preferences { defaults };
    Updater updater { driver };
    Surface surface;
    AppMenu menu { surface, preferences, updater };

    Panel()
    {
        QObject::connect(&surface, &Surface::closeRequested, &menu, [this] { log.append(QStringLiteral("close")); });
        QObject::connect(&surface, &Surface::expandRequested, &menu, [this] { log.append(QStringLiteral("expand")); });
        QObject::connect(&surface, &Surface::settingsRequested, &menu,
            [this](SettingsPane pane) { log.append(QStringLiteral("settings ") + SettingsPanes::storedValue(pane)); });
        QObject::connect(&menu, &AppMenu::quitRequested, &menu, [this] { log.append(QStringLiteral("quit")); });
    }

    void offerUpdate(const QString &version)
    {
        updater.willHandleShowingUpdate(false, UpdateItem { version, version, {} });
    }

    QStringList entries()
    {
        menu.rebuildMenu();
        QStringList texts;
        for (QAction *action : menu.menu()->actions())
            texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    }

    void choose(const QString &text)
    {
        menu.rebuildMenu();
        for (QAction *action : menu.menu()->actions()) {
            if (action->text() == text) {
                action->trigger();
                return;
            }
        }
        QFAIL(qPrintable(QStringLiteral("no entry ") + text));
    }
};

const QString ellipsis = QStringLiteral("\u2026");

} // namespace

class TestAppMenu final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(Screenshots::lightPalette());
        Symbols::useIconTheme();
    }

    void entriesFollowTheUpdateAndTheClipboardSwitch()
    {
        Panel panel;
        QCOMPARE(panel.entries(),
            (QStringList { QStringLiteral("Settings") + ellipsis, QStringLiteral("Open Vemra Window"),
                QStringLiteral("-"), QStringLiteral("Pause Clipboard History"), QStringLiteral("-"),
                QStringLiteral("Check for Updates") + ellipsis, QStringLiteral("About Vemra"),
                QStringLiteral("Quit Vemra") }));
        QVERIFY(!panel.menu.showsUpdateDot());

        panel.offerUpdate(QStringLiteral("2.1"));
        QVERIFY(panel.menu.showsUpdateDot());
        QCOMPARE(panel.menu.findChild<QAbstractButton *>()->toolTip(), QStringLiteral("Vemra 2.1 is available"));
        panel.preferences.setMonitorsClipboard(false);
        QCOMPARE(panel.entries(),
            (QStringList { QStringLiteral("Update to Vemra 2.1") + ellipsis, QStringLiteral("-"),
                QStringLiteral("Settings") + ellipsis, QStringLiteral("Open Vemra Window"), QStringLiteral("-"),
                QStringLiteral("About Vemra"), QStringLiteral("Quit Vemra") }));

        panel.updater.willFinishUpdateSession();
        QVERIFY(!panel.menu.showsUpdateDot());
        QCOMPARE(panel.menu.findChild<QAbstractButton *>()->toolTip(), QStringLiteral("Settings and more"));
    }

    // A build without an update source shows the check disabled, as its settings do.
    void theCheckNeedsAnUpdateSource()
    {
        Panel panel;
        panel.driver.source = false;
        panel.menu.rebuildMenu();
        const QList<QAction *> actions = panel.menu.menu()->actions();
        const auto check = std::find_if(actions.begin(), actions.end(),
            [](const QAction *action) { return action->text() == QStringLiteral("Check for Updates") + ellipsis; });
        QVERIFY(check != actions.end());
        QVERIFY(!(*check)->isEnabled());
    }

    void updateEntriesCloseThePanelFirst()
    {
        Panel panel;
        panel.choose(QStringLiteral("Check for Updates") + ellipsis);
        panel.offerUpdate(QStringLiteral("2.0"));
        panel.choose(QStringLiteral("Update to Vemra 2.0") + ellipsis);
        QCOMPARE(panel.log,
            (QStringList {
                QStringLiteral("close"), QStringLiteral("check"), QStringLiteral("close"), QStringLiteral("check") }));
    }

    void entriesActThroughTheSurface()
    {
        Panel panel;
        panel.choose(QStringLiteral("Settings") + ellipsis);
        panel.choose(QStringLiteral("Open Vemra Window"));
        panel.choose(QStringLiteral("About Vemra"));
        panel.choose(QStringLiteral("Quit Vemra"));
        QCOMPARE(panel.log,
            (QStringList { QStringLiteral("settings general"), QStringLiteral("expand"),
                QStringLiteral("settings about"), QStringLiteral("quit") }));
    }

    void pauseEntryIsBoundToTheSetting()
    {
        Panel panel;
        panel.choose(QStringLiteral("Pause Clipboard History"));
        QVERIFY(panel.preferences.isClipboardPaused());
        panel.menu.rebuildMenu();
        QAction *pause = panel.menu.menu()->actions().at(3);
        QVERIFY(pause->isChecked());
        pause->trigger();
        QVERIFY(!panel.preferences.isClipboardPaused());
    }

    // Opened with Space or Return the menu highlights its first entry, so the arrows and Return
    // work at once; opened with the pointer it highlights none. Near the screen's bottom it
    // opens above the gear rather than over it.
    void aMenuOpenedFromTheKeyboardHighlightsItsFirstEntry()
    {
        Panel panel;
        panel.offerUpdate(QStringLiteral("2.1"));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        panel.menu.show();
        panel.menu.move(screen.right() - 60, screen.bottom() - panel.menu.height() - 4);
        panel.menu.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&panel.menu));
        QAbstractButton *gear = panel.menu.gear();
        QMenu *menu = panel.menu.menu();

        for (const Qt::Key key : { Qt::Key_Space, Qt::Key_Return }) {
            gear->setFocus(Qt::TabFocusReason);
            QTest::keyClick(gear, key);
            QTRY_VERIFY(menu->isVisible());
            QVERIFY(menu->activeAction());
            QCOMPARE(menu->activeAction()->text(), QStringLiteral("Update to Vemra 2.1") + ellipsis);
            const QRect at(gear->mapToGlobal(QPoint(0, 0)), gear->size());
            QVERIFY2(!menu->geometry().intersects(at), "the menu covers the gear");
            QVERIFY(screen.contains(menu->geometry()));
            QTest::keyClick(menu, Qt::Key_Down);
            QCOMPARE(menu->activeAction()->text(), QStringLiteral("Settings") + ellipsis);
            menu->close();
            QTRY_VERIFY(!menu->isVisible());
        }
        QTest::mouseClick(gear, Qt::LeftButton, Qt::NoModifier, gear->rect().center());
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->activeAction(), nullptr);
        menu->close();
    }

    void aGearHiddenWithThePanelLetsGoOfItsHover()
    {
        Panel panel;
        panel.menu.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel.menu));
        QHoverEvent enter(QEvent::HoverEnter, QPointF(5, 5), QPointF(5, 5), QPointF(-1, -1));
        QCoreApplication::sendEvent(panel.menu.findChild<QAbstractButton *>(), &enter);
        QVERIFY(panel.menu.isGearHighlighted());
        panel.menu.hide(); // a menu entry closed the panel under the pointer
        panel.menu.show();
        QVERIFY(!panel.menu.isGearHighlighted());
    }
};

QTEST_MAIN(TestAppMenu)
#include "tst_AppMenu.moc"
