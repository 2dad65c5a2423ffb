#include "TabFixture.h"
#include "TodoTitles.h"

#include "Components/Controls/IconButton.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Theme/Symbols.h"
#include "Screenshots.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Todos/CalendarPanel.h"
#include "Views/Todos/ClearAllButton.h"
#include "Views/Todos/FooterStatus.h"
#include "Views/Todos/MonthCalendar.h"
#include "Views/Todos/TodoInput.h"
#include "Views/Todos/TodoListView.h"
#include "Views/Todos/TodosView.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QDate friday = TabFixture::friday;

// The widgets under test in a shown, active window, as they are on screen.
struct Host
{
    QWidget window;
    explicit Host(QWidget *child, int width = 380)
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(child);
        window.resize(width, window.sizeHint().height());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
};

} // namespace

class TestTodoTabWidgets final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TabFixture> f;
    std::unique_ptr<TodosTabState> state;

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(u"Fusion"_s);
        QApplication::setPalette(Screenshots::lightPalette());
        Symbols::useIconTheme();
    }

    void init()
    {
        f = std::make_unique<TabFixture>();
        state = std::make_unique<TodosTabState>(*f->store, f->clock, f->settings, u"cardShowsCalendar"_s, true);
    }

    void cleanup()
    {
        state.reset();
        f.reset();
    }

    void returnAddsOnTopOnTheFilteredDayAndClearsTheText()
    {
        auto *input = new TodoInput(*state, Density::Compact);
        Host host(input);
        f->add(u"older"_s);
        input->focusField();
        QTest::keyClicks(input->field(), u"  Buy milk "_s);
        QCOMPARE(state->draft(), u"  Buy milk "_s);
        QVERIFY(input->canSubmit());
        QVERIFY(input->addButton()->isEnabled());
        QTest::keyClick(input->field(), Qt::Key_Return);
        QCOMPARE(titles(f->store->allTodos()), QStringList({ u"Buy milk"_s, u"older"_s }));
        QCOMPARE(f->store->allTodos().first().dayStart(), std::nullopt);
        QCOMPARE(input->field()->text(), QString());
        QVERIFY(!input->addButton()->isEnabled());

        // Saved: a second store on the same file sees it.
        QTRY_VERIFY(!f->store->hasPendingChanges());
        const auto reopened = TodoStore::make(f->store->filePath(), &f->clock);
        QCOMPARE(titles(reopened->allTodos()), QStringList({ u"Buy milk"_s, u"older"_s }));

        // With a filter on tomorrow the new todo is planned for tomorrow, and the filter stays.
        state->setDay(friday.addDays(1));
        QTest::keyClicks(input->field(), u"Call Ann"_s);
        QTest::keyClick(input->field(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(f->store->allTodos().first().title, u"Call Ann"_s);
        QCOMPARE(f->store->allTodos().first().dayStart(), std::optional<QDate>(friday.addDays(1)));
        QCOMPARE(state->day(), std::optional<QDate>(friday.addDays(1)));
    }

    void aLongPastedTextIsAddedWhole()
    {
        auto *input = new TodoInput(*state, Density::Compact);
        Host host(input);
        input->focusField();
        input->field()->insert(QString(40000, u'x'));
        QCOMPARE(state->draft().size(), 40000);
        QTest::keyClick(input->field(), Qt::Key_Return);
        QCOMPARE(f->store->allTodos().first().title.size(), 40000);
    }

    void blankTextAddsNothingAndStays_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty") << QString();
        QTest::newRow("spaces") << u"   "_s;
        QTest::newRow("wide spaces") << u"\u2003 \u00a0"_s;
    }

    void blankTextAddsNothingAndStays()
    {
        QFETCH(QString, typed);
        auto *input = new TodoInput(*state, Density::Compact);
        Host host(input);
        input->focusField();
        for (const QChar c : typed)
            QTest::sendKeyEvent(QTest::Click, input->field(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(state->draft(), typed);
        QVERIFY(!input->addButton()->isEnabled());
        QCOMPARE(input->addButton()->tone(), IconButton::Tone::Tertiary);
        QTest::keyClick(input->field(), Qt::Key_Return);
        QVERIFY(f->store->allTodos().isEmpty());
        QCOMPARE(input->field()->text(), typed);
    }

    void ctrlDTogglesTheCalendarWhereverTheFocusIs()
    {
        auto *box = new QWidget;
        auto *column = new QVBoxLayout(box);
        auto *input = new TodoInput(*state, Density::Compact);
        auto *other = new QLineEdit;
        column->addWidget(input);
        column->addWidget(other);
        Host host(box);
        input->focusField();
        QTest::keyClicks(input->field(), u"abc"_s);
        input->field()->setCursorPosition(1);

        QTest::keyClick(input->field(), Qt::Key_D, Qt::ControlModifier);
        QVERIFY(state->showsCalendar());
        QCOMPARE(f->settings.value(u"cardShowsCalendar"_s).toBool(), true);
        // The text field did not take it as "delete the next character".
        QCOMPARE(input->field()->text(), u"abc"_s);
        QCOMPARE(input->dayButton()->toolTip(), u"Hide calendar (Ctrl+D)"_s);
        QCOMPARE(input->dayButton()->tone(), IconButton::Tone::Tint);

        other->setFocus();
        QTest::keyClick(other, Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!state->showsCalendar());
        QCOMPARE(input->dayButton()->toolTip(), u"Pick a day (Ctrl+D)"_s);
        QCOMPARE(input->dayButton()->tone(), IconButton::Tone::Secondary);

        QTest::mouseClick(input->dayButton(), Qt::LeftButton);
        QVERIFY(state->showsCalendar());
    }

    void thePlaceholderFitsTheField_data()
    {
        QTest::addColumn<int>("offset");
        QTest::newRow("tomorrow") << 1;
        QTest::newRow("a weekday") << 5;
        QTest::newRow("a date of next year") << 309;
    }

    void thePlaceholderFitsTheField()
    {
        QFETCH(int, offset);
        // The input as wide as in the panel (380 less its 12-pixel margins, in a host with 9).
        auto *input = new TodoInput(*state, Density::Compact);
        Host host(input, 380 - 2 * 12 + 2 * 9);
        state->setDay(friday.addDays(offset));
        QLineEdit *field = input->field();
        const int room = field->contentsRect().width() - 4;
        const QFontMetrics metrics(field->font());
        const QStringList forms = TodoInput::placeholders(state->day(), friday);
        const qsizetype shown = forms.indexOf(field->placeholderText());
        QVERIFY(shown >= 0);
        QVERIFY2(metrics.horizontalAdvance(forms.at(shown)) <= room, qPrintable(forms.at(shown)));
        // No longer form would have fitted.
        for (qsizetype i = 0; i < shown; ++i)
            QVERIFY(metrics.horizontalAdvance(forms.at(i)) > room);
    }

    void dayControlShowsTheChosenDay_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("placeholder");
        QTest::addColumn<QString>("shortName");
        QTest::addColumn<QString>("accessible");
        QTest::newRow("none") << -1 << u"What needs to be done?"_s << QString() << u"Pick a day"_s;
        QTest::newRow("tomorrow") << 1 << u"What needs to be done tomorrow?"_s << u"Tomorrow"_s << u"Day: Tomorrow"_s;
        QTest::newRow("weekday") << 3 << u"What needs to be done on Monday?"_s << u"Mon"_s << u"Day: Monday"_s;
        QTest::newRow("far") << 10 << u"What needs to be done on Mon, Mar 16?"_s << u"Mar 16"_s
                             << u"Day: Mon, Mar 16"_s;
    }

    void dayControlShowsTheChosenDay()
    {
        QFETCH(int, offset);
        QFETCH(QString, placeholder);
        QFETCH(QString, shortName);
        QFETCH(QString, accessible);
        auto *input = new TodoInput(*state, Density::Regular);
        Host host(input, 720);
        state->setDraft(u"kept"_s);
        if (offset >= 0)
            state->setDay(friday.addDays(offset));
        QCOMPARE(input->field()->placeholderText(), placeholder);
        QCOMPARE(input->dayButton()->text(), shortName);
        QCOMPARE(input->dayButton()->accessibleName(), accessible);
        QCOMPARE(input->clearDayButton()->isVisible(), offset >= 0);
        if (offset < 0)
            return;
        // The cross goes back to no day and leaves the text and the calendar switch alone.
        QTest::mouseClick(input->clearDayButton(), Qt::LeftButton);
        QCOMPARE(state->day(), std::nullopt);
        QCOMPARE(input->field()->text(), u"kept"_s);
        QVERIFY(!input->clearDayButton()->isVisible());
    }

    void theOutlineIsAccentedOnlyWhileFocusedWithNoRowSelected()
    {
        auto *input = new TodoInput(*state, Density::Compact);
        Host host(input);
        input->focusField();
        QVERIFY(input->isHighlighted());
        state->setSelection(QUuid::createUuid());
        QVERIFY(input->field()->hasFocus());
        QVERIFY(!input->isHighlighted());
        state->setSelection(std::nullopt);
        QVERIFY(input->isHighlighted());
    }

    void escapeInTheFieldStepsBack()
    {
        auto *input = new TodoInput(*state, Density::Compact);
        Host host(input);
        QSignalSpy closes(state.get(), &TodosTabState::closeRequested);
        state->setDay(friday.addDays(2));
        input->focusField();
        QTest::keyClicks(input->field(), u" "_s);
        QTest::keyClick(input->field(), Qt::Key_Escape);
        QCOMPARE(input->field()->text(), QString());
        QCOMPARE(state->day(), std::optional<QDate>(friday.addDays(2)));
        QTest::keyClick(input->field(), Qt::Key_Escape);
        QCOMPARE(state->day(), std::nullopt);
        QCOMPARE(closes.count(), 0);
        QTest::keyClick(input->field(), Qt::Key_Escape);
        QCOMPARE(closes.count(), 1);
    }

    void clearAllAsksFirstThenDeletesExactlyTheShownTodos()
    {
        const Todo open = f->add(u"open tomorrow"_s, friday.addDays(1));
        f->add(u"done tomorrow"_s, friday.addDays(1), true);
        f->add(u"today"_s);
        state->setDay(friday.addDays(1));
        auto *clear = new ClearAllButton(*f->store, *state, f->bank);
        Host host(clear);
        QCOMPARE(clear->askButton()->toolTip(), u"Remove every todo tomorrow"_s);

        QTest::mouseClick(clear->askButton(), Qt::LeftButton);
        QVERIFY(state->isConfirmingClear());
        QCOMPARE(f->store->allTodos().size(), 3);
        QVERIFY(clear->confirmButton()->isVisible());
        QVERIFY(!clear->askButton()->isVisible());
        QCOMPARE(clear->question(), u"Clear all todos tomorrow?"_s);

        QTest::mouseClick(clear->cancelButton(), Qt::LeftButton);
        QVERIFY(!state->isConfirmingClear());
        QCOMPARE(f->store->allTodos().size(), 3);
        QVERIFY(f->sounds.isEmpty());

        QTest::mouseClick(clear->askButton(), Qt::LeftButton);
        QTest::mouseClick(clear->confirmButton(), Qt::LeftButton);
        QCOMPARE(titles(f->store->allTodos()), QStringList({ u"today"_s }));
        QCOMPARE(f->sounds, QStringList({ SoundBank::path(SoundBank::Sound::Pop).section(u'/', -1) }));
        QVERIFY(!state->isConfirmingClear());
        QVERIFY(clear->askButton()->isVisible());
        QVERIFY(open.id != f->store->allTodos().first().id);
    }

    void clearAllWording_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("help");
        QTest::addColumn<QString>("question");
        QTest::newRow("no filter") << -1 << u"Remove every todo"_s << u"Clear all todos?"_s;
        QTest::newRow("today") << 0 << u"Remove every todo"_s << u"Clear all todos?"_s;
        QTest::newRow("two days") << 2 << u"Remove every todo on Sunday"_s << u"Clear all todos on Sunday?"_s;
        QTest::newRow("far") << 9 << u"Remove every todo on Sun, Mar 15"_s << u"Clear all todos on Sun, Mar 15?"_s;
    }

    void clearAllWording()
    {
        QFETCH(int, offset);
        QFETCH(QString, help);
        QFETCH(QString, question);
        if (offset >= 0)
            state->setDay(friday.addDays(offset));
        ClearAllButton clear(*f->store, *state, f->bank);
        QCOMPARE(clear.askButton()->toolTip(), help);
        QCOMPARE(clear.question(), question);
    }

    void footerSummaryCountsTheShownTodos_data()
    {
        QTest::addColumn<int>("open");
        QTest::addColumn<int>("done");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << 0 << 0 << u"Saved on this computer"_s;
        QTest::newRow("one open") << 1 << 0 << u"1 remaining · 0 completed"_s;
        QTest::newRow("two and one") << 2 << 1 << u"2 remaining · 1 completed"_s;
        QTest::newRow("all done") << 0 << 3 << u"0 remaining · 3 completed"_s;
        QTest::newRow("none done") << 3 << 0 << u"3 remaining · 0 completed"_s;
    }

    void footerSummaryCountsTheShownTodos()
    {
        QFETCH(int, open);
        QFETCH(int, done);
        QFETCH(QString, text);
        FooterStatus status(*state, 11);
        for (int i = 0; i < open; ++i)
            f->add(u"open %1"_s.arg(i));
        for (int i = 0; i < done; ++i)
            f->add(u"done %1"_s.arg(i), std::nullopt, true);
        QCOMPARE(status.text(), text);
        QCOMPARE(status.showsSymbol(), open + done == 0);
    }

    void footerCountsOnlyTheFilteredDay()
    {
        FooterStatus status(*state, 12);
        f->add(u"today"_s);
        f->add(u"later"_s, friday.addDays(3), true);
        QCOMPARE(status.text(), u"1 remaining · 1 completed"_s);
        state->setDay(friday.addDays(3));
        QCOMPARE(status.text(), u"0 remaining · 1 completed"_s);
        state->setDay(friday.addDays(4));
        QCOMPARE(status.text(), u"Saved on this computer"_s);
        // Completing a todo changes both numbers at once.
        state->setDay(std::nullopt);
        f->store->toggle(f->store->allTodos().first().id);
        QCOMPARE(status.text(), u"2 remaining · 0 completed"_s);
    }

    void calendarPicksFilterOrMoveATodo()
    {
        auto *panel = new CalendarPanel(*state, Density::Compact);
        Host host(panel);
        const Todo todo
            = f->add(u"A todo with a title long enough to be cut in the middle of the line"_s, friday.addDays(7));
        QCOMPARE(panel->calendar()->selection(), friday);
        QCOMPARE(panel->calendar()->marks().value(friday.addDays(7)), true);
        QVERIFY(!panel->showsMovingHeader());

        Q_EMIT panel->calendar()->picked(friday.addDays(1));
        QCOMPARE(state->day(), std::optional<QDate>(friday.addDays(1)));
        QCOMPARE(panel->calendar()->selection(), friday.addDays(1));
        Q_EMIT panel->calendar()->picked(friday.addDays(1));
        QCOMPARE(state->day(), std::nullopt);

        state->setDay(friday.addDays(2));
        state->beginMove(todo.id);
        QVERIFY(panel->showsMovingHeader());
        QVERIFY(panel->movingText().startsWith(u"Move “A todo"_s));
        QVERIFY(panel->movingText().endsWith(u"line” to…"_s));
        QCOMPARE(panel->calendar()->selection(), friday.addDays(7));
        QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
        QCOMPARE(state->movingID(), std::nullopt);
        QCOMPARE(f->store->todo(todo.id)->dayStart(), std::optional<QDate>(friday.addDays(7)));

        // A pick of today while moving makes the todo undated; the filter stays.
        state->beginMove(todo.id);
        Q_EMIT panel->calendar()->picked(friday);
        QCOMPARE(f->store->todo(todo.id)->dayStart(), std::nullopt);
        QCOMPARE(state->movingID(), std::nullopt);
        QCOMPARE(state->day(), std::optional<QDate>(friday.addDays(2)));
        QVERIFY(!panel->showsMovingHeader());
    }

    // With a row selected in the list, the keyboard on the calendar's grid moves the grid's day,
    // not the selection, and Space or Return picks that day rather than completing or editing
    // the todo. A move is given its day, or cancelled, from the keyboard alone; Cancel going
    // away, or the card with the grid, leaves the keyboard in the input.
    void theCalendarFromTheKeyboardBesideASelectedRow()
    {
        auto *view = new TodosView(*state, f->bank, Density::Compact, {});
        Host host(view);
        const Todo later = f->add(u"c"_s, friday.addDays(3));
        f->add(u"b"_s);
        const Todo todo = f->add(u"a"_s);
        state->setShowsCalendar(true);
        QTRY_VERIFY(view->showsCalendarCard());
        MonthCalendar *calendar = view->calendarPanel()->calendar();
        QWidget *grid = calendar->dayGrid();
        QWindow *window = host.window.windowHandle();
        const auto press = [window](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QTest::keyClick(window, key, modifiers);
        };
        view->input()->focusField();
        press(Qt::Key_Down);
        QCOMPARE(state->selection(), todo.id);

        grid->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Down);
        press(Qt::Key_Right);
        QCOMPARE(calendar->currentDay(), friday.addDays(8));
        QCOMPARE(state->selection(), todo.id);
        press(Qt::Key_Space);
        QCOMPARE(state->day(), std::optional<QDate>(friday.addDays(8)));
        QVERIFY(grid->hasFocus());
        press(Qt::Key_Return);
        QCOMPARE(state->day(), std::nullopt);
        QVERIFY(!f->store->todo(todo.id)->isCompleted);
        QCOMPARE(view->list()->editingID(), std::nullopt);

        // "Another Day…": Tab reaches Cancel before the month's arrows, and Space on it ends the move.
        state->beginMove(todo.id);
        QTRY_VERIFY(view->calendarPanel()->cancelButton()->isVisible());
        view->input()->focusField();
        QList<QWidget *> reached;
        for (int i = 0; i < 4; ++i) {
            press(Qt::Key_Tab);
            reached.append(QApplication::focusWidget());
        }
        QCOMPARE(reached.mid(1),
            (QList<QWidget *> {
                view->calendarPanel()->cancelButton(), calendar->findChild<QWidget *>(u"chevron.right"_s), grid }));
        press(Qt::Key_Backtab);
        press(Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), view->calendarPanel()->cancelButton());
        press(Qt::Key_Space);
        QCOMPARE(state->movingID(), std::nullopt);
        QVERIFY(view->input()->field()->hasFocus());
        QCOMPARE(f->store->todo(todo.id)->dayStart(), std::nullopt);

        // Escape on the grid steps back as in the input: it ends a move.
        state->beginMove(later.id);
        grid->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Escape);
        QCOMPARE(state->movingID(), std::nullopt);
        QVERIFY(grid->hasFocus());

        // The grid goes to the moved todo's day; Return gives it the day beside.
        state->beginMove(later.id);
        grid->setFocus(Qt::TabFocusReason);
        QCOMPARE(calendar->currentDay(), friday.addDays(3));
        press(Qt::Key_Right);
        press(Qt::Key_Return);
        QCOMPARE(f->store->todo(later.id)->dayStart(), std::optional<QDate>(friday.addDays(4)));
        QCOMPARE(state->movingID(), std::nullopt);
        QVERIFY(grid->hasFocus());

        // Ctrl+D hides the card from the grid too, and the keyboard goes back to the input.
        press(Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!state->showsCalendar());
        QVERIFY(view->input()->field()->hasFocus());
    }
};

QTEST_MAIN(TestTodoTabWidgets)
#include "tst_TodosView.moc"
