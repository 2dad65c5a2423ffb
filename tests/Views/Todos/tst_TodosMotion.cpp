#include "AnimationClock.h"
#include "TabFixture.h"
#include "TestHome.h"

#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/CrossFade.h"
#include "Components/Controls/IconButton.h"
#include "Components/Controls/MotionEffect.h"
#include "Components/Controls/RollingLabel.h"
#include "Components/Controls/SymbolIcon.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Components/Controls/WidthSpring.h"
#include "Components/Theme/Symbols.h"
#include "Screenshots.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Shell/ExpandedWindow.h"
#include "Views/Shell/PanelContent.h"
#include "Views/Todos/CalendarPanel.h"
#include "Views/Todos/ClearAllButton.h"
#include "Views/Todos/FooterStatus.h"
#include "Views/Todos/MonthCalendar.h"
#include "Views/Todos/TodoInput.h"
#include "Views/Todos/TodosView.h"

#include <QApplication>
#include <QTest>

using namespace Qt::StringLiterals;

// What the todos tab's motion decides, in the panel and the window: each change starts its
// transition and ends in the right state, and under the reduced-motion preference nothing runs.
class TestTodosMotion final : public QObject
{
    Q_OBJECT

private:
    TestHome m_home;
    std::unique_ptr<TabFixture> f;

    std::unique_ptr<PanelContent> shownPanel()
    {
        auto panel = std::make_unique<PanelContent>(f->environment(), f->surface);
        panel->show();
        return panel;
    }

    static void addMotionRows()
    {
        QTest::addColumn<bool>("reduced");
        QTest::newRow("motion") << false;
        QTest::newRow("reduced motion") << true;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(u"Fusion"_s);
        QApplication::setPalette(Screenshots::lightPalette());
        Symbols::useIconTheme();
    }

    void init()
    {
        m_home.setReducesMotion(false);
        f = std::make_unique<TabFixture>();
    }
    void cleanup() { f.reset(); }

    void cardAndHeaderComeFromTheTopEdge_data() { addMotionRows(); }
    void cardAndHeaderComeFromTheTopEdge()
    {
        QFETCH(bool, reduced);
        m_home.setReducesMotion(reduced);
        AnimationClock clock;
        ExpandedWindow window(f->environment(), f->surface);
        window.resize(560, 700);
        window.show();
        QWidget *card = window.todosView()->calendarPanel()->parentWidget();
        auto *cardMotion = card->findChild<AppearTransition *>();
        auto *headerMotion = window.header()->findChild<AppearTransition *>();
        QVERIFY(card->isHidden());
        const int headerHeight = window.header()->height();

        // Each time, not only the first: the card comes down and fades in over its whole time.
        for (int time = 0; time < 2; ++time) {
            window.todosState()->setShowsCalendar(true);
            QVERIFY(window.todosView()->showsCalendarCard());
            QVERIFY(!window.showsHeader());
            QCOMPARE(cardMotion->isRunning(), !reduced);
            QCOMPARE(headerMotion->isRunning(), !reduced);
            QVERIFY(card->isVisible());
            clock.step(110);
            if (!reduced) {
                QVERIFY(cardMotion->progress() > 0.3 && cardMotion->progress() < 1);
                const auto *effect = qobject_cast<MotionEffect *>(card->graphicsEffect());
                QVERIFY(effect != nullptr && effect->offsetY() < 0 && effect->opacity() < 1);
                // The header hands its room to the card as they move, so the list glides.
                QVERIFY(window.header()->height() > 0 && window.header()->height() < headerHeight);
                QVERIFY(
                    card->height() > 0 && card->height() < window.todosView()->calendarPanel()->sizeHint().height());
                Screenshots::save(&window, u"motion-window-calendar-arriving"_s);
            }
            clock.step(120);
            QVERIFY(!cardMotion->isRunning() && !headerMotion->isRunning());
            QVERIFY(window.header()->isHidden());
            QCOMPARE(card->graphicsEffect(), nullptr);

            // Going, the card rises and fades; it is hidden at the end and the header is back.
            window.todosState()->setShowsCalendar(false);
            QCOMPARE(cardMotion->isRunning(), !reduced);
            clock.step(110);
            QCOMPARE(card->isVisible(), !reduced);
            clock.step(120);
            QVERIFY(card->isHidden());
            QVERIFY(window.header()->isVisible());
        }
    }

