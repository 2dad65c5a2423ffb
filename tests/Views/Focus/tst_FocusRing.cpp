#include "AnimationClock.h"
#include "App/Tray/HostWindow.h"
#include "App/Tray/TrayPanel.h"
#include "AppHarness.h"
#include "Components/Controls/ToneLabel.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Services/Shell/Environment.h"
#include "Views/Focus/ActiveFocus.h"
#include "Views/Focus/FocusRing.h"
#include "Views/Focus/FocusView.h"
#include "Views/Shell/ExpandedWindow.h"
#include "Views/Shell/PanelContent.h"

#include <QHash>
#include <QScreen>
#include <QTest>

#include <cmath>
#include <numbers>

namespace {

// Counts the paint events that reach some widgets.
class Paints final : public QObject
{
public:
    explicit Paints(const QList<QWidget *> &widgets)
    {
        for (QWidget *widget : widgets)
            widget->installEventFilter(this);
    }

    QHash<const QObject *, int> counts;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++counts[watched];
        return false;
    }
};

// The application as main() starts it, with motion, its clock driven by the test.
struct Harness : AppHarness
{
    Harness()
    {
        home.setReducesMotion(false);
        facilities.launchedAtLogin = true;
        start();
    }

    FocusSessionManager &focus() const { return delegate->environment().focus; }

    // Shows the panel, or the window, on the focus tab.
    FocusView *show(bool inWindow)
    {
        if (inWindow) {
            delegate->showWindow(VemraTab::Focus);
            return qobject_cast<ExpandedWindow *>(delegate->window()->content())->focusView();
        }
        delegate->showTrayPanel(VemraTab::Focus);
        return delegate->trayPanel()->window()->findChild<PanelContent *>()->focusView();
    }

    // A tick of the running session, a second on.
    void tick()
    {
        clock.advance(1000);
        focus().catchUp();
    }
};

// The window's picture as it is on the screen, not drawn afresh.
QImage onScreen(QWidget *widget)
{
    QWidget *window = widget->window();
    const QRect area(widget->mapTo(window, QPoint()), widget->size());
    return window->screen()->grabWindow(window->winId()).toImage().copy(area);
}

} // namespace

class TestFocusRing final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // While a session runs, a tick repaints the countdown and, around the ring's end, only as
    // often as the end moves by a visible step: a long session's end, a fraction of a pixel a
    // second, costs a repaint or two; a short one's glides in many small steps. What the
    // partial repaints leave on the screen is the ring drawn whole.
    void tickRepaintsWhatMoves_data()
    {
        QTest::addColumn<bool>("inWindow");
        QTest::addColumn<int>("minutes");
        for (const bool inWindow : { false, true }) {
            const char *surface = inWindow ? "window" : "panel";
            QTest::addRow("%s, 25 minutes", surface) << inWindow << 25;
            QTest::addRow("%s, 1 minute", surface) << inWindow << 1;
        }
    }

    void tickRepaintsWhatMoves()
    {
        QFETCH(bool, inWindow);
        QFETCH(int, minutes);
        Harness h;
        QCOMPARE(h.focus().start(minutes, false), FocusSessionManager::StartResult::Started);
        AnimationClock clock;
        FocusView *view = h.show(inWindow);
        QVERIFY(QTest::qWaitForWindowExposed(view->window()));
        for (int frame = 0; frame < 60; ++frame)
            clock.step(16);
        ActiveFocus *active = view->activeFocus();
        QVERIFY(active && active->isVisible());
        FocusRing *ring = active->ring();
        const QList<ToneLabel *> labels = ring->findChildren<ToneLabel *>();
        QCOMPARE(labels.size(), 3);
        QList<QWidget *> watched { ring };
        for (ToneLabel *label : labels)
            watched << label;
        Paints paints(watched);
        // How far the arc's end moves along the circle, in pixels.
        const auto along
            = [ring](qreal from, qreal to) { return std::abs(to - from) * std::numbers::pi * ring->diameter(); };

        int ringPaints = 0;
        for (int second = 0; second < 3; ++second) {
            h.tick();
            const qreal from = ring->shownProgress();
            const qreal to = ring->progress();
            const int before = paints.counts.value(ring);
            qreal last = from;
            int steps = 0;
            for (int frame = 0; frame < 63; ++frame) {
                clock.step(16);
                const qreal shown = ring->shownProgress();
                // Linear, towards the new end, never by more than a small step at a time.
                QVERIFY(shown <= last && shown >= to);
                QVERIFY2(along(last, shown) < 0.6, qPrintable(QString::number(along(last, shown))));
                steps += shown != last ? 1 : 0;
                last = shown;
                if (frame == 31)
                    QVERIFY(along((from + to) / 2, shown) < 0.6);
            }
            QVERIFY(along(last, to) < 0.25);
            ringPaints += paints.counts.value(ring) - before;
            // A visible glide is drawn in as many steps as it takes; an invisible one not at all.
            if (along(from, to) > 5)
                QVERIFY2(steps >= 20, qPrintable(QString::number(steps)));
            else
                QVERIFY2(steps <= 3, qPrintable(QString::number(steps)));
        }
        if (minutes == 25)
            QVERIFY2(ringPaints <= 3 * 4, qPrintable(QString::number(ringPaints)));
        // The caption and the end time never change; the countdown once a tick.
        for (ToneLabel *label : labels) {
            if (label == active->countdown())
                QVERIFY(paints.counts.value(label) <= 3);
            else
                QCOMPARE(paints.counts.value(label), 0);
        }

        const QImage partial = onScreen(ring);
        ring->repaint();
        QCOMPARE(onScreen(ring), partial);
    }
};

QTEST_MAIN(TestFocusRing)
#include "tst_FocusRing.moc"
