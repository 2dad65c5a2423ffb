#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/MotionEffect.h"
#include "Models/Todos/Days.h"
#include "Services/Shell/Surface.h"
#include "TestHome.h"
#include "TodoListFixture.h"
#include "Views/Todos/InlineEditor.h"
#include "Views/Todos/TodoCheckbox.h"
#include "Views/Todos/TodoSectionHeading.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QPointer>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {

const QDate friday = TodoListFixture::friday;

void press(QWidget *focus, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(focus, key, modifiers);
}

// Drags `row` vertically by `dy` with the mouse, as a user would, and lets go.
void mouseDrag(TodoRow *row, int dy)
{
    // The row moves under the pointer while it is dragged; the pointer's screen position does not.
    const QPoint start(row->width() / 3, row->height() / 2);
    const QPoint globalStart = row->mapToGlobal(start);
    QTest::mousePress(row, Qt::LeftButton, Qt::NoModifier, start);
    const int steps = 6;
    for (int i = 1; i <= steps; ++i) {
        const QPoint global = globalStart + QPoint(0, dy * i / steps);
        QMouseEvent move(QEvent::MouseMove, QPointF(row->mapFromGlobal(global)), QPointF(global), Qt::NoButton,
            Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(row, &move);
    }
    const QPoint end = globalStart + QPoint(0, dy);
    QTest::mouseRelease(row, Qt::LeftButton, Qt::NoModifier, row->mapFromGlobal(end));
}

} // namespace

class TestTodoListView final : public QObject
{
    Q_OBJECT

