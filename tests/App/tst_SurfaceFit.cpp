#include "AnimationClock.h"
#include "App/SettingsWindowController.h"
#include "App/Tray/HostWindow.h"
#include "App/Tray/TrayPanel.h"
#include "AppHarness.h"
#include "ClipboardHistory.h"
#include "Components/Controls/IconButton.h"
#include "Components/Controls/OverflowArea.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Models/Todos/ExportedTodo.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Services/Focus/FocusTabState.h"
#include "Services/Shell/Surface.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Clipboard/ClipboardDetail.h"
#include "Views/Clipboard/ClipboardView.h"
#include "Views/Clipboard/SearchField.h"
#include "Views/Focus/ActiveFocus.h"
#include "Views/Focus/FocusFooter.h"
#include "Views/Focus/FocusView.h"
#include "Views/Focus/SilencingPrompt.h"
#include "Views/Shell/ExpandedWindow.h"
#include "Views/Shell/PanelContent.h"
#include "Views/Shell/SectionPicker.h"
#include "Views/Todos/FooterStatus.h"
#include "Views/Todos/TodoListView.h"
#include "Views/Todos/TodoRow.h"
#include <QAbstractButton>
#include <QResizeEvent>

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryFile>
#include <QTest>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// A screen's available area in the application's units: its pixels over the scale, less the
// tray's 32 pixels at the bottom.
struct Screen
{
    QSize pixels;
    qreal scale;
    QString name() const { return u"%1×%2 at %3"_s.arg(pixels.width()).arg(pixels.height()).arg(scale); }
    QSize area() const
    {
        return { int(std::lround(pixels.width() / scale)),
            int(std::lround(pixels.height() / scale)) - int(std::lround(32 / scale)) };
    }
};

// Every size and scale met; the offscreen platform lays them side by side.
const QList<Screen> &screens()
{
    static const QList<Screen> all = [] {
        QList<Screen> list;
        for (const QSize pixels : { QSize(1366, 768), QSize(1280, 800), QSize(1920, 1080), QSize(2560, 1440) }) {
            for (const qreal scale : { 1.0, 1.25, 1.5, 2.0 })
                list.append({ pixels, scale });
        }
        return list;
    }();
    return all;
}

QScreen *screenNamed(const QString &name)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            return screen;
    }
    return nullptr;
}

// What the user reads of a widget: its rectangle within every parent's, in global coordinates.
QRect shownPart(const QWidget *widget)
{
    QRect part(widget->mapToGlobal(QPoint()), widget->size());
    for (const QWidget *above = widget->parentWidget(); above; above = above->parentWidget()) {
        part &= QRect(above->mapToGlobal(QPoint()), above->size());
        if (above->isWindow())
            break;
    }
    return part;
}

// The clipboard footer's last button.
QWidget *openInWindow(QWidget *view)
{
    const QList<QWidget *> all = view->findChildren<QWidget *>();
    for (QWidget *widget : all) {
        if (widget->accessibleName() == u"Open in window"_s)
            return widget;
    }
    return nullptr;
}

QString describe(const QWidget *widget)
{
    QString text = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->objectName().isEmpty())
        text += u" "_s + widget->objectName();
    if (!widget->accessibleName().isEmpty())
        text += u" \""_s + widget->accessibleName() + u"\""_s;
    const QRect r = shownPart(widget);
    return text + u" at %1,%2 %3×%4"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The controls the user sees: visible widgets with nothing visible inside them (a container
// only holds them), drawn in some part of their window. Layers that draw over everything on
// purpose (the confetti) take no input.
QList<QWidget *> shownControls(QWidget *window)
{
    QList<QWidget *> controls;
    const QList<QWidget *> all = window->findChildren<QWidget *>();
    for (QWidget *widget : all) {
        if (widget->isWindow() || !widget->isVisible() || widget->testAttribute(Qt::WA_TransparentForMouseEvents))
            continue;
        const QList<QWidget *> inside = widget->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        const bool holdsShown
            = std::any_of(inside.cbegin(), inside.cend(), [](const QWidget *child) { return child->isVisible(); });
        if (!holdsShown && !shownPart(widget).isEmpty())
            controls.append(widget);
    }
    return controls;
}

} // namespace

