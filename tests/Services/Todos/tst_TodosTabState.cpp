#include "FakeWorkspaceEvents.h"
#include "FixedClock.h"
#include "MemorySettingsStore.h"
#include "Services/Shell/Surface.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Todos/TodosTabState.h"
#include "TodoTitles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDate friday(2026, 3, 6);

} // namespace

class TestTodosTabState final : public QObject
{
    Q_OBJECT

private:
    using Step = TodosTabState::EscapeStep;

    QTemporaryDir m_dir;
    FixedClock m_clock { QDateTime(friday, QTime(9, 0)) };
    MemorySettingsStore m_settings;
    std::unique_ptr<TodoStore> m_store;
    int m_file = 0;

    std::unique_ptr<TodosTabState> panelState()
    {
        return std::make_unique<TodosTabState>(*m_store, m_clock, m_settings, u"cardShowsCalendar"_s, true);
    }

private Q_SLOTS:
    void init()
    {
        m_clock.set(QDateTime(friday, QTime(9, 0)));
        m_store = TodoStore::make(m_dir.filePath(u"%1/Todos.store"_s.arg(++m_file)), &m_clock);
        m_settings = MemorySettingsStore();
    }

    void escapeUndoesOneThingPerPress()
    {
        auto state = panelState();
        QSignalSpy closes(state.get(), &TodosTabState::closeRequested);
        const Todo todo = *m_store->add(u"t"_s, std::nullopt);
        state->setDay(friday.addDays(2));
        state->setDraft(u"typed"_s);
        state->beginMove(todo.id);
        state->setConfirmingClear(true);

        QCOMPARE(state->escape(), Step::CancelledClear);
        QCOMPARE(state->draft(), u"typed"_s);
        QCOMPARE(state->escape(), Step::EndedMove);
        QCOMPARE(state->movingID(), std::nullopt);
        QCOMPARE(state->draft(), u"typed"_s);
        QCOMPARE(state->escape(), Step::ClearedDraft);
        QCOMPARE(state->day(), std::optional<QDate>(friday.addDays(2)));
        QCOMPARE(state->escape(), Step::ClearedDayFilter);
        QCOMPARE(closes.count(), 0);
        QCOMPARE(state->escape(), Step::Closed);
        QCOMPARE(closes.count(), 1);

        TodosTabState window(*m_store, m_clock, m_settings, u"windowShowsCalendar"_s, false);
        QSignalSpy windowCloses(&window, &TodosTabState::closeRequested);
        QCOMPARE(window.escape(), Step::Nothing);
        QCOMPARE(windowCloses.count(), 0);
    }

    void aMoveOfADeletedTodoEndsByItself()
    {
        auto state = panelState();
        const Todo todo = *m_store->add(u"t"_s, std::nullopt);
        state->beginMove(todo.id);
        QVERIFY(state->isMoving());
        QVERIFY(state->showsCalendarCard());
        QSignalSpy todosChanged(state.get(), &TodosTabState::todosChanged);
        m_store->remove(todo.id);
        QCOMPARE(todosChanged.count(), 1);
        QVERIFY(!state->isMoving());
        QVERIFY(!state->showsCalendarCard());
        state->setDraft(u"x"_s);
        QCOMPARE(state->escape(), Step::ClearedDraft);
    }

    void addUsesTheFilterAndKeepsABlankDraft()
    {
        auto state = panelState();
        state->setDraft(u"   "_s);
        QCOMPARE(state->add(), std::nullopt);
        QCOMPARE(state->draft(), u"   "_s);
        QVERIFY(m_store->allTodos().isEmpty());
        QCOMPARE(state->escape(), Step::ClearedDraft);

        state->setDraft(u"undated"_s);
        QCOMPARE(state->add()->day, std::nullopt);
        QCOMPARE(state->draft(), QString());

        state->setDay(friday.addDays(3));
        state->setDraft(u"on Monday"_s);
        QCOMPARE(state->add()->dayStart(), std::optional<QDate>(friday.addDays(3)));
        QCOMPARE(titles(state->shownTodos()), QStringList { u"on Monday"_s });
    }

