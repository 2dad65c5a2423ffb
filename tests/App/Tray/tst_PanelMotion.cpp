#include "AnimationClock.h"
#include "App/Tray/PanelWindow.h"
#include "App/Tray/TrayPanel.h"
#include "AppHarness.h"
#include "Components/Controls/IconButton.h"
#include "DrawnFrames.h"
#include "Services/Shell/Environment.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Shell/PanelContent.h"
#include "Views/Todos/CalendarPanel.h"
#include "Views/Todos/TodoInput.h"
#include "Views/Todos/TodoListView.h"
#include "Views/Todos/TodoRow.h"
#include "Views/Todos/TodosView.h"

#include <QResizeEvent>
#include <QScreen>
#include <QTest>

namespace {

// The application as main() starts it, with motion, its panel open on the todos tab with a few
// todos, under an icon in a top or a bottom bar.
struct Harness : AppHarness
{
    explicit Harness(bool bottomBar)
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        tray.setGeometry(bottomBar ? QRect(screen.center().x(), screen.bottom() - 29, 22, 30)
                                   : QRect(screen.right() - 111, screen.top(), 22, 24));
        home.setReducesMotion(false);
        facilities.launchedAtLogin = true;
        start();
        for (int i = 0; i < 4; ++i)
            first = delegate->environment().todos.add(QStringLiteral("todo ") + QString::number(i), std::nullopt)->id;
        delegate->showTrayPanel(VemraTab::Todos);
        window = delegate->trayPanel()->window();
        content = window->findChild<PanelContent *>();
        view = content->todosView();
        card = view->calendarPanel()->parentWidget();
        footer = content->openInWindowButton()->parentWidget();
    }

    // The card's room in the column: none while it is hidden.
    int cardRoom() const { return card->isVisible() ? card->height() : 0; }
    int rowTop() const { return view->list()->row(first)->mapTo(window, QPoint()).y(); }
    int inputBottom() const
    {
        const QWidget *box = view->input()->parentWidget();
        return box->mapTo(window, QPoint(0, box->height())).y();
    }

    int footerBottom() const { return footer->mapTo(window, QPoint(0, footer->height())).y(); }

    // What must hold in every frame: the rows lie right under the card's room, and the footer
    // ends where the panel ends.
    QString wrong(int rowBelowCard) const
    {
        // The card is the panel as seen; it ends short of the window only while the window is
        // about to be cut to it.
        const int shown = static_cast<const PanelWindow *>(window)->cardHeight();
        if (footerBottom() != shown)
            return QStringLiteral("the footer ends at %1 on a card %2 high").arg(footerBottom()).arg(shown);
        const int gap = rowTop() - inputBottom() - cardRoom();
        if (gap != rowBelowCard)
            return QStringLiteral("the first row lies %1 under the card's room instead of %2 (room %3)")
                .arg(gap)
                .arg(rowBelowCard)
                .arg(cardRoom());
        return {};
    }

    QUuid first;
    QWidget *window = nullptr;
    PanelContent *content = nullptr;
    TodosView *view = nullptr;
    QWidget *card = nullptr;
    QWidget *footer = nullptr;
};

// The window system cuts a window made shorter at once and shows what is drawn next a moment
// later: each time the panel is made shorter from below, its new look (the footer at the new
// bottom) must have been drawn already.
class DrawnBeforeCut final : public QObject
{
public:
    explicit DrawnBeforeCut(const Harness &h)
        : m_h(h)
    {
        m_h.window->installEventFilter(this);
    }
    ~DrawnBeforeCut() override { m_h.window->removeEventFilter(this); }

    QString failure;
    int cuts = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            m_drawnFooterBottom = m_h.footerBottom();
        if (event->type() == QEvent::Resize) {
            const auto *resize = static_cast<QResizeEvent *>(event);
            if (resize->size().height() < resize->oldSize().height()) {
                ++cuts;
                if (m_drawnFooterBottom != resize->size().height() && failure.isEmpty())
                    failure = QStringLiteral("cut to %1 with the footer drawn ending at %2")
                                  .arg(resize->size().height())
                                  .arg(m_drawnFooterBottom);
            }
        }
        return false;
    }

private:
    const Harness &m_h;
    int m_drawnFooterBottom = -1;
};

void settle(AnimationClock &clock)
{
    for (int frame = 0; frame < 40; ++frame)
        clock.step(16);
}

} // namespace

// The panel and what it holds move as one when the calendar card comes and goes.
class TestPanelMotion final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Frame by frame, the rows move with the card's edge and the panel's edge with them, the
    // footer on the panel; the panel grows and shrinks over its resize time, not at once.
    void rowsAndFooterMoveWithTheCard_data()
    {
        QTest::addColumn<bool>("bottomBar");
        QTest::addColumn<bool>("byMove"); // the card comes for a todo's move to another day
        QTest::newRow("top bar, calendar switched on") << false << false;
        QTest::newRow("top bar, a todo moved to another day") << false << true;
        QTest::newRow("bottom bar, calendar switched on") << true << false;
    }

    void rowsAndFooterMoveWithTheCard()
    {
        QFETCH(bool, bottomBar);
        QFETCH(bool, byMove);
        Harness h(bottomBar);
        AnimationClock clock;
        settle(clock);
        QVERIFY(h.card->isHidden());
        const int restHeight = h.window->height();
        const int rowBelowCard = h.rowTop() - h.inputBottom();
        QVERIFY(h.wrong(rowBelowCard).isEmpty());
        DrawnFrames frames(h.window, [&] { return h.wrong(rowBelowCard); });
        DrawnBeforeCut cut(h);

        TodosTabState *state = h.content->todosState();
        for (const bool shown : { true, false }) {
            if (byMove) {
                if (shown)
                    state->beginMove(h.first);
                else
                    state->escape(); // ends the move
            } else {
                state->setShowsCalendar(shown);
            }
            QList<int> heights { h.window->height() };
            for (int time = 16; time <= TrayPanel::resizeMs + 48; time += 16) {
                clock.step(16);
                frames.check(QStringLiteral("%1 ms after the card was %2")
                                 .arg(time)
                                 .arg(shown ? QStringLiteral("shown") : QStringLiteral("hidden")));
                heights << h.window->height();
            }
            QVERIFY2(frames.failure().isEmpty(), qPrintable(frames.failure()));
            QCOMPARE(h.card->isVisible(), shown);
            const int cardHeight = h.card->sizeHint().height();
            QCOMPARE(h.window->height(), restHeight + (shown ? cardHeight : 0));
            // It glides: step by step in one direction, over most of the resize time.
            int moving = 0;
            for (int i = 1; i < heights.size(); ++i) {
                const int step = heights.at(i) - heights.at(i - 1);
                QVERIFY2(shown ? step >= 0 : step <= 0, qPrintable(QString::number(i)));
                QVERIFY2(qAbs(step) < cardHeight / 2, qPrintable(QString::number(step)));
                moving += step != 0 ? 1 : 0;
            }
            QVERIFY2(moving >= 8, qPrintable(QString::number(moving)));
        }
        QVERIFY(frames.drawings() > 0);
        // A panel under the bar keeps its top edge, and is drawn before it is cut; one above a
        // bar at the bottom moves its top edge down instead.
        if (!bottomBar) {
            QVERIFY2(cut.failure.isEmpty(), qPrintable(cut.failure));
            QVERIFY(cut.cuts >= 8);
        }
    }
};

QTEST_MAIN(TestPanelMotion)
#include "tst_PanelMotion.moc"