class TestSurfaceFit final : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppHarness> h;
    std::unique_ptr<AnimationClock> clock;
    QPointer<QWidget> shown;

    PanelContent *panel() const { return h->delegate->trayPanel()->window()->findChild<PanelContent *>(); }
    ExpandedWindow *expanded() const
    {
        return h->delegate->window() ? qobject_cast<ExpandedWindow *>(h->delegate->window()->content()) : nullptr;
    }

    // Puts the surface in the row's state on the screen and returns its window, with the parts
    // that must be on screen whole: its header and its footer.
    QWidget *open(const QString &surface, QScreen *screen, QList<QWidget *> &ends)
    {
        const QRect area = screen->availableGeometry();
        const bool running = surface.endsWith(u"running"_s);
        if (surface.startsWith(u"panel"_s)) {
            // The icon at the bottom right, the tray's strut just below the area.
            h->tray.setGeometry(QRect(area.right() - 60, area.bottom() - 21, 22, 22));
            const VemraTab tab = surface.contains(u"todos"_s) ? VemraTab::Todos
                : surface.contains(u"clipboard"_s)            ? VemraTab::Clipboard
                                                              : VemraTab::Focus;
            h->delegate->showTrayPanel(tab);
            PanelContent *content = panel();
            if (running)
                startScrolledDown(content->focusView());
            if (surface.contains(u"question"_s)) {
                content->focusView()->state().start();
                if (!QTest::qWaitFor([content] { return content->focusView()->state().isAskingAboutSilencing(); }))
                    return nullptr;
            }
            ends = { content->sectionPicker() };
            if (tab == VemraTab::Todos)
                ends << content->openInWindowButton() << content->footerStatus();
            else if (tab == VemraTab::Focus)
                ends << content->focusView()->footer();
            else if (!surface.contains(u"preview"_s))
                ends << openInWindow(content->clipboardView());
            // What the user has to read or answer is in view: the countdown, the question.
            if (running)
                ends << content->focusView()->activeFocus()->countdown();
            if (surface.contains(u"question"_s))
                ends << content->focusView()->prompt();
            if (surface.contains(u"preview"_s)) {
                // Its buttons (Delete, Copy) stay on screen under the text.
                content->clipboardState()->preview(h->delegate->environment().clipboard.items().constLast());
                for (int frame = 0; frame < 12; ++frame)
                    clock->step(40);
                const QList<QAbstractButton *> buttons
                    = content->clipboardView()->detail()->findChildren<QAbstractButton *>();
                for (QAbstractButton *button : buttons) {
                    if (button->isVisible() && !button->text().isEmpty())
                        ends << button;
                }
            }
            return h->delegate->trayPanel()->window();
        }
        if (surface.startsWith(u"window"_s)) {
            const VemraTab tab = surface.contains(u"todos"_s) ? VemraTab::Todos
                : surface.contains(u"clipboard"_s)            ? VemraTab::Clipboard
                                                              : VemraTab::Focus;
            h->delegate->showWindow(tab);
            HostWindow *window = h->delegate->window();
            window->hide();
            // As it first shows: made 560×700, then centred on its screen.
            window->setMinimumSize(0, 0);
            window->resize(560, 700);
            window->setScreen(screen);
            window->move(area.topLeft());
            h->delegate->showWindow(tab);
            ExpandedWindow *content = expanded();
            if (running)
                startScrolledDown(content->focusView());
            if (surface.contains(u"custom"_s))
                content->focusView()->state().choose(FocusTabState::choices().constLast());
            ends = { content->sectionPicker() };
            if (tab == VemraTab::Todos)
                ends << content->footerStatus();
            else if (tab == VemraTab::Clipboard)
                ends << content->clipboardView()->searchField();
            if (running)
                ends << content->focusView()->activeFocus()->countdown();
            return window;
        }
        const auto pane = SettingsPanes::all[surface.section(u' ', 1).toInt()];
        h->delegate->showSettings(pane);
        HostWindow *window = h->delegate->settings()->window();
        window->hide();
        window->setScreen(screen);
        window->move(area.topLeft());
        h->delegate->showSettings(pane);
        ends = { h->delegate->settings()->toolbarButtons().constFirst(),
            h->delegate->settings()->toolbarButtons().constLast() };
        return window;
    }

    // A session starts while the start screen is scrolled to its end: the countdown shows.
    void startScrolledDown(FocusView *view)
    {
        for (int frame = 0; frame < 4; ++frame)
            clock->step(40);
        view->middle()->verticalScrollBar()->setValue(view->middle()->verticalScrollBar()->maximum());
        h->delegate->environment().focus.start(25, false);
    }

    void close(QWidget *window)
    {
        h->delegate->closeTrayPanel();
        h->delegate->environment().focus.end();
        PanelContent *content = panel();
        if (content->focusView()->state().isAskingAboutSilencing())
            content->focusView()->state().handleKey({ .key = FocusTabState::Key::Escape });
        if (content->clipboardState()->previewID())
            content->clipboardState()->closePreview();
        if (window != h->delegate->trayPanel()->window())
            window->hide();
        if (ExpandedWindow *other = expanded())
            other->focusView()->state().choose(FocusTabState::choices().constFirst());
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!screenNamed(screens().constFirst().name()))
            QSKIP("needs the offscreen platform with this test's screens");
        clock = std::make_unique<AnimationClock>();
        h = std::make_unique<AppHarness>();
        // The calendar shown over a list, in both containers.
        h->settings.setValue(QString::fromLatin1(PanelContent::calendarKey), true);
        h->settings.setValue(QString::fromLatin1(ExpandedWindow::calendarKey), true);
        h->start();
        TodoStore &todos = h->delegate->environment().todos;
        for (int i = 1; i <= 12; ++i) {
            todos.add(u"Todo number %1 with a longer title"_s.arg(i), std::nullopt);
            clock->step(40);
        }
        ClipboardStore &clipboard = h->delegate->environment().clipboard;
        // The oldest, which the preview row opens: a text longer than the panel's preview.
        clipboard.record(ClipboardHistory::capture(ClipboardKind::Text,
            QStringList(60, u"A long line of copied text that wraps in the preview"_s).join(u'\n'),
            h->clock.now().addDays(-3)));
        for (int i = 1; i <= 12; ++i) {
            clipboard.record(ClipboardHistory::capture(
                ClipboardKind::Text, u"Copied text %1"_s.arg(i), h->clock.now().addSecs(-60 * i)));
        }
        for (int frame = 0; frame < 12; ++frame)
            clock->step(40);
        h->delegate->closeTrayPanel();
    }

    void cleanupTestCase()
    {
        clock.reset();
        h.reset();
    }

    // Every surface in each of its states, on every screen: whole inside the available area, its
    // header and footer shown whole, no control drawn over another.
    void everySurfaceFitsItsScreen_data()
    {
        QTest::addColumn<QString>("surface");
        QTest::addColumn<QString>("screen");
        const QStringList surfaces = { u"panel todos"_s, u"panel clipboard"_s, u"panel clipboard preview"_s,
            u"panel focus"_s, u"panel focus question"_s, u"panel focus running"_s, u"window todos"_s,
            u"window clipboard"_s, u"window focus"_s, u"window focus custom"_s, u"window focus running"_s,
            u"settings 0"_s, u"settings 1"_s, u"settings 2"_s, u"settings 3"_s, u"settings 4"_s };
        for (const QString &surface : surfaces) {
            for (const Screen &screen : screens())
                QTest::addRow("%s, %s", qPrintable(surface), qPrintable(screen.name())) << surface << screen.name();
        }
    }

    void everySurfaceFitsItsScreen()
    {
        QFETCH(QString, surface);
        QFETCH(QString, screen);
        QScreen *target = screenNamed(screen);
        QVERIFY(target);
        const QRect area = target->availableGeometry();
        QList<QWidget *> ends;
        QWidget *window = open(surface, target, ends);
        QVERIFY(window);
        shown = window;
        // Every motion and every request for a new size comes to rest.
        for (int frame = 0; frame < 12; ++frame)
            clock->step(40);

        QVERIFY2(area.contains(window->frameGeometry()),
            qPrintable(u"%1 in %2"_s.arg(describe(window), QDebug::toString(area))));
        for (const QWidget *end : std::as_const(ends)) {
            QVERIFY(end);
            QVERIFY2(end->isVisible() && shownPart(end) == QRect(end->mapToGlobal(QPoint()), end->size()),
                qPrintable(describe(end) + u" is cut"_s));
            QVERIFY2(area.contains(shownPart(end)), qPrintable(describe(end) + u" is off the screen"_s));
        }
        const QList<QWidget *> controls = shownControls(window);
        for (qsizetype i = 0; i < controls.size(); ++i) {
            for (qsizetype j = i + 1; j < controls.size(); ++j) {
                QVERIFY2(!shownPart(controls[i]).intersects(shownPart(controls[j])),
                    qPrintable(describe(controls[i]) + u" over "_s + describe(controls[j])));
            }
        }
    }

    // Where a middle scrolls, the wheel moves it, and each control that Tab reaches in it is
    // brought into view whole.
    void whatTheUserReachesComesIntoView_data()
    {
        QTest::addColumn<QString>("surface");
        QTest::addColumn<QString>("screen");
        QTest::newRow("settings Focus pane") << u"settings 2"_s << u"1366×768 at 1.5"_s;
        QTest::newRow("settings General pane") << u"settings 0"_s << u"1366×768 at 2"_s;
        QTest::newRow("panel, silencing question") << u"panel focus question"_s << u"1366×768 at 2"_s;
        QTest::newRow("panel, calendar and todos") << u"panel todos"_s << u"1366×768 at 2"_s;
        QTest::newRow("window, custom length") << u"window focus custom"_s << u"1366×768 at 1.5"_s;
        QTest::newRow("window, running session") << u"window focus running"_s << u"1280×800 at 2"_s;
    }

    void whatTheUserReachesComesIntoView()
    {
        QFETCH(QString, surface);
        QFETCH(QString, screen);
        QList<QWidget *> ends;
        QWidget *window = open(surface, screenNamed(screen), ends);
        QVERIFY(window);
        shown = window;
        // The offscreen platform loses track of the active window as the surfaces come and go.
        QApplication::setActiveWindow(window);
        QCOMPARE(QApplication::activeWindow(), window);
        for (int frame = 0; frame < 12; ++frame)
            clock->step(40);
        OverflowArea *area = nullptr;
        for (OverflowArea *each : window->findChildren<OverflowArea *>()) {
            if (each->isVisible() && each->overflows())
                area = each;
        }
        QVERIFY2(area, "nothing scrolls");
        QScrollBar *bar = area->verticalScrollBar();

        bar->setValue(0);
        const QPoint middle = area->viewport()->rect().center();
        QWheelEvent wheel(QPointF(middle), area->viewport()->mapToGlobal(QPointF(middle)), {}, QPoint(0, -120),
            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area->viewport(), &wheel);
        QVERIFY(bar->value() > 0);

        bar->setValue(0);
        window->setFocus(Qt::OtherFocusReason);
        int reached = 0;
        for (int press = 0; press < 40 && reached < 12; ++press) {
            QWidget *from = QApplication::focusWidget() ? QApplication::focusWidget() : window;
            QTest::keyClick(from, Qt::Key_Tab);
            QWidget *focused = QApplication::focusWidget();
            if (!focused || !area->widget()->isAncestorOf(focused))
                continue;
            ++reached;
            QVERIFY2(shownPart(focused) == QRect(focused->mapToGlobal(QPoint()), focused->size()),
                qPrintable(describe(focused) + u" is out of view"_s));
        }
        QVERIFY(reached > 0);
    }

    // Made as small as it goes, the window still shows its tab's middle whole where the screen
    // has the room for it, and is then never smaller than that; else it takes the room, and the
    // middle scrolls.
    void theWindowKeepsWhatItShowsWhereItFits_data()
    {
        QTest::addColumn<QString>("surface");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("fits");
        QTest::newRow("calendar and todos, large screen") << u"window todos"_s << u"2560×1440 at 1"_s << true;
        QTest::newRow("calendar and todos, small screen") << u"window todos"_s << u"1366×768 at 1.5"_s << false;
        QTest::newRow("running session, large screen") << u"window focus running"_s << u"1920×1080 at 1"_s << true;
        QTest::newRow("running session, small screen") << u"window focus running"_s << u"1280×800 at 2"_s << false;
    }

    void theWindowKeepsWhatItShowsWhereItFits()
    {
        QFETCH(QString, surface);
        QFETCH(QString, screen);
        QFETCH(bool, fits);
        QList<QWidget *> ends;
        auto *window = qobject_cast<HostWindow *>(open(surface, screenNamed(screen), ends));
        QVERIFY(window);
        shown = window;
        for (int frame = 0; frame < 12; ++frame)
            clock->step(40);
        // As the user drags it smaller.
        window->resize(ExpandedWindow::smallestSize);
        for (int frame = 0; frame < 4; ++frame)
            clock->step(40);

        const OverflowArea *middle
            = surface.contains(u"todos"_s) ? expanded()->todosView()->middle() : expanded()->focusView()->middle();
        QCOMPARE(window->height(), window->minimumHeight());
        QCOMPARE(middle->overflows(), !fits);
        if (fits)
            QVERIFY2(window->height() > ExpandedWindow::smallestSize.height(), qPrintable(describe(window)));
        else
            QCOMPARE(window->height(), window->room().height());
    }

    // The window's size is its own. A switch of tab or of the calendar card makes it no larger
    // than what it then shows needs, at no step of the motion, and once back where it started it
    // is the size it started at: what it grew by for a part it no longer shows is gone.
    void theWindowKeepsItsOwnSize_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("todos");
        QTest::addColumn<bool>("calendar");
        QTest::addColumn<QStringList>("steps");
        const QString large = u"1920×1080 at 1"_s;
        const QString small = u"1366×768 at 1"_s;
        const QSize made(560, 700);
        const QSize least = ExpandedWindow::smallestSize;
        const QStringList focusAndBack = { u"focus"_s, u"todos"_s };
        const QStringList allTabs = { u"focus"_s, u"clipboard"_s, u"todos"_s, u"clipboard"_s, u"todos"_s };
        const QStringList card = { u"calendar on"_s, u"calendar off"_s };
        const QStringList cardAndTabs
            = { u"calendar on"_s, u"focus"_s, u"todos"_s, u"calendar off"_s, u"focus"_s, u"todos"_s };
        QTest::newRow("made, three todos, focus and back") << large << made << 3 << false << focusAndBack;
        QTest::newRow("made, no todos, focus and back") << large << made << 0 << false << focusAndBack;
        QTest::newRow("made, three todos, every tab, short screen") << small << made << 3 << false << allTabs;
        QTest::newRow("made, calendar on and off") << large << made << 3 << false << card;
        QTest::newRow("made, calendar and tabs, short screen") << small << made << 12 << false << cardAndTabs;
        QTest::newRow("least, calendar on and off") << large << least << 3 << false << card;
        QTest::newRow("least, calendar on and off, no todos") << large << least << 0 << false << card;
        QTest::newRow("least, calendar and tabs") << large << least << 3 << false << cardAndTabs;
        QTest::newRow("least, under the calendar, every tab") << large << least << 12 << true << allTabs;
        QTest::newRow("least, calendar on and off, short screen") << small << least << 3 << false << card;
    }

    void theWindowKeepsItsOwnSize()
    {
        QFETCH(QString, screen);
        QFETCH(QSize, size);
        QFETCH(int, todos);
        QFETCH(bool, calendar);
        QFETCH(QStringList, steps);
        TodoStore &store = h->delegate->environment().todos;
        QList<QUuid> ids;
        for (const Todo &todo : store.allTodos())
            ids.append(todo.id);
        store.remove(ids);
        for (int i = 1; i <= todos; ++i)
            store.add(u"Todo number %1"_s.arg(i), std::nullopt);
        QList<QWidget *> ends;
        auto *window = qobject_cast<HostWindow *>(open(u"window todos"_s, screenNamed(screen), ends));
        QVERIFY(window);
        shown = window;
        ExpandedWindow *content = expanded();
        content->todosState()->setShowsCalendar(calendar);
        for (int frame = 0; frame < 12; ++frame)
            clock->step(40);
        window->resize(size);
        for (int frame = 0; frame < 4; ++frame)
            clock->step(40);
        // Its own size: the one asked for, or its least if that is larger.
        const QRect start = window->geometry();
        const QSize given = start.size();

        // Every size the window takes, not only those a frame shows.
        QList<QSize> sizes;
        struct Watch final : QObject
        {
            QList<QSize> &sizes;
            explicit Watch(QList<QSize> &into)
                : sizes(into)
            {
            }
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Resize)
                    sizes.append(static_cast<QResizeEvent *>(event)->size());
                return false;
            }
        } watch(sizes);
        window->installEventFilter(&watch);
        Surface &surface = h->delegate->windowSurface();
        for (const QString &step : std::as_const(steps)) {
            const QSize before = window->size();
            sizes.clear();
            if (step.startsWith(u"calendar"_s))
                content->todosState()->setShowsCalendar(step.endsWith(u"on"_s));
            else
                surface.setTab(step == u"todos"_s ? VemraTab::Todos
                        : step == u"focus"_s      ? VemraTab::Focus
                                                  : VemraTab::Clipboard);
            for (int frame = 0; frame < 15; ++frame)
                clock->step(20);
            // At rest: its own size, or larger only as far as what it shows needs, and then
            // with all of that in view where the screen has the room.
            const QSize after = window->size();
            const QString where
                = u"%1 after %2: %3×%4"_s.arg(describe(window), step).arg(after.width()).arg(after.height());
            QVERIFY2(after == given.expandedTo(window->minimumSize()), qPrintable(where));
            for (const OverflowArea *middle : { content->todosView()->middle(), content->focusView()->middle() }) {
                if (middle->isVisible() && middle->overflows())
                    QVERIFY2(after.height() == window->room().height(), qPrintable(where));
            }
            for (const QSize &met : std::as_const(sizes)) {
                QVERIFY2(met.boundedTo(before.expandedTo(after)) == met,
                    qPrintable(where + u", on the way %1×%2"_s.arg(met.width()).arg(met.height())));
            }
        }
        window->removeEventFilter(&watch);
        QCOMPARE(window->geometry(), start);
    }

    // A middle that scrolls opens at its top, the first time and after it was left scrolled.
    void aScrollingMiddleOpensAtItsTop_data()
    {
        QTest::addColumn<QString>("surface");
        QTest::addColumn<QString>("screen");
        QTest::newRow("window focus, short screen at 1.5") << u"window focus"_s << u"1366×768 at 1.5"_s;
        QTest::newRow("window todos, short screen at 2") << u"window todos"_s << u"1366×768 at 2"_s;
        QTest::newRow("panel todos, short screen at 1.5") << u"panel todos"_s << u"1366×768 at 1.5"_s;
        QTest::newRow("panel focus, short screen at 2") << u"panel focus"_s << u"1366×768 at 2"_s;
    }

    void aScrollingMiddleOpensAtItsTop()
    {
        QFETCH(QString, surface);
        QFETCH(QString, screen);
        for (int opening = 0; opening < 2; ++opening) {
            QList<QWidget *> ends;
            QWidget *window = open(surface, screenNamed(screen), ends);
            QVERIFY(window);
            shown = window;
            // As the window manager hands it the keyboard.
            QApplication::setActiveWindow(window);
            for (int frame = 0; frame < 12; ++frame)
                clock->step(40);
            OverflowArea *middle = nullptr;
            for (OverflowArea *each : window->findChildren<OverflowArea *>()) {
                if (each->isVisible() && each->overflows())
                    middle = each;
            }
            QVERIFY2(middle, "nothing scrolls");
            QCOMPARE(middle->verticalScrollBar()->value(), 0);
            // Left scrolled down, then closed.
            middle->verticalScrollBar()->setValue(middle->verticalScrollBar()->maximum());
            close(window);
        }
    }

    // Where the surface is short, the todos' middle and the list inside it show one scroll bar
    // between them, and scrolling (the wheel over the list among others) reaches every todo,
    // whose row is still made only near what is shown.
    void oneScrollBarReachesEveryTodo_data()
    {
        QTest::addColumn<QString>("surface");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("calendar");
        QTest::addColumn<int>("todos");
        const QString short15 = u"1366×768 at 1.5"_s;
        const QString short2 = u"1366×768 at 2"_s;
        QTest::newRow("panel, calendar, 12 todos, at 1.5") << u"panel todos"_s << short15 << true << 12;
        QTest::newRow("panel, calendar, 12 todos, at 2") << u"panel todos"_s << short2 << true << 12;
        QTest::newRow("panel, calendar, 2 todos, at 2") << u"panel todos"_s << short2 << true << 2;
        QTest::newRow("panel, calendar, 300 todos, at 2") << u"panel todos"_s << short2 << true << 300;
        QTest::newRow("panel, no calendar, 40 todos, at 1.5") << u"panel todos"_s << short15 << false << 40;
        QTest::newRow("panel, no calendar, 40 todos, at 2") << u"panel todos"_s << short2 << false << 40;
        QTest::newRow("panel, calendar, 40 todos, roomy") << u"panel todos"_s << u"1920×1080 at 1"_s << true << 40;
        QTest::newRow("window, calendar, 12 todos, at 2") << u"window todos"_s << short2 << true << 12;
        QTest::newRow("window, calendar, 300 todos, at 1.5") << u"window todos"_s << short15 << true << 300;
        QTest::newRow("window, calendar, 1 todo, at 2") << u"window todos"_s << short2 << true << 1;
        QTest::newRow("window, no calendar, 40 todos, at 1.5") << u"window todos"_s << short15 << false << 40;
    }

    void oneScrollBarReachesEveryTodo()
    {
        QFETCH(QString, surface);
        QFETCH(QString, screen);
        QFETCH(bool, calendar);
        QFETCH(int, todos);
        TodoStore &store = h->delegate->environment().todos;
        QList<QUuid> ids;
        for (const Todo &todo : store.allTodos())
            ids.append(todo.id);
        store.remove(ids);
        QList<ExportedTodo> imported;
        for (int i = 1; i <= todos; ++i)
            imported.append({ QUuid::createUuid(), u"Todo number %1 with a longer title"_s.arg(i), false,
                h->clock.now().addSecs(-i), {}, {}, {}, {} });
        QVERIFY(store.insertImported(imported));
        const bool panelRow = surface.startsWith(u"panel"_s);
        h->settings.setValue(
            QString::fromLatin1(panelRow ? PanelContent::calendarKey : ExpandedWindow::calendarKey), calendar);
        QList<QWidget *> ends;
        QWidget *window = open(surface, screenNamed(screen), ends);
        QVERIFY(window);
        shown = window;
        SurfaceFrame *frame = panelRow ? static_cast<SurfaceFrame *>(panel()) : expanded();
        frame->todosState()->setShowsCalendar(calendar);
        for (int frameStep = 0; frameStep < 12; ++frameStep)
            clock->step(40);

        OverflowArea *middle = frame->todosView()->middle();
        TodoListView *list = frame->todosView()->list();
        QVERIFY(list->isVisible());
        // One of the two scrolls, and that one alone shows a bar (a list too short for one still
        // scrolls by the wheel).
        QList<QScrollBar *> bars;
        int shownBars = 0;
        for (QScrollBar *bar : { middle->verticalScrollBar(), list->scrollArea()->verticalScrollBar() }) {
            shownBars += bar->isVisible() ? 1 : 0;
            if (bar->maximum() > 0)
                bars.append(bar);
        }
        QVERIFY2(bars.size() <= 1 && shownBars <= 1,
            qPrintable(
                u"%1 scroll, %2 bars shown, the list %3 high"_s.arg(bars.size()).arg(shownBars).arg(list->height())));

        // Every todo shown whole at some point as the one that scrolls goes from top to bottom.
        QSet<QUuid> reached;
        int mostMade = 0;
        const auto collect = [&] {
            mostMade = qMax(mostMade, list->madeRowCount());
            for (const Todo &todo : list->rows()) {
                const TodoRow *row = list->row(todo.id);
                if (row && row->isVisible() && shownPart(row) == QRect(row->mapToGlobal(QPoint()), row->size()))
                    reached.insert(todo.id);
            }
        };
        collect();
        if (!bars.isEmpty()) {
            QScrollBar *bar = bars.constFirst();
            // The wheel over the list, as the window system gives it, moves the one that scrolls.
            // At the end of its way the list's last rows are in view.
            bar->setValue(bar->maximum());
            QWidget *viewport = list->scrollArea()->viewport();
            const QPoint over = shownPart(viewport).center();
            QWheelEvent wheel(QPointF(viewport->mapFromGlobal(over)), QPointF(over), {}, QPoint(0, 120), Qt::NoButton,
                Qt::NoModifier, Qt::NoScrollPhase, false);
            // Only the window system's wheel goes on to the parents of a widget that has no use for
            // it; sendEvent would take that away.
            QSpontaneKeyEvent::setSpontaneous(&wheel);
            qApp->notify(viewport, &wheel);
            QVERIFY2(bar->value() < bar->maximum(), "the wheel over the list scrolls nothing");
            for (int value = 0; value <= bar->maximum() + 20; value += 20) {
                bar->setValue(value);
                collect();
            }
        }
        QCOMPARE(reached.size(), qsizetype(todos));
        QVERIFY2(mostMade < 60, qPrintable(u"%1 rows made"_s.arg(mostMade)));

        // The arrows select a row where it lies out of view: it is scrolled into view.
        for (QScrollBar *bar : std::as_const(bars))
            bar->setValue(0);
        const Todo last = list->rows().constLast();
        frame->todosState()->setSelection(last.id);
        for (int frameStep = 0; frameStep < 8; ++frameStep)
            clock->step(40);
        const TodoRow *selected = list->row(last.id);
        QVERIFY(selected);
        QCOMPARE(shownPart(selected), QRect(selected->mapToGlobal(QPoint()), selected->size()));
        frame->todosState()->setSelection(std::nullopt);
    }

    void cleanup()
    {
        if (shown)
            close(shown);
        shown = nullptr;
    }
};

int main(int argc, char **argv)
{
    // The offscreen platform takes its screens from a file.
    QTemporaryFile config;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && config.open()) {
        QStringList described;
        int x = 0;
        for (const Screen &screen : screens()) {
            const QSize area = screen.area();
            described << QStringLiteral(
                R"({"name": "%1", "x": %2, "y": 0, "width": %3, "height": %4, "logicalDpi": 96})")
                             .arg(screen.name())
                             .arg(x)
                             .arg(area.width())
                             .arg(area.height());
            x += area.width();
        }
        config.write((u"{\"screens\": ["_s + described.join(u", "_s) + u"]}"_s).toUtf8());
        config.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    }
    QApplication app(argc, argv);
    TestSurfaceFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SurfaceFit.moc"