    void footerCountsRoll_data() { addMotionRows(); }
    void footerCountsRoll()
    {
        QFETCH(bool, reduced);
        m_home.setReducesMotion(reduced);
        f->add(u"walk"_s);
        auto panel = shownPanel();
        auto *count = panel->footerStatus()->findChild<RollingLabel *>();
        QCOMPARE(count->text(), u"1 remaining · 0 completed"_s);

        f->add(u"read"_s);
        QCOMPARE(panel->footerStatus()->text(), u"2 remaining · 0 completed"_s);
        QCOMPARE(count->isRolling(), !reduced);
        if (!reduced) {
            // Only the changed digit moves, counting up.
            QCOMPARE(count->leaving(1), u"1"_s);
            QCOMPARE(count->arriving(1), u"2"_s);
        }
        QTRY_VERIFY(!count->isRolling());
    }

    // The laptop symbol comes and goes with the roll of the text beside it, not before it.
    void footerSymbolComesWithItsText_data() { addMotionRows(); }
    void footerSymbolComesWithItsText()
    {
        QFETCH(bool, reduced);
        m_home.setReducesMotion(reduced);
        AnimationClock clock;
        const Todo todo = f->add(u"walk"_s);
        auto panel = shownPanel();
        FooterStatus *status = panel->footerStatus();
        auto *count = status->findChild<RollingLabel *>();
        auto *symbol = status->findChild<SymbolIcon *>();
        QVERIFY(!status->showsSymbol() && symbol->isHidden());

        f->store->remove({ todo.id });
        QCOMPARE(status->text(), u"Saved on this computer"_s);
        QVERIFY(status->showsSymbol() && symbol->isVisible());
        clock.step(100);
        QCOMPARE(count->isRolling(), !reduced);
        const auto *effect = qobject_cast<MotionEffect *>(symbol->graphicsEffect());
        QCOMPARE(effect != nullptr && effect->opacity() > 0 && effect->opacity() < 1, !reduced);
        clock.step(150);
        QVERIFY(!count->isRolling());
        QCOMPARE(symbol->graphicsEffect(), nullptr);
        QVERIFY(symbol->isVisible());
    }

    void emptyStateAndListFadeIntoEachOther_data() { addMotionRows(); }
    void emptyStateAndListFadeIntoEachOther()
    {
        QFETCH(bool, reduced);
        m_home.setReducesMotion(reduced);
        auto panel = shownPanel();
        TodosView *tab = panel->todosView();
        auto *fade = tab->findChild<CrossFade *>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(tab->showsEmptyState());

        const Todo todo = f->add(u"walk"_s);
        QVERIFY(!tab->showsEmptyState()); // the list is there at once, under the fading still
        QCOMPARE(fade->isRunning(), !reduced);
        QTRY_VERIFY(!fade->isRunning());
        f->store->remove({ todo.id });
        QVERIFY(tab->showsEmptyState());
        QCOMPARE(fade->isRunning(), !reduced);
        QTRY_VERIFY(!fade->isRunning());
    }

