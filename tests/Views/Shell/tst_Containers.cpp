#include "TabFixture.h"

#include "Components/Controls/IconButton.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Components/Theme/Symbols.h"
#include "Models/Todos/Days.h"
#include "Screenshots.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Shell/AppMenu.h"
#include "Views/Shell/ExpandedWindow.h"
#include "Views/Shell/PanelContent.h"
#include "Views/Shell/SectionPicker.h"
#include "Views/Shell/TabContent.h"
#include "Views/Todos/CalendarPanel.h"
#include "Views/Todos/ClearAllButton.h"
#include "Views/Todos/EmptyState.h"
#include "Views/Todos/FooterStatus.h"
#include "Views/Todos/InlineEditor.h"
#include "Views/Todos/MonthCalendar.h"
#include "Views/Todos/TodoInput.h"
#include "Views/Todos/TodoListView.h"
#include "Views/Todos/TodoRow.h"
#include "Views/Todos/TodosView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QDate friday = TabFixture::friday;

void showActive(QWidget *widget)
{
    widget->show();
    widget->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(widget));
}

// The widgets Tab visits from the focus, in order, until the focus comes back where it began.
QList<QWidget *> tabCycle(Qt::Key key = Qt::Key_Tab)
{
    QList<QWidget *> visited;
    QWidget *start = QApplication::focusWidget();
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget(), key);
        QWidget *now = QApplication::focusWidget();
        if (!now || now == start)
            break;
        visited.append(now);
    }
    return visited;
}

} // namespace