    TestHome m_home;

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(u"Fusion"_s);
        QApplication::setPalette(Screenshots::lightPalette());
    }

    // With a compositor the panel's card is translucent: the list paints its rows and nothing
    // under them, so the card shows through where there are none.
    void listLetsTheCardShowThrough()
    {
        TodoListFixture f;
        f.add({ u"a"_s });
        QVERIFY(f.show());
        f.list->resize(f.list->width(), 200);
        QImage picture(f.list->size(), QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        f.list->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
        QCOMPARE(qAlpha(picture.pixel(f.list->width() / 2, f.list->height() - 4)), 0);
    }

    // The key table, pressed in the input line that keeps the focus. Rows: a, b on today, c
    // tomorrow. `selected` is the title selected before the key ("" none, "<stale>" a deleted one).
    void keys_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("selectedAfter");
        QTest::addColumn<QString>("typed");

        const int none = Qt::NoModifier;
        QTest::newRow("no selection: Down selects the first row") << "" << int(Qt::Key_Down) << none << "a"
                                                                  << "";
        QTest::newRow("no selection: Up goes on") << "" << int(Qt::Key_Up) << none << ""
                                                  << "";
        QTest::newRow("no selection: Space is typed") << "" << int(Qt::Key_Space) << none << ""
                                                      << " ";
        QTest::newRow("no selection: Escape goes on") << "" << int(Qt::Key_Escape) << none << ""
                                                      << "";
        QTest::newRow("Down moves on") << "a" << int(Qt::Key_Down) << none << "b"
                                       << "";
        QTest::newRow("Down crosses into the next day") << "b" << int(Qt::Key_Down) << none << "c"
                                                        << "";
        QTest::newRow("Down on the last row stays") << "c" << int(Qt::Key_Down) << none << "c"
                                                    << "";
        QTest::newRow("Up on the first row leaves the list") << "a" << int(Qt::Key_Up) << none << ""
                                                             << "";
        QTest::newRow("Shift+Up moves like Up") << "b" << int(Qt::Key_Up) << int(Qt::ShiftModifier) << "a"
                                                << "";
        QTest::newRow("Down on a stale selection selects the first row")
            << "<stale>" << int(Qt::Key_Down) << none << "a"
            << "";
        QTest::newRow("Up on a stale selection selects the first row") << "<stale>" << int(Qt::Key_Up) << none << "a"
                                                                       << "";
        QTest::newRow("Escape deselects and is swallowed") << "b" << int(Qt::Key_Escape) << none << ""
                                                           << "";
        QTest::newRow("a letter deselects and is typed") << "b" << int(Qt::Key_X) << none << ""
                                                         << "x";
        QTest::newRow("Ctrl+Down is left alone") << "a" << int(Qt::Key_Down) << int(Qt::ControlModifier) << "a"
                                                 << "";
        QTest::newRow("Alt+Space is left alone") << "a" << int(Qt::Key_Space) << int(Qt::AltModifier) << "a"
                                                 << " ";
        QTest::newRow("Space on a stale selection is swallowed") << "<stale>" << int(Qt::Key_Space) << none << "<stale>"
                                                                 << "";
    }

    void keys()
    {
        QFETCH(QString, selected);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, selectedAfter);
        QFETCH(QString, typed);

        TodoListFixture f;
        const QList<Todo> today = f.add({ u"a"_s, u"b"_s });
        const Todo gone = *f.store->add(u"gone"_s, std::nullopt);
        f.add({ u"c"_s }, friday.addDays(1));
        f.store->remove(gone.id);
        QVERIFY(f.show());
        QCOMPARE(f.shownTitles(), (QStringList { u"a"_s, u"b"_s, u"c"_s }));

        if (selected == u"<stale>"_s) {
            f.state->setSelection(gone.id);
        } else if (!selected.isEmpty()) {
            for (const Todo &t : f.list->rows())
                if (t.title == selected)
                    f.state->setSelection(t.id);
        }
        press(f.input, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(f.selectedTitle(), selectedAfter);
        QCOMPARE(f.input->text(), typed);
        // Nothing but the selection changed.
        QCOMPARE(f.shownTitles(), (QStringList { u"a"_s, u"b"_s, u"c"_s }));
        QVERIFY(!f.store->todo(today.first().id)->isCompleted);
    }

    void downOnAnEmptyListGoesOn()
    {
        TodoListFixture f;
        QVERIFY(f.show());
        QVERIFY(!f.list->handleKey(QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier)));
    }

    // The Menu key (which Qt hands to the focused field as a context menu asked for from the
    // keyboard) and Shift+F10 open the selected row's menu beside the row, its first entry
    // highlighted, and the keys walk it. Without a selection the field keeps its own menu.
    void theSelectedRowsMenuOpensFromTheKeyboard()
    {
        TodoListFixture f;
        const QList<Todo> todos = f.add({ u"a"_s, u"b"_s });
        QVERIFY(f.show());
        press(f.input, Qt::Key_Down);
        press(f.input, Qt::Key_Down);
        QCOMPARE(f.selectedTitle(), u"b"_s);
        const TodoRow *row = f.list->row(todos.at(1).id);
        const QRect rowArea(row->mapToGlobal(QPoint()), row->size());

        const QPoint at = f.input->rect().center();
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, at, f.input->mapToGlobal(at));
        QApplication::sendEvent(f.input, &menuKey);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QVERIFY(menu->activeAction());
        QCOMPARE(menu->activeAction()->text(), u"Edit"_s);
        QVERIFY(!menu->geometry().intersects(rowArea));
        QCOMPARE(menu->x(), rowArea.x());
        QVERIFY(qAbs(menu->y() - rowArea.bottom()) < 8 || qAbs(menu->geometry().bottom() - rowArea.top()) < 8);
        QTest::keyClick(menu, Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QVERIFY(f.input->hasFocus());
        QCOMPARE(f.selectedTitle(), u"b"_s);

        // Shift+F10, then Move to, Tomorrow.
        press(f.input, Qt::Key_F10, Qt::ShiftModifier);
        menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Down);
        QCOMPARE(menu->activeAction()->text(), u"Move to"_s);
        QTest::keyClick(menu, Qt::Key_Right);
        auto *moveTo = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(moveTo && moveTo != menu);
        QCOMPARE(moveTo->activeAction()->text(), u"Tomorrow"_s);
        QTest::keyClick(moveTo, Qt::Key_Return);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QCOMPARE(f.store->todo(todos.at(1).id)->dayStart(), std::optional<QDate>(friday.addDays(1)));
        QCOMPARE(f.input->text(), QString());

        // F10 alone is no menu key: it lets go of the row as other keys do.
        press(f.input, Qt::Key_Down);
        press(f.input, Qt::Key_F10);
        QVERIFY(!QApplication::activePopupWidget());
        QCOMPARE(f.selectedTitle(), QString());

        // With no row selected the request is the field's own.
        QApplication::sendEvent(f.input, &menuKey);
        menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        const QList<QAction *> actions = menu->actions();
        QVERIFY(std::none_of(
            actions.cbegin(), actions.cend(), [](const QAction *action) { return action->text() == u"Move to"_s; }));
        menu->close();
    }

    void spaceCompletesWithConfettiAndSoundReopeningWithNeither()
    {
        TodoListFixture f;
        SoundLog &sounds = f.sounds;
        const QList<Todo> todos = f.add({ u"a"_s, u"b"_s });
        QVERIFY(f.show());
        f.state->setSelection(todos.at(1).id);

        press(f.input, Qt::Key_Space);
        QVERIFY(f.store->todo(todos.at(1).id)->isCompleted);
        QCOMPARE(f.confetti->bursts().size(), 1);
        QCOMPARE(f.confetti->bursts().first().sourceID, todos.at(1).id);
        QCOMPARE(f.confetti->bursts().first().pieces.size(), 44);
        QVERIFY(f.confetti->isVisible());
        QVERIFY(f.confetti->sourcePoint(todos.at(1).id).has_value());
        QCOMPARE(sounds.played(), QStringList { u"done"_s });
        QCOMPARE(f.selectedTitle(), u"b"_s);
        QVERIFY(f.list->row(todos.at(1).id)->checkbox()->isChecked());

        press(f.input, Qt::Key_Space);
        QVERIFY(!f.store->todo(todos.at(1).id)->isCompleted);
        QCOMPARE(f.confetti->bursts().size(), 1);
        QCOMPARE(sounds.played().size(), 1);
        QCOMPARE(f.input->text(), QString());
    }

    void reduceMotionThrowsNoConfettiButStillSounds()
    {
        TodoListFixture f;
        SoundLog &sounds = f.sounds;
        f.reduceMotion = true;
        const Todo todo = f.add({ u"a"_s }).first();
        QVERIFY(f.show());
        // A click on the checkbox, as well as Space.
        QTest::mouseClick(f.list->row(todo.id)->checkbox(), Qt::LeftButton);
        QVERIFY(f.store->todo(todo.id)->isCompleted);
        QVERIFY(f.confetti->bursts().isEmpty());
        QVERIFY(!f.confetti->isVisible());
        QCOMPARE(sounds.played(), QStringList { u"done"_s });
    }

    void deleteMovesTheSelectionOn_data()
    {
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<QString>("selectedAfter");

        const QStringList abc { u"a"_s, u"b"_s, u"c"_s };
        QTest::newRow("middle row: the next one") << abc << "b"
                                                  << "b"
                                                  << "c";
        QTest::newRow("last row: the new last") << abc << "c"
                                                << "c"
                                                << "b";
        QTest::newRow("only row: none") << QStringList { u"a"_s } << "a"
                                        << "a"
                                        << "";
        QTest::newRow("another row: kept") << abc << "a"
                                           << "c"
                                           << "a";
    }

    void deleteMovesTheSelectionOn()
    {
        QFETCH(QStringList, titles);
        QFETCH(QString, selected);
        QFETCH(QString, deleted);
        QFETCH(QString, selectedAfter);

        TodoListFixture f;
        SoundLog &sounds = f.sounds;
        const QList<Todo> todos = f.add(titles);
        QVERIFY(f.show());
        const auto idOf = [&](const QString &title) {
            return std::find_if(todos.cbegin(), todos.cend(), [&](const Todo &t) { return t.title == title; })->id;
        };
        f.state->setSelection(idOf(selected));
        if (selected == deleted)
            press(f.input, Qt::Key_Backspace);
        else
            f.list->row(idOf(deleted))->deleteRequested();
        QVERIFY(!f.store->todo(idOf(deleted)));
        QCOMPARE(f.selectedTitle(), selectedAfter);
        QCOMPARE(sounds.played(), QStringList { u"pop"_s });
        QVERIFY(!f.shownTitles().contains(deleted));
    }

    void returnEditsAndReturnCommitsOnce()
    {
        TodoListFixture f;
        const QList<Todo> todos = f.add({ u"a"_s, u"b"_s });
        QVERIFY(f.show());
        QSignalSpy changes(f.store.get(), &TodoStore::changed);
        f.state->setSelection(todos.at(0).id);

        press(f.input, Qt::Key_Return);
        QCOMPARE(f.list->editingID(), std::optional<QUuid>(todos.at(0).id));
        InlineEditor *editor = f.list->row(todos.at(0).id)->editor();
        QVERIFY(editor);
        QTRY_VERIFY(editor->hasFocus());
        QCOMPARE(editor->cursorPosition(), 1);
        QVERIFY(!editor->hasSelectedText());
        // While editing the list handles no key: the arrows and Return belong to the editor.
        QTest::keyClicks(editor, u"lpha"_s);
        QTest::keyClick(editor, Qt::Key_Down);
        QCOMPARE(f.selectedTitle(), u"a"_s);
        QCOMPARE(f.list->draft(), u"alpha"_s);
        QCOMPARE(changes.count(), 0);

        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(f.store->todo(todos.at(0).id)->title, u"alpha"_s);
        QCOMPARE(f.list->editingID(), std::nullopt);
        QCOMPARE(changes.count(), 1);
        // The focus goes back to the input; the field's own loss of focus reports nothing more.
        QTRY_VERIFY(f.input->hasFocus());
        QCoreApplication::processEvents();
        QCOMPARE(changes.count(), 1);
        QCOMPARE(f.selectedTitle(), u"alpha"_s);
    }

    void escapeCancelsTheEditAndKeepsTheSelection()
    {
        TodoListFixture f;
        QSignalSpy closes(f.state.get(), &TodosTabState::closeRequested);
        const Todo todo = f.add({ u"a"_s }).first();
        QVERIFY(f.show());
        f.list->row(todo.id)->editRequested(); // the row's double click or "Edit"
        InlineEditor *editor = f.list->row(todo.id)->editor();
        QTRY_VERIFY(editor->hasFocus());
        QTest::keyClicks(editor, u"xyz"_s);
        QTest::keyClick(editor, Qt::Key_Escape);
        QCOMPARE(f.store->todo(todo.id)->title, u"a"_s);
        QCOMPARE(f.list->editingID(), std::nullopt);
        QCOMPARE(f.selectedTitle(), u"a"_s);
        QTRY_VERIFY(f.input->hasFocus());
        QCOMPARE(f.store->todo(todo.id)->title, u"a"_s);
        QCOMPARE(closes.count(), 0);
    }

    void clickingElsewhereCommitsTheEdit()
    {
        TodoListFixture f;
        const Todo todo = f.add({ u"a"_s }).first();
        QVERIFY(f.show());
        f.list->beginEditing(todo.id);
        InlineEditor *editor = f.list->row(todo.id)->editor();
        QTRY_VERIFY(editor->hasFocus());
        QTest::keyClicks(editor, u"bc"_s);
        f.input->setFocus(Qt::MouseFocusReason);
        QCOMPARE(f.store->todo(todo.id)->title, u"abc"_s);
        QCOMPARE(f.list->editingID(), std::nullopt);
    }

    void editingAnotherRowSavesTheFirst()
    {
        TodoListFixture f;
        const QList<Todo> todos = f.add({ u"a"_s, u"b"_s });
        QVERIFY(f.show());
        f.list->beginEditing(todos.at(0).id);
        QTRY_VERIFY(f.list->row(todos.at(0).id)->editor()->hasFocus());
        QTest::keyClicks(f.list->row(todos.at(0).id)->editor(), u"2"_s);
        f.list->row(todos.at(1).id)->editRequested();
        QCOMPARE(f.store->todo(todos.at(0).id)->title, u"a2"_s);
        QCOMPARE(f.list->editingID(), std::optional<QUuid>(todos.at(1).id));
        QCOMPARE(f.selectedTitle(), u"b"_s);
        QCOMPARE(f.list->draft(), u"b"_s);
    }

    void deletingTheEditedRowDropsTheEdit()
    {
        TodoListFixture f;
        const QList<Todo> todos = f.add({ u"a"_s, u"b"_s });
        QVERIFY(f.show());
        f.list->beginEditing(todos.at(1).id);
        QTest::keyClicks(f.list->row(todos.at(1).id)->editor(), u"zzz"_s);
        QSignalSpy changes(f.store.get(), &TodoStore::changed);
        f.list->deleteTodo(todos.at(1).id);
        QCoreApplication::processEvents();
        QCOMPARE(changes.count(), 1); // the deletion only, no rename
        QCOMPARE(f.list->editingID(), std::nullopt);
        QCOMPARE(f.shownTitles(), QStringList { u"a"_s });
    }

    // Left stale, the edit would keep every list key away until the next edit or hide.
    void anEditWhoseTodoIsDeletedElsewhereEnds()
    {
        TodoListFixture f;
        const QList<Todo> todos = f.add({ u"a"_s, u"b"_s });
        QVERIFY(f.show());
        f.list->beginEditing(todos.at(0).id);
        QTRY_VERIFY(f.list->row(todos.at(0).id)->editor()->hasFocus());
        QSignalSpy changes(f.store.get(), &TodoStore::changed);
        f.store->remove(QList<QUuid> { todos.at(0).id }); // the clear-all button, say
        QCOMPARE(f.list->editingID(), std::nullopt);
        QCoreApplication::processEvents();
        QCOMPARE(changes.count(), 1); // no rename after the loss of focus
        f.state->setSelection(std::nullopt);
        f.input->setFocus();
        press(f.input, Qt::Key_Down);
        QCOMPARE(f.selectedTitle(), u"b"_s);
    }

    void hidingTheSurfaceSavesTheEditAndDropsSelectionAndDrag()
    {
        Surface surface;
        surface.setVisible(true);
        TodoListFixture f;
        f.list->follow(&surface);
        const QList<Todo> todos = f.add({ u"a"_s, u"b"_s });
        QVERIFY(f.show());
        f.list->beginEditing(todos.at(0).id);
        QTest::keyClicks(f.list->row(todos.at(0).id)->editor(), u"!"_s);
        surface.setVisible(false);
        QCOMPARE(f.store->todo(todos.at(0).id)->title, u"a!"_s);
        QCOMPARE(f.state->selection(), std::nullopt);
        QCOMPARE(f.list->editingID(), std::nullopt);

        // A drag cut short by hiding changes no order, and its late release does nothing.
        surface.setVisible(true);
        f.list->dragRow(todos.at(0).id, f.list->rowFrame(todos.at(1).id).center().y());
        QVERIFY(f.list->drag());
        surface.setVisible(false);
        QVERIFY(!f.list->drag());
        f.list->dropRow();
        QCOMPARE(f.shownTitles(), (QStringList { u"a!"_s, u"b"_s }));
    }

    // The hover look follows the pointer, not the last row it crossed: rows that move under a
    // pointer standing still (a new todo, a scroll, a menu's action, a drag) and a surface shown
    // again leave exactly the row under the pointer hovered.
    void hoverFollowsThePointerWhenRowsMoveUnderIt_data()
    {
        QTest::addColumn<QString>("event");
        QTest::newRow("a todo added above") << u"add"_s;
        QTest::newRow("a scroll") << u"scroll"_s;
        QTest::newRow("a deletion from the row's menu") << u"menu"_s;
        QTest::newRow("a drag") << u"drag"_s;
        QTest::newRow("hidden and shown again") << u"reshow"_s;
    }

    void hoverFollowsThePointerWhenRowsMoveUnderIt()
    {
        QFETCH(QString, event);
        TodoListFixture f;
        QStringList titles;
        for (int i = 0; i < 12; ++i)
            titles << u"todo %1"_s.arg(i);
        const QList<Todo> todos = f.add(titles);
        f.list->setMaxHeight(200);
        QVERIFY(f.show());
        TodoRow *second = f.list->row(todos.at(1).id);
        QTest::mouseMove(second, second->rect().center());
        QTRY_VERIFY(second->isHovered());

        if (event == u"add") {
            f.add({ u"new"_s });
        } else if (event == u"scroll") {
            QScrollBar *bar = f.list->scrollArea()->verticalScrollBar();
            bar->setValue(bar->value() + second->height() * 2);
        } else if (event == u"menu") {
            QMenu *menu = second->makeContextMenu(second);
            menu->popup(second->mapToGlobal(second->rect().center()));
            QTRY_VERIFY(menu->isVisible());
            menu->actions().constLast()->trigger(); // "Delete"
            menu->hide();
        } else if (event == u"drag") {
            mouseDrag(second, second->height() * 2);
        } else {
            f.root->hide();
            QVERIFY(!second->isHovered());
            QCursor::setPos(f.root->mapToGlobal(QPoint(-50, -50)));
            QVERIFY(f.show());
        }

        // Once the rows have settled, only the row under the pointer is hovered.
        const auto hovered = [&f] {
            QStringList names;
            for (const Todo &todo : f.list->rows()) {
                if (f.list->row(todo.id)->isHovered())
                    names << todo.title;
            }
            return names;
        };
        const auto underPointer = [&f] {
            QStringList names;
            for (const Todo &todo : f.list->rows()) {
                const TodoRow *row = f.list->row(todo.id);
                if (row->rect().contains(row->mapFromGlobal(QCursor::pos())))
                    names << todo.title;
            }
            return names;
        };
        QTest::qWait(400);
        QCOMPARE(hovered(), underPointer());
        if (event == u"reshow")
            QVERIFY(hovered().isEmpty());
        else
            QVERIFY(!hovered().contains(u"todo 1"_s));
    }

    // Rows moved under a pointer that stood still (a move to tomorrow from the row's menu, a
    // drag): once the pointer leaves the list, for the input line or out of the window, no row
    // keeps the hover look. Qt sends its leave only to the row it last saw the pointer enter.
    void hoverEndsWhenThePointerLeavesAfterRowsMoved_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<bool>("outOfWindow");
        QTest::newRow("moved to tomorrow, then to the input") << u"tomorrow"_s << false;
        QTest::newRow("moved to tomorrow, then out of the window") << u"tomorrow"_s << true;
        QTest::newRow("a drag, then to the input") << u"drag"_s << false;
        QTest::newRow("a drag, then out of the window") << u"drag"_s << true;
    }

    void hoverEndsWhenThePointerLeavesAfterRowsMoved()
    {
        QFETCH(QString, event);
        QFETCH(bool, outOfWindow);
        TodoListFixture f;
        QStringList titles;
        for (int i = 0; i < 8; ++i)
            titles << u"todo %1"_s.arg(i);
        const QList<Todo> todos = f.add(titles);
        QVERIFY(f.show());
        TodoRow *second = f.list->row(todos.at(1).id);
        QTest::mouseMove(second, second->rect().center());
        QTRY_VERIFY(second->isHovered());

        if (event == u"tomorrow"_s) {
            QMenu *menu = second->makeContextMenu(second);
            menu->popup(second->mapToGlobal(second->rect().center()));
            QTRY_VERIFY(menu->isVisible());
            QMenu *moveTo = menu->actions().at(2)->menu();
            QVERIFY(moveTo);
            QCOMPARE(moveTo->actions().at(1)->text(), u"Tomorrow"_s);
            moveTo->actions().at(1)->trigger();
            menu->hide();
        } else {
            mouseDrag(second, second->height() * 2);
        }
        QTest::qWait(400); // the rows settle under the pointer

        // The pointer itself moves, so that Qt sends its own leave and enter events.
        QCursor::setPos(outOfWindow ? f.root->mapToGlobal(QPoint(-80, -80)) : f.input->mapToGlobal(QPoint(20, 5)));
        QCoreApplication::processEvents();
        for (const Todo &todo : f.list->rows()) {
            if (const TodoRow *row = f.list->row(todo.id))
                QVERIFY2(!row->isHovered(), qPrintable(todo.title));
        }
    }

    // Only the rows in and near the visible part have widgets, and none while the list has never
    // been shown; every row is measured as its widget would measure itself, so the frames, the
    // content height and the drag agree with what the widgets show wherever the list scrolls.
    void aLongListMakesOnlyTheRowsItShows()
    {
        TodoListFixture f;
        f.list->setMaxHeight(300);
        QList<ExportedTodo> imported;
        for (int i = 0; i < 2000; ++i) {
            ExportedTodo todo;
            todo.id = QUuid::createUuid();
            todo.title = i % 5 == 0 ? u"A title long enough to wrap onto a second line in the panel, number %1"_s.arg(i)
                                    : u"todo %1"_s.arg(i);
            todo.createdAt = QDateTime(friday.addDays(-9), QTime(9, 0));
            if (i % 7 == 0)
                todo.day = friday.addDays(i % 3 - 1).toString(Qt::ISODate); // overdue, today, tomorrow
            todo.sortOrder = i;
            imported.append(todo);
        }
        QVERIFY(f.store->insertImported(imported));
        QCOMPARE(f.list->madeRowCount(), 0);
        QVERIFY(f.show());

        const QList<Todo> rows = f.list->rows();
        QCOMPARE(rows.size(), 2000);
        QScrollBar *bar = f.list->scrollArea()->verticalScrollBar();
        const int viewport = f.list->scrollArea()->viewport()->height();
        const auto checkMade = [&]() -> QString {
            int made = 0;
            for (const Todo &todo : rows) {
                const QRectF frame = f.list->rowFrame(todo.id);
                TodoRow *row = f.list->row(todo.id);
                const bool near
                    = frame.bottom() >= bar->value() - viewport && frame.top() <= bar->value() + 2 * viewport;
                if (frame.bottom() >= bar->value() && frame.top() <= bar->value() + viewport && !row)
                    return QStringLiteral("no widget for the shown row ") + todo.title;
                if (!row)
                    continue;
                ++made;
                if (!near && todo.id != f.list->editingID())
                    return QStringLiteral("a widget far away for ") + todo.title;
                if (row->geometry() != frame.toRect() || row->heightForWidth(row->width()) != row->height())
                    return QStringLiteral("measured apart from its widget: ") + todo.title;
            }
            return made > 0 && made < 120 ? QString() : QStringLiteral("%1 rows made").arg(made);
        };
        QCOMPARE(checkMade(), QString());
        const QRectF last = f.list->rowFrame(rows.last().id);
        QCOMPARE(f.list->contentHeight(), qRound(last.bottom()) + 2);

        // An edit in progress keeps its widget (and its draft) while the list scrolls away.
        f.list->beginEditing(rows.at(1).id);
        QTest::keyClicks(f.list->row(rows.at(1).id)->editor(), u"!"_s);
        bar->setValue(bar->maximum());
        QCOMPARE(checkMade(), QString());
        QVERIFY(f.list->row(rows.last().id));
        QVERIFY(f.list->row(rows.at(1).id)->isEditing());
        f.list->finishEditing(true, false);
        QCOMPARE(f.store->todo(rows.at(1).id)->title, rows.at(1).title + u"!"_s);
        bar->setValue(bar->maximum() / 2);
        QCOMPARE(checkMade(), QString());
        QVERIFY(!f.list->row(rows.at(1).id));

        // The keyboard reaches a row far below, which scrolls into view with its widget.
        f.state->setSelection(rows.at(1500).id);
        QTRY_VERIFY(f.list->row(rows.at(1500).id) && f.list->row(rows.at(1500).id)->isSelected());
        QTRY_COMPARE(checkMade(), QString());
    }

    void draggingReordersWithinTheDay()
    {
        TodoListFixture f;
        const QList<Todo> todos = f.add({ u"a"_s, u"b"_s, u"c"_s });
        f.add({ u"d"_s }, friday.addDays(1));
        QVERIFY(f.show());
        QSignalSpy changes(f.store.get(), &TodoStore::changed);
        TodoRow *first = f.list->row(todos.at(0).id);
        const qreal step
            = f.list->rowFrame(todos.at(1).id).center().y() - f.list->rowFrame(todos.at(0).id).center().y();

        mouseDrag(first, qRound(step));
        QCOMPARE(f.shownTitles(), (QStringList { u"b"_s, u"a"_s, u"c"_s, u"d"_s }));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(f.list->drag(), std::nullopt);
        QCOMPARE(f.list->droppedID(), std::optional<QUuid>(todos.at(0).id));
        QTRY_COMPARE(f.list->droppedID(), std::nullopt);
        // The order is the store's; tomorrow's todo keeps its day.
        QStringList stored;
        for (const Todo &t : f.store->allTodos())
            if (!t.day)
                stored.append(t.title);
        QCOMPARE(stored, (QStringList { u"b"_s, u"a"_s, u"c"_s }));
        // The rows settle in their new places.
        QTRY_COMPARE(f.list->row(todos.at(0).id)->y(), qRound(f.list->rowFrame(todos.at(0).id).top()));
    }

    void aDropIntoAnotherDayIsRefused()
    {
        TodoListFixture f;
        const QList<Todo> todos = f.add({ u"a"_s, u"b"_s });
        const QList<Todo> later = f.add({ u"c"_s, u"d"_s }, friday.addDays(1));
        QVERIFY(f.show());
        QSignalSpy changes(f.store.get(), &TodoStore::changed);

        // Far below its section, the row stops at the section's last row.
        f.list->dragRow(todos.at(0).id, 1000);
        QCOMPARE(f.list->drag()->to, 1);
        QCOMPARE(f.list->drag()->translation,
            f.list->rowFrame(todos.at(1).id).bottom() - f.list->rowFrame(todos.at(0).id).bottom());
        QCOMPARE(f.list->row(todos.at(1).id)->isDragging(), false);
        QVERIFY(f.list->row(todos.at(0).id)->isDragging());
        f.list->dropRow();
        QCOMPARE(f.shownTitles(), (QStringList { u"b"_s, u"a"_s, u"c"_s, u"d"_s }));
        // Tomorrow's todo dragged far up stays first of its own day.
        mouseDrag(f.list->row(later.at(1).id), -1000);
        QCOMPARE(f.shownTitles(), (QStringList { u"b"_s, u"a"_s, u"d"_s, u"c"_s }));
        QCOMPARE(f.store->todo(later.at(1).id)->dayStart(), std::optional<QDate>(friday.addDays(1)));
        QCOMPARE(changes.count(), 2);
    }

    void noDragWhileEditingOrBelowFourPixels()
    {
        TodoListFixture f;
        const QList<Todo> todos = f.add({ u"a"_s, u"b"_s });
        QVERIFY(f.show());
        QSignalSpy changes(f.store.get(), &TodoStore::changed);
        mouseDrag(f.list->row(todos.at(1).id), -3); // a click: selects
        QCOMPARE(f.selectedTitle(), u"b"_s);
        QCOMPARE(changes.count(), 0);

        f.list->beginEditing(todos.at(0).id);
        f.list->dragRow(todos.at(0).id, 200);
        QVERIFY(!f.list->drag());
        // Dragging back to the start touches nothing.
        f.list->finishEditing(false, false);
        f.list->dragRow(todos.at(0).id, 200);
        f.list->dragRow(todos.at(0).id, 0);
        f.list->dropRow();
        QCOMPARE(changes.count(), 0);
        QCOMPARE(f.shownTitles(), (QStringList { u"a"_s, u"b"_s }));
    }

    // A todo that joins grows in from 0.98 of its size while fading in, where it lands; one that
    // leaves fades out where it stood; under the reduced-motion preference both happen at once.
    void rowsGrowInAndFadeOut_data()
    {
        QTest::addColumn<bool>("reduced");
        QTest::newRow("with motion") << false;
        QTest::newRow("reduced motion") << true;
    }

    void rowsGrowInAndFadeOut()
    {
        QFETCH(bool, reduced);
        m_home.setReducesMotion(reduced);
        TodoListFixture f;
        const Todo first = f.add({ u"a"_s }).first();
        QVERIFY(f.show());
        QVERIFY(!f.list->row(first.id)->graphicsEffect());

        const Todo added = *f.store->add(u"b"_s, std::nullopt);
        TodoRow *row = f.list->row(added.id);
        QCOMPARE(row->y(), qRound(f.list->rowFrame(added.id).top()));
        const auto *appear = row->findChild<AppearTransition *>();
        QCOMPARE(appear && appear->isRunning(), !reduced);
        if (!reduced) {
            const auto *look = qobject_cast<MotionEffect *>(row->graphicsEffect());
            QVERIFY(look && look->scale() < 1 && look->scale() >= 0.98 && look->opacity() < 1);
        }
        QTRY_VERIFY(row->isVisible() && !row->graphicsEffect());

        const QPointer<TodoRow> leaving = f.list->row(first.id);
        f.list->deleteTodo(first.id);
        QVERIFY(!f.list->row(first.id));
        if (!reduced)
            QVERIFY(leaving && leaving->isVisible() && leaving->graphicsEffect());
        QTRY_VERIFY(!leaving);
        m_home.setReducesMotion(false);
    }

    void headingsAndTheirFilter()
    {
        TodoListFixture f;
        f.add({ u"a"_s });
        QVERIFY(f.show());
        QVERIFY(!f.list->showsHeadings());
        QVERIFY(!f.list->heading(friday));

        f.add({ u"b"_s }, friday.addDays(3));
        QVERIFY(f.list->showsHeadings());
        TodoSectionHeading *today = f.list->heading(friday);
        TodoSectionHeading *monday = f.list->heading(friday.addDays(3));
        QVERIFY(today && monday);
        QCOMPARE(today->toolTip(), QString());
        QCOMPARE(today->dateText(), u"Mar 6"_s);
        QCOMPARE(monday->toolTip(), u"Show only Monday"_s);

        QTest::mouseClick(monday, Qt::LeftButton);
        QCOMPARE(f.state->day(), std::optional<QDate>(friday.addDays(3)));
        QCOMPARE(f.shownTitles(), QStringList { u"b"_s });
        monday = f.list->heading(friday.addDays(3));
        QVERIFY(monday); // a single section of another day keeps its heading
        QCOMPARE(monday->toolTip(), u"Show everything"_s);
        QTest::mouseClick(monday, Qt::LeftButton);
        QCOMPARE(f.state->day(), std::nullopt);
        QCOMPARE(f.shownTitles(), (QStringList { u"a"_s, u"b"_s }));
    }

    // The panel's list with 300 todos (today's among overdue, done and tomorrow's, a long
    // title), a row selected and another under the pointer, in the light and the dark look.
    void picturesOfALongList_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    void picturesOfALongList()
    {
        VEMRA_SCREENSHOTS_ONLY();
        QFETCH(bool, dark);
        TodoListFixture f;
        f.list->setMaxHeight(340);
        QList<ExportedTodo> imported;
        for (int i = 0; i < 300; ++i) {
            ExportedTodo todo;
            todo.id = QUuid::createUuid();
            todo.title = i % 6 == 2
                ? u"Call the landlord about the heating and ask for the invoice of March, number %1"_s.arg(i)
                : u"Todo %1"_s.arg(i);
            todo.isCompleted = i % 4 == 3;
            todo.createdAt = QDateTime(friday.addDays(-9), QTime(9, 0));
            if (i % 5 == 1)
                todo.day = friday.addDays(i % 10 < 5 ? -2 : 1).toString(Qt::ISODate);
            todo.sortOrder = i;
            imported.append(todo);
        }
        QVERIFY(f.store->insertImported(imported));
        const QPalette palette = dark ? Screenshots::darkPalette() : Screenshots::lightPalette();
        QApplication::setPalette(palette);
        f.root->setPalette(palette);
        QVERIFY(f.show());
        f.root->adjustSize();
        const QList<Todo> rows = f.list->rows();
        f.state->setSelection(rows.at(1).id);
        TodoRow *hovered = f.list->row(rows.at(3).id);
        QTest::mouseMove(hovered, hovered->rect().center());
        QTest::qWait(400);
        Screenshots::save(f.root.get(), dark ? u"todo-list-300-dark"_s : u"todo-list-300-light"_s);
        QApplication::setPalette(Screenshots::lightPalette());
    }

    // A title on one line is not measured again at a width it still fits; a wrapped one is, and
    // one that fits no more.
    void aNewWidthMeasuresAgainWhatItChanges()
    {
        TodoListFixture f;
        const QList<Todo> todos
            = f.add({ u"short"_s, u"Call the landlord about the heating and ask for the invoice"_s });
        QVERIFY(f.show());
        const auto drawnAsMeasured = [&] {
            for (const Todo &todo : todos) {
                const TodoRow *row = f.list->row(todo.id);
                if (!row || row->geometry() != f.list->rowFrame(todo.id).toRect()
                    || row->heightForWidth(row->width()) != row->height())
                    return false;
            }
            return true;
        };
        QVERIFY(drawnAsMeasured());
        const qreal shortHeight = f.list->rowFrame(todos.at(0).id).height();
        const qreal wrapped = f.list->rowFrame(todos.at(1).id).height();
        QVERIFY(wrapped > shortHeight);

        f.root->resize(900, 420);
        QTRY_COMPARE(f.list->rowFrame(todos.at(1).id).height(), shortHeight);
        QVERIFY(drawnAsMeasured());
        f.root->resize(380, 420);
        QTRY_COMPARE(f.list->rowFrame(todos.at(1).id).height(), wrapped);
        QVERIFY(drawnAsMeasured());
    }

    void thePanelListGrowsUpToItsLimit()
    {
        TodoListFixture f;
        f.list->setMaxHeight(340);
        f.add({ u"a"_s });
        QVERIFY(f.show());
        const int one = f.list->height();
        QCOMPARE(one, f.list->contentHeight());
        QStringList many;
        for (int i = 0; i < 40; ++i)
            many.append(u"todo %1"_s.arg(i));
        f.add(many);
        QCOMPARE(f.list->sizeHint().height(), 340);
        f.list->window()->adjustSize(); // as the panel fits itself to its content
        QCOMPARE(f.list->height(), 340);
        // Down to the last row scrolls it into view.
        f.state->setSelection(f.list->rows().last().id);
        QTRY_VERIFY(f.list->scrollArea()->verticalScrollBar()->value() > 0);
        // Under the reduced-motion preference the list scrolls at once.
        m_home.setReducesMotion(true);
        const QUuid first = f.list->rows().first().id;
        f.state->setSelection(first);
        QCOMPARE(f.list->scrollArea()->verticalScrollBar()->value(), qRound(f.list->rowFrame(first).top()));
        m_home.setReducesMotion(false);
    }
};

QTEST_MAIN(TestTodoListView)
#include "tst_TodoListView.moc"