    void steppingMonthsRollsTheTitleAndMovesTheGrid_data() { addMotionRows(); }
    void steppingMonthsRollsTheTitleAndMovesTheGrid()
    {
        QFETCH(bool, reduced);
        m_home.setReducesMotion(reduced);
        f->settings.setValue(u"cardShowsCalendar"_s, true);
        auto panel = shownPanel();
        MonthCalendar *calendar = panel->todosView()->calendarPanel()->calendar();
        auto *title = calendar->findChild<RollingLabel *>(u"monthTitle"_s);
        auto *grid = calendar->findChild<CrossFade *>();
        QTRY_VERIFY(!title->isRolling());

        calendar->findChild<TintedButton *>(u"chevron.right"_s)->click();
        QCOMPARE(title->text(), u"April 2026"_s);
        QCOMPARE(title->isRolling(), !reduced);
        QCOMPARE(grid->isRunning(), !reduced);
        if (!reduced) {
            QCOMPARE(title->arriving(-1), QString()); // counting up either way
            if (Screenshots::wanted()) {
                QTest::qWait(90); // half-way
                Screenshots::save(panel.get(), u"motion-panel-month-step"_s);
            }
        }
        calendar->findChild<TintedButton *>(u"chevron.left"_s)->click();
        QCOMPARE(title->text(), u"March 2026"_s);
        if (!reduced)
            QCOMPARE(title->arriving(1), u"March 2026"_s);
        QTRY_VERIFY(!grid->isRunning() && !title->isRolling());
    }

    void clearAllQuestionGrowsIn_data() { addMotionRows(); }
    void clearAllQuestionGrowsIn()
    {
        QFETCH(bool, reduced);
        m_home.setReducesMotion(reduced);
        f->add(u"walk"_s);
        auto panel = shownPanel();
        ClearAllButton *clearAll = panel->clearAllButton();
        QWidget *question = clearAll->questionLabel()->parentWidget();
        auto *motion = question->findChild<AppearTransition *>(QString(), Qt::FindDirectChildrenOnly);

        clearAll->askButton()->click();
        QVERIFY(clearAll->askButton()->isHidden()); // the ask leaves its place at once
        QVERIFY(question->isVisible());
        QCOMPARE(motion->isRunning(), !reduced);
        if (!reduced) {
            const auto *effect = qobject_cast<MotionEffect *>(question->graphicsEffect());
            QVERIFY(effect != nullptr && effect->scale() >= 0.97 && effect->scale() < 1);
        }
        QTRY_VERIFY(!motion->isRunning());
        QCOMPARE(question->graphicsEffect(), nullptr);

        clearAll->cancelButton()->click();
        QVERIFY(question->isHidden());
        QVERIFY(!clearAll->askButton()->isHidden());
    }

    void dayControlSpringsToItsWidth_data() { addMotionRows(); }
    void dayControlSpringsToItsWidth()
    {
        QFETCH(bool, reduced);
        m_home.setReducesMotion(reduced);
        auto panel = shownPanel();
        TodoInput *input = panel->todosView()->input();
        auto *spring = input->findChild<WidthSpring *>();
        QWidget *control = input->dayButton()->parentWidget();
        const int narrow = control->width();
        AnimationClock clock;

        // From no day to one, and on to another: each time it grows through the widths between.
        for (const int days : { 1, 4 }) {
            const int before = control->width();
            panel->todosState()->setDay(TabFixture::friday.addDays(days));
            QCOMPARE(spring->isRunning(), !reduced);
            clock.step(20);
            const int first = control->width();
            clock.step(40);
            const int halfway = control->width();
            clock.step(200);
            QVERIFY(!spring->isRunning());
            QCoreApplication::processEvents();
            QCOMPARE(control->width(), control->sizeHint().width());
            // Set off from its old width: after the first frame it has come less than half-way.
            if (!reduced && control->width() != before) {
                QVERIFY2(halfway != before && halfway != control->width(), qPrintable(QString::number(days)));
                QVERIFY2(2 * qAbs(first - before) < qAbs(control->width() - before),
                    qPrintable(u"%1 → %2 → %3"_s.arg(before).arg(first).arg(control->width())));
            }
        }
        QVERIFY(control->width() > narrow);
        QCOMPARE(control->maximumWidth(), QWIDGETSIZE_MAX); // free again at rest
        // The day's name has 5 pixels on each side.
        const IconButton *button = input->dayButton();
        const int content = button->symbolSize() + 4 + QFontMetrics(button->font()).horizontalAdvance(button->text());
        QVERIFY(qAbs(button->sizeHint().width() - content - 10) <= 1);
    }
};

QTEST_MAIN(TestTodosMotion)
#include "tst_TodosMotion.moc"