class TestContainers final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TabFixture> f;

    std::unique_ptr<PanelContent> popover() { return std::make_unique<PanelContent>(f->environment(), f->surface); }
    std::unique_ptr<ExpandedWindow> window()
    {
        auto window = std::make_unique<ExpandedWindow>(f->environment(), f->surface);
        window->resize(560, 700);
        return window;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(u"Fusion"_s);
        QApplication::setPalette(Screenshots::lightPalette());
        Symbols::useIconTheme();
    }

    void init() { f = std::make_unique<TabFixture>(); }
    void cleanup() { f.reset(); }

    void escapeUnwindsThenClosesThePanel()
    {
        auto panel = popover();
        showActive(panel.get());
        f->surface.setVisible(true);
        const Todo todo = f->add(u"walk"_s, friday.addDays(3));
        TodosTabState *state = panel->todosState();
        QLineEdit *field = panel->todosView()->input()->field();
        QVERIFY(field->hasFocus());

        state->setDay(friday.addDays(3));
        QTest::keyClicks(field, u"typed"_s);
        QTest::mouseClick(panel->clearAllButton()->askButton(), Qt::LeftButton);
        state->beginMove(todo.id);
        QVERIFY(panel->todosView()->showsCalendarCard());
        QVERIFY(!panel->footerStatus()->isVisible());

        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!state->isConfirmingClear());
        QVERIFY(panel->footerStatus()->isVisible());
        QTest::keyClick(field, Qt::Key_Escape);
        QCOMPARE(state->movingID(), std::nullopt);
        QVERIFY(!panel->todosView()->showsCalendarCard());
        QCOMPARE(field->text(), u"typed"_s);
        QTest::keyClick(field, Qt::Key_Escape);
        QCOMPARE(field->text(), QString());
        QTest::keyClick(field, Qt::Key_Escape);
        QCOMPARE(state->day(), std::nullopt);
        QCOMPARE(f->closes, 0);
        QTest::keyClick(field, Qt::Key_Escape);
        QCOMPARE(f->closes, 1);
        QCOMPARE(f->store->allTodos().size(), 1);
    }

    // On a small screen the panel is given less height than it asks for: only the list gives
    // way (it scrolls); the header and the footer stay whole.
    void aShortPanelShrinksOnlyItsList()
    {
        for (int i = 0; i < 30; ++i)
            f->add(u"todo %1"_s.arg(i));
        auto panel = popover();
        panel->todosState()->setShowsCalendar(true);
        showActive(panel.get());
        const int wanted = panel->sizeHint().height();
        panel->resize(PanelContent::panelWidth, wanted - 200);
        QTRY_COMPARE(panel->height(), wanted - 200);
        QWidget *footer = panel->openInWindowButton();
        const QRect footerRect(footer->mapTo(panel.get(), QPoint(0, 0)), footer->size());
        QVERIFY2(panel->rect().contains(footerRect), qPrintable(u"footer at %1"_s.arg(footerRect.bottom())));
        QVERIFY(panel->appMenu()->mapTo(panel.get(), QPoint(0, 0)).y() >= 0);
        QVERIFY(panel->todosView()->showsCalendarCard());
    }

    void theWindowNeverClosesOnEscape()
    {
        auto expanded = window();
        showActive(expanded.get());
        f->surface.setVisible(true);
        TodosTabState *state = expanded->todosState();
        QLineEdit *field = expanded->todosView()->input()->field();
        QVERIFY(field->hasFocus());
        state->setDay(friday.addDays(1));
        QTest::keyClicks(field, u"x"_s);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(field, Qt::Key_Escape);
        QCOMPARE(field->text(), QString());
        QCOMPARE(state->day(), std::nullopt);
        QCOMPARE(f->closes, 0);
        QVERIFY(expanded->isVisible());
    }

    void hidingCancelsTheConfirmationAndTheFilter()
    {
        auto panel = popover();
        showActive(panel.get());
        f->surface.setVisible(true);
        f->add(u"a"_s, friday.addDays(2));
        TodosTabState *state = panel->todosState();
        state->setDay(friday.addDays(2));
        state->setDraft(u"draft"_s);
        QTest::mouseClick(panel->clearAllButton()->askButton(), Qt::LeftButton);
        QVERIFY(panel->clearAllButton()->isConfirming());

        f->surface.setVisible(false);
        QVERIFY(!panel->clearAllButton()->isConfirming());
        QVERIFY(panel->clearAllButton()->askButton()->isVisibleTo(panel.get()));
        QCOMPARE(state->day(), std::nullopt);
        QCOMPARE(state->draft(), u"draft"_s);
        QCOMPARE(f->store->allTodos().size(), 1);
    }

    void aFutureFilterIsDroppedOnceTodayReachesIt()
    {
        // The window is left open overnight with tomorrow's filter on.
        auto expanded = window();
        showActive(expanded.get());
        f->surface.setVisible(true);
        f->add(u"today's"_s);
        f->add(u"tomorrow's"_s, friday.addDays(1));
        TodosTabState *state = expanded->todosState();
        state->setDay(friday.addDays(1));
        QCOMPARE(expanded->footerStatus()->text(), u"1 remaining · 0 completed"_s);

        f->clock.set(QDateTime(friday.addDays(1), QTime(0, 0, 1)));
        expanded->dayChanged();
        QCOMPARE(state->today(), friday.addDays(1));
        QCOMPARE(state->day(), std::nullopt);
        // Nothing still names a day that is no longer ahead.
        QCOMPARE(expanded->todosView()->input()->field()->placeholderText(), u"What needs to be done?"_s);
        QCOMPARE(expanded->clearAllButton()->question(), u"Clear all todos?"_s);
        QCOMPARE(expanded->footerStatus()->text(), u"2 remaining · 0 completed"_s);

        // Shown again after a day passed while it was hidden: today moves on at the showing.
        f->surface.setVisible(false);
        f->clock.set(QDateTime(friday.addDays(3), QTime(8, 0)));
        QCOMPARE(state->today(), friday.addDays(1));
        f->surface.setVisible(true);
        QCOMPARE(state->today(), friday.addDays(3));
    }

    void thePanelRenewsTodayOnTheDayChange()
    {
        auto panel = popover();
        showActive(panel.get());
        f->surface.setVisible(true);
        f->add(u"later"_s, friday.addDays(2));
        TodosTabState *state = panel->todosState();
        state->setDay(friday.addDays(2));
        f->clock.set(QDateTime(friday.addDays(2), QTime(0, 0)));
        panel->dayChanged();
        QCOMPARE(state->day(), std::nullopt);
        QCOMPARE(panel->todosView()->emptyState()->isVisible(), false);
    }

    void calendarCardFollowsEachSurfacesOwnSetting()
    {
        f->settings.setValue(u"cardShowsCalendar"_s, true);
        auto panel = popover();
        auto expanded = window();
        QVERIFY(panel->todosView()->showsCalendarCard());
        QVERIFY(!expanded->todosView()->showsCalendarCard());
        QVERIFY(expanded->showsHeader());

        expanded->todosState()->setShowsCalendar(true);
        QCOMPARE(f->settings.value(u"windowShowsCalendar"_s).toBool(), true);
        QVERIFY(expanded->todosView()->showsCalendarCard());
        QVERIFY(!expanded->showsHeader());
        f->surface.setTab(VemraTab::Clipboard);
        QVERIFY(expanded->showsHeader());
        f->surface.setTab(VemraTab::Todos);
        QVERIFY(!expanded->showsHeader());

        panel->todosState()->setShowsCalendar(false);
        QCOMPARE(f->settings.value(u"cardShowsCalendar"_s).toBool(), false);
        QCOMPARE(f->settings.value(u"windowShowsCalendar"_s).toBool(), true);

        // A move shows the card and hides the header; ending it puts both back.
        expanded->todosState()->setShowsCalendar(false);
        QVERIFY(expanded->showsHeader());
        const Todo todo = f->add(u"t"_s);
        expanded->todosState()->beginMove(todo.id);
        QVERIFY(expanded->todosView()->showsCalendarCard());
        QVERIFY(!expanded->showsHeader());
        // The moved todo disappears: the move ends by itself.
        f->store->remove(todo.id);
        QVERIFY(!expanded->todosView()->showsCalendarCard());
        QVERIFY(expanded->showsHeader());

        // A new panel reads the remembered switch.
        f->settings.setValue(u"cardShowsCalendar"_s, true);
        QVERIFY(popover()->todosView()->showsCalendarCard());
    }

    void theCalendarComesBackOnTheSelectedMonth()
    {
        f->settings.setValue(u"cardShowsCalendar"_s, true);
        auto panel = popover();
        showActive(panel.get());
        TodosTabState *state = panel->todosState();
        MonthCalendar *calendar = panel->todosView()->calendarPanel()->calendar();
        const QDate march(2026, 3, 1);
        QCOMPARE(calendar->month(), march);

        // Closing and reopening the panel keeps the month the user stepped to.
        calendar->stepMonth(2);
        panel->hide();
        showActive(panel.get());
        QCOMPARE(calendar->month(), march.addMonths(2));

        // Switching the card off and on again starts at the selection's month.
        state->setShowsCalendar(false);
        state->setShowsCalendar(true);
        QCOMPARE(calendar->month(), march);

        // So does another tab in between.
        calendar->stepMonth(1);
        f->surface.setTab(VemraTab::Clipboard);
        f->surface.setTab(VemraTab::Todos);
        QCOMPARE(calendar->month(), march);
    }

    void focusRequestsPutTheFocusInTheInputOnTheTodosTab()
    {
        auto panel = popover();
        showActive(panel.get());
        QLineEdit *field = panel->todosView()->input()->field();
        f->surface.setTab(VemraTab::Focus);
        QVERIFY(!field->isVisible());
        f->surface.setTab(VemraTab::Todos);
        QVERIFY(field->hasFocus());

        panel->sectionPicker()->setFocus();
        QVERIFY(!field->hasFocus());
        f->surface.requestInputFocus();
        QVERIFY(field->hasFocus());

        auto expanded = window();
        showActive(expanded.get());
        QLineEdit *windowField = expanded->todosView()->input()->field();
        QVERIFY(windowField->hasFocus());
        expanded->sectionPicker()->setFocus();
        f->surface.setTab(VemraTab::Clipboard);
        f->surface.requestInputFocus();
        QVERIFY(!windowField->hasFocus());
        f->surface.setTab(VemraTab::Todos);
        QVERIFY(windowField->hasFocus());
    }

    void footerShowsWhatIsOnDisplay()
    {
        auto panel = popover();
        showActive(panel.get());
        QCOMPARE(panel->footerStatus()->text(), FooterStatus::emptyText());
        QVERIFY(!panel->clearAllButton()->isVisible());
        QVERIFY(panel->openInWindowButton()->isVisible());
        QVERIFY(panel->todosView()->showsEmptyState());
        QCOMPARE(panel->todosView()->emptyState()->headline(), u"Nothing here yet."_s);

        f->add(u"one"_s);
        QVERIFY(panel->clearAllButton()->isVisible());
        QVERIFY(!panel->todosView()->showsEmptyState());

        // A future day without todos: the empty state names it, the footer has nothing to count.
        panel->todosState()->setDay(friday.addDays(1));
        QVERIFY(panel->todosView()->showsEmptyState());
        QCOMPARE(panel->todosView()->emptyState()->headline(), u"Nothing tomorrow yet."_s);
        QCOMPARE(panel->footerStatus()->text(), FooterStatus::emptyText());
        QVERIFY(!panel->clearAllButton()->isVisible());

        // The window keeps its status above the question.
        auto expanded = window();
        showActive(expanded.get());
        QTest::mouseClick(expanded->clearAllButton()->askButton(), Qt::LeftButton);
        QVERIFY(expanded->clearAllButton()->isConfirming());
        QVERIFY(expanded->footerStatus()->isVisible());
    }

    void theWindowsFooterShowsAtItsSmallestSize_data()
    {
        QTest::addColumn<int>("todos");
        QTest::addColumn<bool>("calendar");
        QTest::newRow("a long list under the calendar") << 12 << true;
        QTest::newRow("one todo under the calendar") << 1 << true;
        QTest::newRow("a long list") << 30 << false;
    }

    void theWindowsFooterShowsAtItsSmallestSize()
    {
        QFETCH(int, todos);
        QFETCH(bool, calendar);
        f->settings.setValue(u"windowShowsCalendar"_s, calendar);
        for (int i = 0; i < todos; ++i)
            f->add(u"todo %1"_s.arg(i));
        // Hosted as the application hosts it, and made as small as it goes.
        QWidget host;
        auto *layout = new QVBoxLayout(&host);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *expanded = new ExpandedWindow(f->environment(), f->surface);
        layout->addWidget(expanded);
        host.resize(ExpandedWindow::smallestSize);
        showActive(&host);
        QApplication::processEvents();

        const QWidget *list = expanded->todosView()->list();
        for (const QWidget *part : { static_cast<const QWidget *>(expanded->footerStatus()),
                 static_cast<const QWidget *>(expanded->clearAllButton()) }) {
            QVERIFY(part->isVisible());
            const QRect inHost(part->mapTo(&host, QPoint()), part->size());
            QVERIFY2(host.rect().contains(inHost), qPrintable(QDebug::toString(inHost)));
            QVERIFY(part->height() >= part->sizeHint().height());
            // Nothing above covers it.
            QVERIFY(list->mapTo(&host, QPoint(0, list->height())).y() <= inHost.top());
        }
        // Nor does it take the calendar's room.
        const QWidget *card = expanded->todosView()->calendarPanel();
        QVERIFY(!calendar || card->height() >= card->minimumSizeHint().height());
    }

    void theClearAllQuestionIsNeverCut_data()
    {
        QTest::addColumn<bool>("inPanel");
        QTest::addColumn<int>("offset");
        QTest::newRow("panel, tomorrow") << true << 1;
        QTest::newRow("panel, a weekday") << true << 5;
        QTest::newRow("panel, a date of next year") << true << 309;
        QTest::newRow("narrowest window, a date of next year") << false << 309;
    }

    void theClearAllQuestionIsNeverCut()
    {
        QFETCH(bool, inPanel);
        QFETCH(int, offset);
        std::unique_ptr<SurfaceFrame> frame;
        if (inPanel)
            frame = popover();
        else
            frame = window();
        if (!inPanel)
            frame->resize(420, 700);
        showActive(frame.get());
        f->add(u"one"_s, friday.addDays(offset));
        frame->todosState()->setDay(friday.addDays(offset));
        QTest::mouseClick(frame->clearAllButton()->askButton(), Qt::LeftButton);
        QVERIFY(frame->clearAllButton()->isConfirming());
        if (inPanel)
            frame->resize(frame->sizeHint()); // as the tray panel follows its content
        QApplication::processEvents();

        const ClearAllButton *clear = frame->clearAllButton();
        const QLabel *question = clear->questionLabel();
        QVERIFY(question->text().contains(Days::phrase(friday.addDays(offset), friday)));
        QVERIFY(question->width() >= question->sizeHint().width());
        for (const QWidget *part :
            { static_cast<const QWidget *>(question), static_cast<const QWidget *>(clear->cancelButton()),
                static_cast<const QWidget *>(clear->confirmButton()) }) {
            const QRect inFrame(part->mapTo(frame.get(), QPoint()), part->size());
            QVERIFY2(frame->rect().contains(inFrame), qPrintable(part->objectName() + u" is outside"_s));
        }
    }

    void panelKeyboardEquivalents()
    {
        auto panel = popover();
        showActive(panel.get());
        QLineEdit *field = panel->todosView()->input()->field();
        QTest::keyClick(field, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(f->expands, 1);

        f->surface.setTab(VemraTab::Focus);
        QTest::keyClick(panel.get(), Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(f->settingsOpened, QList<SettingsPane>({ SettingsPane::General }));
        // Ctrl+O belongs to the footer on screen: the focus tab's own takes it, once, and the
        // hidden todos footer's does not make it ambiguous.
        QTest::keyClick(panel.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(f->expands, 2);
        QTest::keyClick(panel.get(), Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(f->surface.tab(), VemraTab::Todos);
    }

    // Tab goes from the input through its buttons, the footer and the gear to the tab bar and
    // back; Shift+Tab goes the other way. Opening the panel leaves the focus in the input.
    void tabReachesEveryControlOfThePanelInOrder()
    {
        auto panel = popover();
        f->add(u"one"_s);
        showActive(panel.get());
        TodoInput *input = panel->todosView()->input();
        QVERIFY(input->field()->hasFocus());

        SectionPicker *picker = panel->sectionPicker();
        const QList<QWidget *> expected { input->dayButton(), panel->clearAllButton()->askButton(),
            panel->openInWindowButton(), panel->appMenu()->gear(), picker->segment(VemraTab::Todos),
            picker->segment(VemraTab::Clipboard), picker->segment(VemraTab::Focus) };
        QCOMPARE(tabCycle(), expected);
        QVERIFY(input->field()->hasFocus());
        QList<QWidget *> backwards(expected.rbegin(), expected.rend());
        QCOMPARE(tabCycle(Qt::Key_Backtab), backwards);

        // With a draft and a day, the add button and the day's cross join after the day button;
        // the clear-all control, with nothing listed that day, leaves the order.
        panel->todosState()->setDay(friday.addDays(1));
        QTest::keyClicks(input->field(), u"two"_s);
        const QList<QWidget *> withDay = tabCycle();
        QCOMPARE(withDay.mid(0, 4),
            QList<QWidget *>(
                { input->dayButton(), input->clearDayButton(), input->addButton(), panel->openInWindowButton() }));
        // A click on a button still leaves the focus in the input.
        input->field()->setFocus();
        QTest::mouseClick(panel->clearAllButton()->askButton(), Qt::LeftButton);
        QVERIFY(input->field()->hasFocus());
    }

    // With the calendar shown and a row selected, Tab goes from the input's buttons through the
    // month arrows and the selected row's Edit and Delete to the footer. The keyboard on a row's
    // button goes with the selection: the arrows move it, Space on Delete deletes and stays on
    // the next row's Delete, Escape goes back to the input.
    void tabReachesTheCalendarArrowsAndTheSelectedRowsButtons()
    {
        auto panel = popover();
        const Todo one = f->add(u"one"_s);
        const Todo two = f->add(u"two"_s);
        const Todo three = f->add(u"three"_s);
        panel->todosState()->setShowsCalendar(true);
        showActive(panel.get());
        TodoInput *input = panel->todosView()->input();
        TodoListView *list = panel->todosView()->list();
        QVERIFY(input->field()->hasFocus());
        MonthCalendar *calendar = panel->todosView()->calendarPanel()->calendar();
        auto *previousMonth = calendar->findChild<QAbstractButton *>(u"chevron.left"_s);
        auto *nextMonth = calendar->findChild<QAbstractButton *>(u"chevron.right"_s);
        QVERIFY(previousMonth && nextMonth);

        // Without a selection no row's buttons show, and Tab passes the list by. The month before
        // this one can't be shown, so its arrow is off until the month has stepped on.
        QVERIFY(!previousMonth->isEnabled());
        QCOMPARE(tabCycle().mid(0, 4),
            QList<QWidget *>(
                { input->dayButton(), nextMonth, calendar->dayGrid(), panel->clearAllButton()->askButton() }));
        input->dayButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(input->dayButton(), Qt::Key_Tab);
        QVERIFY(nextMonth->hasFocus());
        QTest::keyClick(nextMonth, Qt::Key_Space);
        QCOMPARE(calendar->monthOffset(), 1);
        input->field()->setFocus(Qt::TabFocusReason);

        QTest::keyClick(input->field(), Qt::Key_Down);
        QCOMPARE(panel->todosState()->selection(), three.id);
        TodoRow *top = list->row(three.id);
        const QList<QWidget *> withRow { input->dayButton(), previousMonth, nextMonth, calendar->dayGrid(),
            top->editButton(), top->deleteButton(), panel->clearAllButton()->askButton() };
        QCOMPARE(tabCycle().mid(0, 7), withRow);
        QList<QWidget *> backwards = tabCycle(Qt::Key_Backtab);
        std::reverse(backwards.begin(), backwards.end());
        QCOMPARE(backwards.mid(0, 7), withRow);

        calendar->dayGrid()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(calendar->dayGrid(), Qt::Key_Tab);
        QVERIFY(top->editButton()->hasFocus());
        QTest::keyClick(top->editButton(), Qt::Key_Tab);
        QVERIFY(top->deleteButton()->hasFocus());
        QTest::keyClick(top->deleteButton(), Qt::Key_Down);
        QCOMPARE(panel->todosState()->selection(), two.id);
        QVERIFY(list->row(two.id)->deleteButton()->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTRY_COMPARE(f->store->allTodos().size(), 2);
        QVERIFY(!f->store->todo(two.id));
        QCOMPARE(panel->todosState()->selection(), one.id);
        QVERIFY(list->row(one.id)->deleteButton()->hasFocus());
        // Return on Edit edits that row, not the input's draft.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QVERIFY(list->row(one.id)->editButton()->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(list->editingID(), one.id);
        QTRY_VERIFY(list->row(one.id)->editor() && list->row(one.id)->editor()->hasFocus());
        QTest::keyClick(list->row(one.id)->editor(), Qt::Key_Escape);
        QCOMPARE(list->editingID(), std::nullopt);
        QTRY_VERIFY(input->field()->hasFocus());

        // Escape on a row's button lets go of the row and gives the keyboard back to the input.
        QTest::keyClick(input->field(), Qt::Key_Down);
        list->row(three.id)->editButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(list->row(three.id)->editButton(), Qt::Key_Escape);
        QCOMPARE(panel->todosState()->selection(), std::nullopt);
        QVERIFY(input->field()->hasFocus());
        // A letter typed on a row's button is typed in the input, where the keyboard goes back
        // (sent through the window, as the display server sends it).
        QTest::keyClick(input->field(), Qt::Key_Down);
        list->row(three.id)->deleteButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(panel->windowHandle(), Qt::Key_A, Qt::NoModifier);
        QTest::keyClick(panel->windowHandle(), Qt::Key_B, Qt::NoModifier);
        QCOMPARE(input->field()->text(), u"ab"_s);
        QVERIFY(input->field()->hasFocus());
        QCOMPARE(panel->todosState()->selection(), std::nullopt);
        QCOMPARE(f->store->allTodos().size(), 2);
        input->field()->clear();
        // Only the selected row's buttons are ever reached, not those of a row under the pointer.
        list->row(one.id)->setHovered(true);
        QVERIFY(list->row(one.id)->showsActions());
        QCOMPARE(list->row(one.id)->editButton()->focusPolicy(), Qt::NoFocus);

        // Ctrl+D hiding the card under the keyboard sends it back to the input.
        nextMonth->setFocus(Qt::TabFocusReason);
        QTest::keyClick(nextMonth, Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!panel->todosState()->showsCalendar());
        QVERIFY(input->field()->hasFocus());
    }

    // Space and Return press the control Tab reached, as a click would.
    void spaceAndReturnPressTheFocusedControl()
    {
        auto panel = popover();
        const Todo one = f->add(u"one"_s);
        showActive(panel.get());
        ClearAllButton *clear = panel->clearAllButton();

        clear->askButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(clear->askButton(), Qt::Key_Space);
        QVERIFY(clear->isConfirming());
        // The focus follows to the question's Cancel, and Return there ends the question.
        QVERIFY(clear->cancelButton()->hasFocus());
        QTest::keyClick(clear->cancelButton(), Qt::Key_Return);
        QVERIFY(!clear->isConfirming());
        QVERIFY(clear->askButton()->hasFocus());
        QCOMPARE(f->store->allTodos().size(), 1);

        // Even with a row selected, whose list takes Return and Space from the input.
        panel->todosState()->setSelection(one.id);
        panel->openInWindowButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(panel->openInWindowButton(), Qt::Key_Space);
        QCOMPARE(f->expands, 1);
        QTest::keyClick(panel->openInWindowButton(), Qt::Key_Return);
        QCOMPARE(f->expands, 2);
        QCOMPARE(panel->todosView()->list()->editingID(), std::nullopt);
        panel->todosState()->setSelection(std::nullopt);

        QAbstractButton *clipboard = panel->sectionPicker()->segment(VemraTab::Clipboard);
        clipboard->setFocus(Qt::TabFocusReason);
        QTest::keyClick(clipboard, Qt::Key_Return);
        QCOMPARE(f->surface.tab(), VemraTab::Clipboard);
        f->surface.setTab(VemraTab::Todos);

        QAbstractButton *gear = panel->appMenu()->gear();
        gear->setFocus(Qt::TabFocusReason);
        QTest::keyClick(gear, Qt::Key_Space);
        QTRY_VERIFY(panel->appMenu()->menu()->isVisible());
        panel->appMenu()->menu()->close();
    }

    void thePanelIsFixedWidthAndTheWindowColumnCentred()
    {
        auto panel = popover();
        showActive(panel.get());
        QCOMPARE(panel->width(), PanelContent::panelWidth);
        for (int i = 0; i < 3; ++i)
            f->add(u"todo %1"_s.arg(i));
        f->surface.setTab(VemraTab::Clipboard);
        QCOMPARE(panel->sizeHint().width(), PanelContent::panelWidth);

        auto expanded = window();
        expanded->resize(1000, 700);
        showActive(expanded.get());
        QCOMPARE(expanded->column()->width(), ExpandedWindow::maxColumnWidth);
        QCOMPARE(expanded->column()->geometry().center().x(), expanded->rect().center().x());
    }
};

QTEST_MAIN(TestContainers)
#include "tst_Containers.moc"