    void hidingEndsTheFilterMoveAndConfirmation()
    {
        auto state = panelState();
        const Todo todo = *m_store->add(u"t"_s, std::nullopt);
        state->setSelection(todo.id);
        state->setDraft(u"typed"_s);
        state->setShowsCalendar(true);
        state->setVisible(false);
        // No filter was set: the selection stays.
        QCOMPARE(state->selection(), std::optional<QUuid>(todo.id));

        state->setDay(friday.addDays(1));
        QCOMPARE(state->selection(), std::nullopt);
        state->setSelection(todo.id);
        state->beginMove(todo.id);
        state->setConfirmingClear(true);
        state->setVisible(false);
        QCOMPARE(state->day(), std::nullopt);
        QCOMPARE(state->selection(), std::nullopt);
        QCOMPARE(state->movingID(), std::nullopt);
        QVERIFY(!state->isConfirmingClear());
        QCOMPARE(state->draft(), u"typed"_s);
        QVERIFY(state->showsCalendar());
    }

    // A filter on a future day, kept while the surface stays open until that day has come:
    // it is dropped once today reaches it, so the list, the clear-all prompt and new todos
    // never act on a day that is no longer ahead.
    void aFilterIsDroppedWhenTodayReachesIt_data()
    {
        QTest::addColumn<int>("daysLater");
        QTest::newRow("reaches the filter day") << 1;
        QTest::newRow("passes it") << 3;
    }

    void aFilterIsDroppedWhenTodayReachesIt()
    {
        QFETCH(int, daysLater);
        auto state = panelState();
        const QDate saturday = friday.addDays(1);
        m_store->add(u"saturday"_s, saturday);
        m_store->add(u"undated"_s, std::nullopt);
        m_store->add(u"next week"_s, friday.addDays(8));
        state->setDay(saturday);
        QCOMPARE(titles(state->shownTodos()), QStringList { u"saturday"_s });
        QCOMPARE(state->dayPhrase(), u" tomorrow"_s);
        state->setSelection(m_store->allTodos().first().id);
        QSignalSpy dayChanged(state.get(), &TodosTabState::dayChanged);

        m_clock.set(QDateTime(friday.addDays(daysLater), QTime(0, 0, 5)));
        state->refreshToday();
        QCOMPARE(state->day(), std::nullopt);
        QCOMPARE(dayChanged.count(), 1);
        QCOMPARE(state->selection(), std::nullopt);
        QCOMPARE(state->dayPhrase(), QString());
        QCOMPARE(state->calendarSelection(), state->today());
        QCOMPARE(state->shownTodos().size(), 3);
    }

    void aNewTodoIsNeverDatedInThePast()
    {
        // The day-change notice never came: adding still finds that the filter's day is gone.
        auto state = panelState();
        state->setDay(friday.addDays(1));
        m_clock.set(QDateTime(friday.addDays(2), QTime(10, 0)));
        state->setDraft(u"late"_s);
        const std::optional<Todo> added = state->add();
        QVERIFY(added);
        QCOMPARE(added->day, std::nullopt);
        QCOMPARE(state->day(), std::nullopt);
        QCOMPARE(state->today(), friday.addDays(2));
    }

    void aFilterIsAlwaysAfterToday()
    {
        auto state = panelState();
        state->setDay(friday);
        QCOMPARE(state->day(), std::nullopt);
        state->setDay(friday.addDays(-1));
        QCOMPARE(state->day(), std::nullopt);
        state->setDay(friday.addDays(1));
        QCOMPARE(state->day(), std::optional<QDate>(friday.addDays(1)));
        state->setDay(friday.addDays(-4));
        QCOMPARE(state->day(), std::nullopt);
    }

    void calendarPicksToggleTheFilter()
    {
        auto state = panelState();
        const QDate tomorrow = friday.addDays(1);
        QCOMPARE(state->calendarSelection(), friday);
        state->pickDay(tomorrow);
        QCOMPARE(state->day(), std::optional<QDate>(tomorrow));
        QCOMPARE(state->calendarSelection(), tomorrow);
        state->pickDay(tomorrow);
        QCOMPARE(state->day(), std::nullopt);
        state->pickDay(friday.addDays(5));
        state->pickDay(friday);
        QCOMPARE(state->day(), std::nullopt);
        state->pickDay(friday);
        QCOMPARE(state->day(), std::nullopt);
        // A section heading works the same way.
        state->toggleDayFilter(tomorrow);
        QCOMPARE(state->day(), std::optional<QDate>(tomorrow));
        state->toggleDayFilter(friday);
        QCOMPARE(state->day(), std::nullopt);
    }

