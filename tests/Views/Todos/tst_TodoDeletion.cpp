#include "AnimationClock.h"
#include "App/Tray/HostWindow.h"
#include "App/Tray/TrayPanel.h"
#include "AppHarness.h"
#include "DrawnFrames.h"
#include "Services/Shell/Environment.h"
#include "Services/Todos/TodoStore.h"
#include "Views/Shell/ExpandedWindow.h"
#include "Views/Shell/PanelContent.h"
#include "Views/Todos/TodoListView.h"
#include "Views/Todos/TodoRow.h"
#include "Views/Todos/TodosView.h"

#include <QRegularExpression>
#include <QTest>

namespace {

// The application as main() starts it, with motion, on the todo tab of the panel or the window.
struct Harness : AppHarness
{
    explicit Harness(bool inWindow)
    {
        home.setReducesMotion(false);
        facilities.launchedAtLogin = true;
        start();
        for (int i = 0; i < 5; ++i)
            ids.prepend(
                delegate->environment().todos.add(QStringLiteral("todo ") + QString::number(i), std::nullopt)->id);
        AnimationClock clock;
        if (inWindow) {
            delegate->showWindow(VemraTab::Todos);
            view = qobject_cast<ExpandedWindow *>(delegate->window()->content())->todosView();
        } else {
            delegate->showTrayPanel(VemraTab::Todos);
            view = delegate->trayPanel()->window()->findChild<PanelContent *>()->todosView();
        }
        for (int frame = 0; frame < 40; ++frame)
            clock.step(16);
    }

    QList<QUuid> ids;
    TodosView *view = nullptr;
};

} // namespace

class TestTodoDeletion final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The row above a deleted todo stays where it is while the deleted one fades and the panel
    // shrinks to the shorter list; a selected row's buttons fade no more inside its own fade.
    void rowAboveStaysPut_data()
    {
        QTest::addColumn<bool>("inWindow");
        QTest::addColumn<bool>("selected");
        for (const bool inWindow : { false, true }) {
            const char *surface = inWindow ? "window" : "panel";
            QTest::addRow("%s", surface) << inWindow << false;
            QTest::addRow("%s, the deleted todo selected", surface) << inWindow << true;
        }
    }

    void rowAboveStaysPut()
    {
        QFETCH(bool, inWindow);
        QFETCH(bool, selected);
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QPainter")));
        Harness h(inWindow);
        TodoListView *list = h.view->list();
        QWidget *window = h.view->window();
        const QUuid above = h.ids.at(1);
        const QUuid doomed = h.ids.at(2);
        if (selected)
            list->select(doomed);
        AnimationClock clock;
        clock.step(0);
        const QPoint before = list->row(above)->mapTo(window, QPoint());
        // Also at each drawing while the layouts above take the shorter list in.
        DrawnFrames frames(window, [&] {
            const TodoRow *row = list->row(above);
            const QPoint at = row ? row->mapTo(window, QPoint()) : QPoint();
            return at == before ? QString() : QStringLiteral("the row above at %1, not %2").arg(at.y()).arg(before.y());
        });
        list->deleteTodo(doomed);
        for (int frame = 0; frame < 20; ++frame) {
            clock.step(16);
            // Painted as on screen, where a fade drawn inside another fails.
            window->repaint();
            QVERIFY(list->row(above));
            QCOMPARE(list->row(above)->mapTo(window, QPoint()), before);
        }
        QVERIFY2(frames.failure().isEmpty(), qPrintable(frames.failure()));
        QVERIFY(frames.drawings() > 0);
        QVERIFY(!list->row(doomed));
    }
};

QTEST_MAIN(TestTodoDeletion)
#include "tst_TodoDeletion.moc"
