#include "App/AppDelegate.h"
#include "App/HostWindow.h"
#include "App/MenuBarPanel.h"
#include "FakeAlertPresenter.h"
#include "FakeFileRevealer.h"
#include "FakeFrontApp.h"
#include "FakeHotKeyBackend.h"
#include "FakeLoginItemService.h"
#include "FakePasteboard.h"
#include "FakeTrayHost.h"
#include "FakeWorkspaceEvents.h"
#include "FixedClock.h"
#include "MemorySettingsStore.h"
#include "Services/Surface.h"
#include "Services/TodoStore.h"
#include "Services/TodosTabState.h"
#include "TestHome.h"
#include "Views/ExpandedWindow.h"
#include "Views/MenuBarPopover.h"
#include "Views/Todos/TodoInput.h"
#include "Views/TodosTab.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDate monday(2026, 5, 4);

// The application delegate over fakes, started as main() starts it.
struct Harness
{
    Harness()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        tray.setGeometry(QRect(screen.right() - 60, screen.top(), 22, 22));
        platform.settings = &settings;
        platform.alerts = &alerts;
        platform.revealer = &revealer;
        platform.workspace = &workspace;
        platform.tray = &tray;
        platform.hotKeys = &hotKeys;
        platform.pasteboard = &pasteboard;
        platform.frontApp = &frontApp;
        platform.clock = &clock;
        platform.makeLoginItemService = [] { return std::make_unique<FakeLoginItemService>(); };
        delegate = std::make_unique<AppDelegate>(platform);
        delegate->applicationDidFinishLaunching();
        QCoreApplication::processEvents();
    }

    MenuBarPopover *popover() const { return delegate->menuBarPanel()->window()->findChild<MenuBarPopover *>(); }
    ExpandedWindow *expanded() const
    {
        return delegate->window() ? qobject_cast<ExpandedWindow *>(delegate->window()->content()) : nullptr;
    }

    TestHome home;
    MemorySettingsStore settings;
    FakeAlertPresenter alerts;
    FakeFileRevealer revealer;
    FakeWorkspaceEvents workspace;
    FakeTrayHost tray;
    FakeHotKeyBackend hotKeys;
    FakePasteboard pasteboard;
    FakeFrontApp frontApp;
    FixedClock clock{QDateTime(monday, QTime(23, 0))};
    AppPlatform platform;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

class TestContainerWiring final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void thePanelShowsTheTodosTabAndClosesOnTheLastEscape()
    {
        Harness h;
        QVERIFY(h.delegate->isMenuBarPanelShown());
        MenuBarPopover *popover = h.popover();
        QVERIFY(popover);
        QLineEdit *field = popover->todosTab()->input()->field();
        QTRY_VERIFY(field->hasFocus());

        QTest::keyClicks(field, u"Stored at once"_s);
        QTest::keyClick(field, Qt::Key_Return);
        // Written to the store file before Return comes back.
        TodoStore reopened(TodoStore::defaultFilePath(), &h.clock);
        QCOMPARE(reopened.allTodos().size(), 1);
        QCOMPARE(reopened.allTodos().first().title, u"Stored at once"_s);
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!h.delegate->isMenuBarPanelShown());
        QVERIFY(!h.delegate->menuBarSurface().isVisible());
    }

    void aNewDayReachesBothContainers()
    {
        Harness h;
        h.delegate->showWindow(VemraTab::Todos);
        ExpandedWindow *expanded = h.expanded();
        MenuBarPopover *popover = h.popover();
        QVERIFY(expanded && popover);
        expanded->todosState()->setDay(monday.addDays(1));
        QCOMPARE(expanded->todosState()->day(), std::optional<QDate>(monday.addDays(1)));

        // Midnight passes with the window open.
        h.clock.set(QDateTime(monday.addDays(1), QTime(0, 0, 1)));
        h.workspace.startNewDay();
        QCOMPARE(expanded->todosState()->today(), monday.addDays(1));
        QCOMPARE(expanded->todosState()->day(), std::nullopt);
        QCOMPARE(popover->todosState()->today(), monday.addDays(1));
    }
};

QTEST_MAIN(TestContainerWiring)
#include "tst_ContainerWiring.moc"
