#include "AnimationClock.h"
#include "App/Tray/TrayPanel.h"
#include "AppHarness.h"
#include "Models/Todos/ExportedTodo.h"
#include "Services/Shell/Environment.h"
#include "Services/Todos/TodoStore.h"
#include "Views/Shell/PanelContent.h"
#include "Views/Todos/TodoListView.h"
#include "Views/Todos/TodoRow.h"
#include "Views/Todos/TodosView.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

namespace {

// The rows the user sees, in the list's order, each where it is drawn.
QList<QPair<QString, QRect>> shownRows(const TodoListView *list)
{
    const QRect view(
        QPoint(0, list->scrollArea()->verticalScrollBar()->value()), list->scrollArea()->viewport()->size());
    QList<QPair<QString, QRect>> shown;
    for (const Todo &todo : list->rows()) {
        const TodoRow *row = list->row(todo.id);
        if (row && row->isVisible() && row->geometry().intersects(view))
            shown.append({ todo.title, row->geometry() });
    }
    return shown;
}

} // namespace

class TestTodoArrival final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Many todos that arrive in one pass of the event loop while the panel is open (a burst of
    // adds, an import) each grow in where they land instead of flying out from the top of the
    // list together; once the motion is over no shown row lies over another, and they stand in
    // the list's order.
    void aBurstOfTodosGrowsInWhereTheyLand_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("calendar");
        QTest::addColumn<int>("imported");
        QTest::addRow("12 into an empty list") << 0 << 12 << false << 0;
        QTest::addRow("12 onto 2") << 2 << 12 << false << 0;
        QTest::addRow("12 onto 2 under the calendar") << 2 << 12 << true << 0;
        QTest::addRow("3 onto 2") << 2 << 3 << false << 0;
        QTest::addRow("40 into an empty list") << 0 << 40 << false << 0;
        QTest::addRow("12 imported onto 2") << 2 << 0 << false << 12;
        QTest::addRow("12 imported and 3 added") << 2 << 3 << false << 12;
    }

    void aBurstOfTodosGrowsInWhereTheyLand()
    {
        QFETCH(int, before);
        QFETCH(int, count);
        QFETCH(bool, calendar);
        QFETCH(int, imported);
        AppHarness h;
        h.home.setReducesMotion(false);
        h.settings.setValue(QString::fromLatin1(PanelContent::calendarKey), calendar);
        h.facilities.launchedAtLogin = true;
        h.start();
        TodoStore &store = h.delegate->environment().todos;
        for (int i = 0; i < before; ++i)
            store.add(QStringLiteral("earlier ") + QString::number(i), std::nullopt);
        AnimationClock clock;
        h.delegate->showTrayPanel(VemraTab::Todos);
        TodoListView *list = h.delegate->trayPanel()->window()->findChild<PanelContent *>()->todosView()->list();
        for (int frame = 0; frame < 40; ++frame)
            clock.step(16);

        QList<QUuid> added;
        for (int i = 0; i < count; ++i)
            added.append(store.add(QStringLiteral("new ") + QString::number(i), std::nullopt)->id);
        QList<ExportedTodo> file;
        for (int i = 0; i < imported; ++i) {
            ExportedTodo todo;
            todo.id = QUuid::createUuid();
            todo.title = QStringLiteral("imported ") + QString::number(i);
            todo.createdAt = h.clock.now();
            file.append(todo);
            added.append(todo.id);
        }
        if (!file.isEmpty())
            QVERIFY(store.insertImported(file));
        // From the first frame on (also when the clock lets a new animation jump to its end at
        // once), through every appearance and slide.
        for (int frame = 0; frame <= 30; ++frame) {
            for (const QUuid &id : std::as_const(added)) {
                if (const TodoRow *row = list->row(id))
                    QCOMPARE(row->geometry(), list->rowFrame(id).toRect());
            }
            list->window()->repaint();
            clock.step(16);
        }

        const QList<QPair<QString, QRect>> shown = shownRows(list);
        QVERIFY(shown.size() >= qMin(before + count + imported, 3));
        for (qsizetype i = 1; i < shown.size(); ++i) {
            QVERIFY2(shown.at(i).second.top() > shown.at(i - 1).second.bottom(),
                qPrintable(QStringLiteral("%1 at %2 lies over %3 ending at %4")
                               .arg(shown.at(i).first)
                               .arg(shown.at(i).second.top())
                               .arg(shown.at(i - 1).first)
                               .arg(shown.at(i - 1).second.bottom())));
        }
    }
};

QTEST_MAIN(TestTodoArrival)
#include "tst_TodoArrival.moc"
