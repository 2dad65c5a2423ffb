#include "App/SettingsWindowController.h"
#include "App/Tray/HostWindow.h"
#include "App/Tray/TrayPanel.h"
#include "AppHarness.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Services/Focus/FocusTabState.h"
#include "Services/Shell/Environment.h"
#include "Services/Shell/Surface.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Clipboard/ClipboardView.h"
#include "Views/Focus/FocusView.h"
#include "Views/Shell/ExpandedWindow.h"
#include "Views/Shell/PanelContent.h"
#include "Views/Todos/InlineEditor.h"
#include "Views/Todos/TodoInput.h"
#include "Views/Todos/TodoListView.h"
#include "Views/Todos/TodoRow.h"
#include "Views/Todos/TodosView.h"

#include <QApplication>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDate monday(2026, 5, 4);

// The application delegate over fakes, started late in the evening as main() starts it.
struct Harness : AppHarness
{
    Harness()
    {
        clock.set(QDateTime(monday, QTime(23, 0)));
        start();
    }

    PanelContent *popover() const { return delegate->trayPanel()->window()->findChild<PanelContent *>(); }
    ExpandedWindow *expanded() const
    {
        return delegate->window() ? qobject_cast<ExpandedWindow *>(delegate->window()->content()) : nullptr;
    }
};

} // namespace

class TestContainerWiring final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The panel and the window make their three tabs from the one environment: each tab's state
    // over its own surface and in its own density, drawn by its own view, over the same services.
    void bothSurfacesBuildTheirOwnTabsFromTheOneEnvironment()
    {
        Harness h;
        h.delegate->showWindow(VemraTab::Todos);
        PanelContent *panel = h.popover();
        ExpandedWindow *window = h.expanded();
        QVERIFY(panel && window);
        const Environment &e = h.delegate->environment();
        const std::pair<SurfaceFrame *, Surface *> surfaces[]
            = { { panel, &h.delegate->panelSurface() }, { window, &h.delegate->windowSurface() } };
        for (const auto &[frame, surface] : surfaces) {
            QCOMPARE(&frame->todosState()->store(), &e.todos);
            QCOMPARE(&frame->clipboardView()->state(), frame->clipboardState());
            QCOMPARE(&frame->clipboardState()->surface(), surface);
            QCOMPARE(&frame->clipboardState()->store(), &e.clipboard);
            QCOMPARE(&frame->focusView()->state(), frame->focusState());
            QCOMPARE(&frame->focusState()->surface(), surface);
            QCOMPARE(&frame->focusState()->focus(), &e.focus);
        }
        QCOMPARE(panel->clipboardState()->pageSize(), 100);
        QVERIFY(panel->clipboardState()->closesSurface());
        QCOMPARE(window->clipboardState()->pageSize(), 500);
        QVERIFY(!window->clipboardState()->closesSurface());

        // One store under both: a todo typed in the panel is listed in the window, while each
        // surface keeps its own typed text.
        panel->todosState()->setDraft(u"From the panel"_s);
        window->todosState()->setDraft(u"Still typing"_s);
        QVERIFY(panel->todosState()->add());
        QCOMPARE(window->todosState()->todos().first().title, u"From the panel"_s);
        QCOMPARE(window->todosState()->draft(), u"Still typing"_s);
    }

    void thePanelShowsTheTodosTabAndClosesOnTheLastEscape()
    {
        Harness h;
        QVERIFY(h.delegate->isTrayPanelShown());
        PanelContent *popover = h.popover();
        QVERIFY(popover);
        QLineEdit *field = popover->todosView()->input()->field();
        QTRY_VERIFY(field->hasFocus());

        QTest::keyClicks(field, u"Stored at once"_s);
        QTest::keyClick(field, Qt::Key_Return);
        // Written to the store file.
        QTRY_VERIFY(!h.delegate->environment().todos.hasPendingChanges());
        const auto reopened = TodoStore::make(TodoStore::defaultFilePath(), &h.clock);
        QCOMPARE(reopened->allTodos().size(), 1);
        QCOMPARE(reopened->allTodos().first().title, u"Stored at once"_s);
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!h.delegate->isTrayPanelShown());
        QVERIFY(!h.delegate->panelSurface().isVisible());
    }

    void theWindowTakesTheApplicationsKeyboardCommands()
    {
        Harness h;
        h.delegate->showWindow(VemraTab::Todos);
        ExpandedWindow *expanded = h.expanded();
        QVERIFY(expanded);
        h.delegate->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.delegate->window()));
        QLineEdit *field = expanded->todosView()->input()->field();
        QTRY_VERIFY(field->hasFocus());

        QTest::keyClick(field, Qt::Key_Comma, Qt::ControlModifier);
        QVERIFY(h.delegate->settings());
        QVERIFY(h.delegate->settings()->window()->isVisible());
        QCOMPARE(h.delegate->settings()->pane(), SettingsPane::General);
    }

    void aNewDayReachesBothContainers()
    {
        Harness h;
        h.delegate->showWindow(VemraTab::Todos);
        ExpandedWindow *expanded = h.expanded();
        PanelContent *popover = h.popover();
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
    void oneFailedSaveIsOneAlertWhileATitleIsEdited()
    {
        Harness h;
        TodoStore *store = &h.delegate->environment().todos;
        const Todo edited = *store->add(u"Edited"_s, std::nullopt);
        const Todo ticked = *store->add(u"Ticked"_s, std::nullopt);
        TodoListView *list = h.popover()->todosView()->list();
        list->beginEditing(edited.id);
        QVERIFY(list->row(edited.id)->editor());
        QTest::keyClicks(list->row(edited.id)->editor(), u" again"_s);

        // Every save fails from now on: the alert closes the panel, which ends the edit.
        QTRY_VERIFY(!store->hasPendingChanges());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"refuse"_s);
            db.setDatabaseName(TodoStore::defaultFilePath());
            QVERIFY(db.open());
            QSqlQuery(db).exec(u"CREATE TRIGGER refuse BEFORE UPDATE ON todo BEGIN SELECT RAISE(ABORT, 'full'); END"_s);
        }
        QSqlDatabase::removeDatabase(u"refuse"_s);
        store->toggle(ticked.id);

        QTRY_COMPARE(h.alerts.alerts().size(), 1);
        QVERIFY(!h.panelShown());
        // The edit is kept like the change that failed, for the next save.
        QCOMPARE(store->todo(edited.id)->title, u"Edited again"_s);
        QVERIFY(store->hasPendingChanges());
    }
};

QTEST_MAIN(TestContainerWiring)
#include "tst_ContainerWiring.moc"