    void calendarPicksWhileMoving()
    {
        auto state = panelState();
        const QDate nextFriday = friday.addDays(7);
        const Todo moved = *m_store->add(u"moved"_s, nextFriday);
        const Todo overdue = *m_store->add(u"overdue"_s, friday.addDays(-2));
        state->setDay(friday.addDays(2));
        QSignalSpy changed(m_store.get(), &TodoStore::changed);

        state->beginMove(moved.id);
        QCOMPARE(state->calendarSelection(), nextFriday);
        state->pickDay(nextFriday);
        QCOMPARE(changed.count(), 0);
        QVERIFY(!state->isMoving());
        QCOMPARE(state->day(), std::optional<QDate>(friday.addDays(2)));

        state->beginMove(moved.id);
        state->pickDay(friday);
        QCOMPARE(m_store->todo(moved.id)->day, std::nullopt);
        QVERIFY(!state->isMoving());
        QCOMPARE(state->day(), std::optional<QDate>(friday.addDays(2)));

        state->beginMove(overdue.id);
        QCOMPARE(state->calendarSelection(), friday);
        state->pickDay(friday.addDays(3));
        QCOMPARE(m_store->todo(overdue.id)->dayStart(), std::optional<QDate>(friday.addDays(3)));
        QCOMPARE(m_store->allTodos().first().id, overdue.id);
    }

    void clearDeletesOnlyTheShownTodos()
    {
        auto state = panelState();
        m_store->add(u"monday"_s, friday.addDays(3));
        m_store->add(u"monday done"_s, friday.addDays(3));
        m_store->toggle(m_store->allTodos().first().id);
        m_store->add(u"other"_s, std::nullopt);
        state->setDay(friday.addDays(3));
        state->setConfirmingClear(true);
        QCOMPARE(state->dayPhrase(), u" on Monday"_s);
        state->clearShown();
        QVERIFY(!state->isConfirmingClear());
        QCOMPARE(titles(m_store->allTodos()), QStringList { u"other"_s });
        QVERIFY(state->sections().isEmpty());
        QCOMPARE(state->marks(), (QMap<QDate, bool> { { friday, true } }));
    }

    void calendarSwitchIsRemembered()
    {
        {
            auto state = panelState();
            QVERIFY(!state->showsCalendar());
            QSignalSpy shows(state.get(), &TodosTabState::showsCalendarChanged);
            state->setShowsCalendar(true);
            state->setShowsCalendar(true);
            QCOMPARE(shows.count(), 1);
            QCOMPARE(m_settings.writeCount(), 1);
        }
        QVERIFY(panelState()->showsCalendar());
    }

    void followsItsSurface()
    {
        auto state = panelState();
        Surface surface;
        int closes = 0;
        QObject::connect(&surface, &Surface::closeRequested, &surface, [&closes] { ++closes; });
        state->follow(&surface);
        QSignalSpy focus(state.get(), &TodosTabState::inputFocusRequested);

        surface.setVisible(true);
        surface.requestInputFocus();
        QCOMPARE(focus.count(), 1);
        surface.setTab(VemraTab::Clipboard);
        surface.requestInputFocus();
        QCOMPARE(focus.count(), 1);
        surface.setTab(VemraTab::Todos);
        QCOMPARE(focus.count(), 2);

        state->setDay(friday.addDays(4));
        state->setConfirmingClear(true);
        surface.setVisible(false);
        QCOMPARE(state->day(), std::nullopt);
        QVERIFY(!state->isConfirmingClear());

        QCOMPARE(state->escape(), Step::Closed);
        QCOMPARE(closes, 1);

        m_clock.advance(24 * 3600 * 1000);
        surface.setVisible(true);
        QCOMPARE(state->today(), friday.addDays(1));

        // While shown, the start of a new day renews today and drops a filter it has reached.
        FakeWorkspaceEvents events;
        state->follow(&events);
        state->setDay(friday.addDays(2));
        m_clock.advance(24 * 3600 * 1000);
        events.startNewDay();
        QCOMPARE(state->today(), friday.addDays(2));
        QCOMPARE(state->day(), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestTodosTabState)
#include "tst_TodosTabState.moc"
