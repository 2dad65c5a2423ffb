#include "AnimationClock.h"
#include "App/Tray/PanelAfterimage.h"
#include "App/Tray/TrayPanel.h"
#include "AppHarness.h"
#include "Services/Shell/Surface.h"
#include "Views/Clipboard/ClipboardView.h"
#include "Views/Clipboard/SearchField.h"
#include "Views/Shell/PanelContent.h"
#include "Views/Todos/TodoInput.h"
#include "Views/Todos/TodosView.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Where the X server sends a press on the tray icon: to a popup on screen, which holds the
// pointer, else to the icon.
void clickTheIcon(AppHarness &h)
{
    if (QWidget *popup = QApplication::activePopupWidget()) {
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->mapFromGlobal(h.tray.geometry().center()));
        return;
    }
    h.tray.click();
}

// Where a key goes: to the popup that holds the keyboard (its focused view), else nowhere of ours.
bool type(int key, Qt::KeyboardModifiers modifiers = {})
{
    QWidget *popup = QApplication::activePopupWidget();
    if (!popup)
        return false;
    QWidget *focused = popup->focusWidget() ? popup->focusWidget() : popup;
    QTest::keyClick(focused, Qt::Key(key), modifiers);
    return true;
}

// The ways the panel is opened and closed.
enum class Way { Icon, HotKey, Escape };

void act(AppHarness &h, Way way)
{
    switch (way) {
    case Way::Icon:
        clickTheIcon(h);
        break;
    case Way::HotKey:
        h.hotKeys.press(17, 0x100 | 0x200); // Shift+Super+T
        break;
    case Way::Escape:
        type(Qt::Key_Escape);
        break;
    }
}

PanelContent *panelContent(AppHarness &h)
{
    return h.delegate->trayPanel()->window()->findChild<PanelContent *>();
}

} // namespace

// Input in the panel's first and last moments, as the application is built: a click on the
// tray icon, or keys, while the panel fades in or out reach what they would at any other time.
class TestPanelInput final : public QObject
{
    Q_OBJECT

    struct App : AppHarness
    {
        AnimationClock clock;

        App()
        {
            const QRect screen = QGuiApplication::primaryScreen()->geometry();
            tray.setGeometry(QRect(screen.right() - 111, screen.top(), 22, 24));
            start();
            clock.step(TrayPanel::fadeInMs + 20);
            // Opened at launch; closed, at rest.
            if (!type(Qt::Key_Escape) || panelShown())
                qFatal("the panel did not open at launch and close on Escape");
            clock.step(PanelAfterimage::fadeMs + 20);
        }
    };

private Q_SLOTS:
    void aClickOnTheIconRightAfterAClosingOpensThePanel_data()
    {
        QTest::addColumn<Way>("closing");
        QTest::addColumn<int>("after");
        QTest::newRow("Escape, at once") << Way::Escape << 0;
        QTest::newRow("Escape, 0.1 s later") << Way::Escape << 100;
        QTest::newRow("the hot key, at once") << Way::HotKey << 0;
    }

    void aClickOnTheIconRightAfterAClosingOpensThePanel()
    {
        QFETCH(Way, closing);
        QFETCH(int, after);
        App h;
        clickTheIcon(h);
        h.clock.step(TrayPanel::fadeInMs + 20);
        QVERIFY(h.panelShown());
        act(h, closing);
        QVERIFY(!h.panelShown());
        h.clock.step(after);

        clickTheIcon(h);
        QVERIFY(h.panelShown());
        h.clock.step(TrayPanel::fadeInMs + 20);
        QVERIFY(h.delegate->trayPanel()->window()->isVisible());
        QCOMPARE(h.delegate->trayPanel()->window()->windowOpacity(), 1.0);
        // And the next click closes it, as every click on the icon toggles.
        clickTheIcon(h);
        QVERIFY(!h.panelShown());
    }

    // Ctrl+2 and then letters typed as the panel comes on screen (opened by the icon or the hot
    // key, from rest or while its last closing still fades) switch to the clipboard tab and
    // search there.
    void keysAsThePanelComesReachIt_data()
    {
        QTest::addColumn<Way>("opening");
        QTest::addColumn<int>("afterClosing");
        QTest::newRow("icon") << Way::Icon << -1;
        QTest::newRow("hot key") << Way::HotKey << -1;
        QTest::newRow("hot key right after Escape") << Way::HotKey << 20;
        QTest::newRow("icon right after Escape") << Way::Icon << 20;
    }

    void keysAsThePanelComesReachIt()
    {
        QFETCH(Way, opening);
        QFETCH(int, afterClosing);
        App h;
        if (afterClosing >= 0) {
            clickTheIcon(h);
            h.clock.step(TrayPanel::fadeInMs + 20);
            type(Qt::Key_Escape);
            h.clock.step(afterClosing);
        }
        act(h, opening);
        QVERIFY(h.panelShown());
        QVERIFY(type(Qt::Key_2, Qt::ControlModifier));
        h.clock.step(TrayPanel::fadeInMs / 4);
        for (int key : { Qt::Key_A, Qt::Key_B, Qt::Key_C })
            QVERIFY(type(key));
        QCOMPARE(h.delegate->panelSurface().tab(), VemraTab::Clipboard);
        PanelContent *content = panelContent(h);
        QVERIFY(content);
        QCOMPARE(content->clipboardView()->searchField()->text(), u"abc"_s);
        QCOMPARE(content->todosView()->input()->field()->text(), QString());
    }

    // Keys typed right after the panel closed are not the panel's: nothing of it holds the
    // keyboard, and its views get none of them.
    void keysRightAfterAClosingGoElsewhere()
    {
        App h;
        clickTheIcon(h);
        h.clock.step(TrayPanel::fadeInMs + 20);
        QLineEdit *field = panelContent(h)->todosView()->input()->field();
        QVERIFY(type(Qt::Key_Escape));
        h.clock.step(20);
        QVERIFY(!type(Qt::Key_X));
        QCOMPARE(field->text(), QString());
    }
};

QTEST_MAIN(TestPanelInput)
#include "tst_PanelInput.moc"
