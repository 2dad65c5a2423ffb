#include "AnimationClock.h"
#include "App/Tray/PanelAfterimage.h"
#include "App/Tray/TrayPanel.h"
#include "FakeTrayHost.h"
#include "Platform/PanelPlacement.h"
#include "Services/Shell/Surface.h"
#include "TabFixture.h"
#include "TestHome.h"
#include "Views/Focus/FocusView.h"
#include "Views/Shell/PanelContent.h"
#include "Views/Shell/SectionPicker.h"
#include "Views/Shell/TabContent.h"

#include "Screenshots.h"
#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QEasingCurve>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include <memory>

#include <xcb/xcb.h>

namespace {

QRect screenRect()
{
    return QGuiApplication::primaryScreen()->geometry();
}

// A view that takes Escape for itself (as a search field with text does).
class EscapeEater final : public QWidget
{
public:
    using QWidget::QWidget;
    int eaten = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape) {
            ++eaten;
            event->accept();
            return;
        }
        QWidget::keyPressEvent(event);
    }
};

// Every height a widget was given.
class HeightLog final : public QObject
{
public:
    explicit HeightLog(QWidget *widget) { widget->installEventFilter(this); }
    QList<int> heights;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            heights.append(static_cast<QResizeEvent *>(event)->size().height());
        return QObject::eventFilter(watched, event);
    }
};

// The root view: a fixed-width column whose body height the test changes.
struct Root
{
    QWidget *widget = new QWidget;
    QWidget *body = new QWidget(widget);
    EscapeEater *eater = new EscapeEater(widget);

    Root()
    {
        auto *layout = new QVBoxLayout(widget);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(body);
        layout->addWidget(eater);
        widget->setFixedWidth(380);
        body->setFixedHeight(180);
        eater->setFixedHeight(20);
    }
};

// A connection of the test's own to the X server, told of every change of the opacity
// property of the windows it watches, with the server's time of each.
class OpacityWatcher final
{
public:
    OpacityWatcher()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        const char name[] = "_NET_WM_WINDOW_OPACITY";
        xcb_intern_atom_reply_t *reply
            = xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, sizeof(name) - 1, name), nullptr);
        if (reply != nullptr)
            m_atom = reply->atom;
        free(reply);
    }
    ~OpacityWatcher() { xcb_disconnect(m_connection); }
    OpacityWatcher(const OpacityWatcher &) = delete;
    OpacityWatcher &operator=(const OpacityWatcher &) = delete;

    void watch(const QWidget *window)
    {
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(
            m_connection, static_cast<xcb_window_t>(window->windowHandle()->winId()), XCB_CW_EVENT_MASK, &mask);
        free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    // The server's times of the new values set since the watch began.
    QList<quint32> times()
    {
        // A round trip: every change the server made before it has been sent to us.
        free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            const auto *change = reinterpret_cast<const xcb_property_notify_event_t *>(event);
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && change->atom == m_atom
                && change->state == XCB_PROPERTY_NEW_VALUE)
                m_times.append(change->time);
            free(event);
        }
        return m_times;
    }

private:
    xcb_connection_t *m_connection;
    xcb_atom_t m_atom = XCB_NONE;
    QList<quint32> m_times;
};

} // namespace

// The offscreen platform cannot set opacity, masks or grabs and says so on every call.
QtMessageHandler previousHandler = nullptr;

void quietOffscreenWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

class TestTrayPanel final : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        TestHome home; // the desktop's motion setting is read from here
        Root root;
        FakeTrayHost tray;
        std::unique_ptr<TrayPanel> panel;
        int shows = 0;
        int closes = 0;
        int queriesAtFirstShow = -1;

        explicit Fixture(const QRect &icon)
        {
            tray.setGeometry(icon);
            panel = std::make_unique<TrayPanel>(root.widget);
            QObject::connect(panel.get(), &TrayPanel::shown, panel.get(), [this] {
                if (++shows == 1)
                    queriesAtFirstShow = tray.geometryQueries();
            });
            QObject::connect(panel.get(), &TrayPanel::closed, panel.get(), [this] { ++closes; });
        }
        QWidget *window() const { return panel->window(); }
        void showAndSettle()
        {
            panel->show(&tray);
            QTRY_COMPARE(window()->windowOpacity(), 1.0);
        }
    };

    // An icon in a top bar, 100 px left of the screen's right edge.
    static QRect topIcon() { return QRect(screenRect().right() - 111, screenRect().top(), 22, 24); }
    static QRect bottomIcon() { return QRect(screenRect().center().x(), screenRect().bottom() - 29, 22, 30); }

private Q_SLOTS:
    void initTestCase() { previousHandler = qInstallMessageHandler(quietOffscreenWarnings); }

    void showsUnderTheIconAfterFadingIn()
    {
        Fixture f(topIcon());
        f.panel->show(&f.tray);
        QVERIFY(f.panel->isShown());
        QCOMPARE(f.shows, 1);
        QVERIFY(f.window()->isVisible());
        QVERIFY(f.window()->windowOpacity() < 1.0);
        QCOMPARE(f.window()->windowTitle(), QStringLiteral("Vemra"));
        QTRY_COMPARE(f.window()->windowOpacity(), 1.0);
        // 380 wide under an icon whose centre is 100 from the right edge: 388 from that edge.
        const QRect expected(screenRect().right() + 1 - 388, topIcon().bottom() + 1 + 6, 380, 200);
        QCOMPARE(f.window()->geometry(), expected);
    }

    void showsAboveABottomTray()
    {
        Fixture f(bottomIcon());
        f.showAndSettle();
        QCOMPARE(f.window()->geometry().bottom() + 1, bottomIcon().top() - 6);
    }

    // The tray re-lays its icons while the panel is open: the panel follows the icon, and stops
    // following once closed.
    void followsTheIconWhenTheTrayMovesIt()
    {
        Fixture f(topIcon());
        f.showAndSettle();
        const QRect moved = topIcon().translated(-300, 0);
        f.tray.moveTo(moved);
        QTRY_COMPARE(f.window()->geometry().center().x(), moved.center().x());
        QCOMPARE(f.window()->geometry().top(), moved.bottom() + 1 + 6);

        f.panel->close();
        QTRY_VERIFY(!f.window()->isVisible());
        f.tray.moveTo(topIcon());
        QTest::qWait(20);
        QCOMPARE(f.window()->geometry().center().x(), moved.center().x());
    }

    void showWhileShownKeepsPlaceAndCallsOnShowAgain()
    {
        Fixture f(topIcon());
        f.showAndSettle();
        const QRect before = f.window()->geometry();
        f.panel->show(&f.tray);
        QCOMPARE(f.shows, 2);
        QCOMPARE(f.window()->windowOpacity(), 1.0); // no second fade
        QCOMPARE(f.window()->geometry(), before);
        QCOMPARE(f.closes, 0);
    }

    void showWhileShownAtThePointerKeepsTheFirstAnchor()
    {
        // Without a tray the pointer anchors the panel; a later show (a hot key) must not move
        // the anchor, or the next change of height would make the panel jump to the pointer.
        Fixture f { QRect() };
        f.tray.setAvailable(false);
        QCursor::setPos(screenRect().topLeft() + QPoint(300, 10));
        f.showAndSettle();
        const QRect before = f.window()->geometry();
        QCursor::setPos(screenRect().topLeft() + QPoint(500, 10));
        f.panel->show(&f.tray);
        f.panel->setReducesMotion(true);
        f.root.body->setFixedHeight(140);
        f.panel->fitToContent();
        QCOMPARE(f.window()->geometry(), QRect(before.topLeft(), QSize(380, 160)));
    }

    void closeTwiceCallsOnCloseOnce()
    {
        Fixture f(topIcon());
        f.showAndSettle();
        f.panel->close();
        QVERIFY(!f.panel->isShown());
        QCOMPARE(f.closes, 1); // at once, before the fade ends
        f.panel->close();
        QCOMPARE(f.closes, 1);
        QTRY_VERIFY(!f.window()->isVisible());
        f.panel->close();
        QCOMPARE(f.closes, 1);
    }

    // The panel's own menus go with it; a menu open elsewhere goes when the panel comes.
    void menusGoWhenThePanelComesOrGoes()
    {
        Fixture f(topIcon());
        QMenu trayMenu;
        trayMenu.addAction(QStringLiteral("Open Vemra Window"));
        trayMenu.popup(QPoint(100, 100));
        QVERIFY(QTest::qWaitForWindowExposed(&trayMenu));
        f.showAndSettle();
        QVERIFY(!trayMenu.isVisible());

        auto *gearMenu = new QMenu(f.root.widget);
        gearMenu->addAction(QStringLiteral("Settings"));
        gearMenu->popup(QPoint(200, 100));
        QVERIFY(QTest::qWaitForWindowExposed(gearMenu));
        f.panel->close();
        QVERIFY(!gearMenu->isVisible());
    }

    // Shown again while the picture of the last closing fades: the panel comes back, without
    // the picture over it.
    void showDuringTheFadeOutKeepsThePanel()
    {
        Fixture f(topIcon());
        f.panel->setReducesMotion(false);
        f.showAndSettle();
        f.panel->close();
        QVERIFY(f.panel->afterimage()->isFading());
        f.panel->show(&f.tray);
        QVERIFY(f.panel->isShown());
        QVERIFY(!f.panel->afterimage()->showsPicture());
        QTest::qWait(PanelAfterimage::fadeMs + TrayPanel::fadeInMs + 100);
        QVERIFY(f.window()->isVisible());
        QCOMPARE(f.window()->windowOpacity(), 1.0);
        QCOMPARE(f.closes, 1);
        QCOMPARE(f.shows, 2);
    }

    // The toolkit hears of the application's loss of the keyboard a moment late and closes every
    // popup then: a panel shown again within that moment stays; a loss once it is on screen
    // closes it.
    void aLateLossOfTheKeyboardKeepsAPanelJustShown()
    {
        Fixture f(topIcon());
        f.showAndSettle();
        f.panel->close();
        QTRY_VERIFY(!f.window()->isVisible());
        QEvent lost(QEvent::ApplicationDeactivate);
        for (int showing = 1; showing <= 3; ++showing) {
            f.panel->show(&f.tray);
            QCoreApplication::sendEvent(qApp, &lost);
            QVERIFY(f.panel->isShown());
            QVERIFY(f.window()->isVisible());
            QTRY_COMPARE(f.window()->windowOpacity(), 1.0);
            QCoreApplication::sendEvent(qApp, &lost);
            QVERIFY(!f.panel->isShown());
            QVERIFY(!f.window()->isVisible());
            QCOMPARE(f.closes, showing + 1);
        }
    }

    // Closed as it comes on screen: the popup goes at once, and its picture fades out from the
    // panel's opacity of that moment rather than flashing to full.
    void closingDuringTheEntranceFadesFromWhereItWas()
    {
        Fixture f(topIcon());
        f.panel->setReducesMotion(false);
        AnimationClock clock;
        f.panel->show(&f.tray);
        clock.step(TrayPanel::fadeInMs / 2);
        const qreal opacity = f.window()->windowOpacity();
        QVERIFY(opacity > 0 && opacity < 1);
        QTest::keyClick(f.root.body, Qt::Key_Escape);
        QVERIFY(!f.window()->isVisible());
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QCOMPARE(f.panel->afterimage()->windowOpacity(), opacity);
        clock.step(PanelAfterimage::fadeMs / 2);
        QVERIFY(f.panel->afterimage()->windowOpacity() < opacity);
    }

    void escapeClosesUnlessAViewTookIt()
    {
        Fixture f(topIcon());
        f.showAndSettle();
        QTest::keyClick(f.root.eater, Qt::Key_Escape);
        QCOMPARE(f.root.eater->eaten, 1);
        QVERIFY(f.panel->isShown());
        QTest::keyClick(f.root.body, Qt::Key_Escape);
        QVERIFY(!f.panel->isShown());
        QCOMPARE(f.closes, 1);
    }

    void pressOutsideCloses_data()
    {
        QTest::addColumn<bool>("onIcon");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("iconClicks");
        QTest::addColumn<int>("iconMenuClicks");
        QTest::newRow("elsewhere") << false << Qt::LeftButton << Qt::KeyboardModifiers() << 0 << 0;
        QTest::newRow("elsewhere, right") << false << Qt::RightButton << Qt::KeyboardModifiers() << 0 << 0;
        QTest::newRow("click on the icon") << true << Qt::LeftButton << Qt::KeyboardModifiers() << 0 << 0;
        QTest::newRow("right click on the icon") << true << Qt::RightButton << Qt::KeyboardModifiers() << 0 << 1;
        QTest::newRow("control click on the icon")
            << true << Qt::LeftButton << Qt::KeyboardModifiers(Qt::ControlModifier) << 1 << 0;
    }

    void pressOutsideCloses()
    {
        QFETCH(bool, onIcon);
        QFETCH(Qt::MouseButton, button);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, iconClicks);
        QFETCH(int, iconMenuClicks);
        Fixture f(topIcon());
        QSignalSpy clicks(&f.tray, &TrayHost::clicked);
        QSignalSpy menuClicks(&f.tray, &TrayHost::contextClicked);
        f.showAndSettle();
        const QPoint global
            = onIcon ? topIcon().center() : QPoint(screenRect().left() + 20, screenRect().bottom() - 20);
        QTest::mousePress(f.window(), button, modifiers, f.window()->mapFromGlobal(global));
        QVERIFY(!f.panel->isShown());
        QCOMPARE(f.closes, 1);
        QVERIFY(!f.window()->isVisible()); // gone at once, so the press can reach what is under it
        // A plain click on the icon is spent on closing (replayed, it would open the panel again);
        // the clicks that ask for the icon's menu reach the icon once.
        QCOMPARE(f.window()->testAttribute(Qt::WA_NoMouseReplay), onIcon);
        QTest::qWait(20);
        QCOMPARE(clicks.size(), iconClicks);
        QCOMPARE(menuClicks.size(), iconMenuClicks);
        if (iconClicks)
            QCOMPARE(clicks.first().first().value<Qt::KeyboardModifiers>(), Qt::KeyboardModifiers(Qt::ControlModifier));
    }

    // The popup goes at once (the press reaches what lies under it); a picture of it fades out
    // in its place over 0.12 s, and under reduced motion there is none.
    void pressOutsideFadesAPictureOfThePanel_data()
    {
        QTest::addColumn<bool>("reducesMotion");
        QTest::newRow("motion") << false;
        QTest::newRow("reduced motion") << true;
    }

    void pressOutsideFadesAPictureOfThePanel()
    {
        QFETCH(bool, reducesMotion);
        Fixture f(topIcon());
        f.panel->setReducesMotion(reducesMotion);
        f.showAndSettle();
        const QRect frame = f.window()->geometry();
        QElapsedTimer clock;
        clock.start();
        QTest::mousePress(f.window(), Qt::LeftButton, {}, f.window()->mapFromGlobal(screenRect().bottomLeft()));
        QVERIFY(!f.window()->isVisible());
        QWidget *picture = f.panel->afterimage();
        QCOMPARE(picture->isVisible(), !reducesMotion);
        if (reducesMotion)
            return;
        QCOMPARE(picture->geometry(), frame);
        QVERIFY(picture->testAttribute(Qt::WA_TransparentForMouseEvents));
        QTRY_VERIFY(!picture->isVisible());
        QVERIFY(clock.elapsed() >= PanelAfterimage::fadeMs);
        QVERIFY(!f.panel->afterimage()->isFading());

        // Shown again before the picture is gone: no picture over the panel.
        f.showAndSettle();
        QTest::mousePress(f.window(), Qt::LeftButton, {}, f.window()->mapFromGlobal(screenRect().bottomLeft()));
        f.panel->show(&f.tray);
        QVERIFY(!f.panel->afterimage()->showsPicture());
    }

    // Some picture of the panel is on screen in every frame of a closing: the picture is mapped,
    // drawn and in the panel's place before the popup goes, then fades from the panel's opacity
    // over 0.12 s with the default timing curve. Also for a panel shown again during a fade.
    void somePictureShowsInEveryFrameOfAClosing_data()
    {
        QTest::addColumn<bool>("pressOutside");
        QTest::addColumn<bool>("showingAgainFirst");
        QTest::newRow("Escape") << false << false;
        QTest::newRow("press outside") << true << false;
        QTest::newRow("Escape, after a showing during the last fade") << false << true;
    }

    void somePictureShowsInEveryFrameOfAClosing()
    {
        QFETCH(bool, pressOutside);
        QFETCH(bool, showingAgainFirst);
        Fixture f(topIcon());
        f.panel->setReducesMotion(false);
        AnimationClock clock;
        const auto settle = [&clock] {
            for (int frame = 0; frame < 20; ++frame)
                clock.step(16);
        };
        f.panel->show(&f.tray);
        settle();
        PanelAfterimage *picture = f.panel->afterimage();
        if (showingAgainFirst) {
            QTest::keyClick(f.root.body, Qt::Key_Escape);
            clock.step(32);
            f.panel->show(&f.tray);
            QVERIFY(!picture->showsPicture());
            settle();
        }
        QCOMPARE(f.window()->windowOpacity(), 1.0);
        const QRect frame = f.window()->geometry();

        // What shows at the moment the popup goes.
        struct Watch final : QObject
        {
            PanelAfterimage *picture = nullptr;
            int paints = 0;
            bool hidden = false;
            QString atHide = QStringLiteral("the popup never went");
            bool eventFilter(QObject *watched, QEvent *event) override
            {
                if (watched == picture && event->type() == QEvent::Paint)
                    ++paints;
                if (watched != picture && event->type() == QEvent::Hide && !hidden) {
                    hidden = true;
                    atHide = QStringLiteral("shows %1, exposed %2, drawn %3, at %4, %5, opacity %6")
                                 .arg(picture->showsPicture())
                                 .arg(picture->windowHandle() && picture->windowHandle()->isExposed())
                                 .arg(paints > 0)
                                 .arg(picture->geometry().y())
                                 .arg(picture->geometry().height())
                                 .arg(picture->windowOpacity());
                }
                return false;
            }
        } watch;
        watch.picture = picture;
        picture->installEventFilter(&watch);
        f.window()->installEventFilter(&watch);
        if (pressOutside)
            QTest::mousePress(f.window(), Qt::LeftButton, {}, f.window()->mapFromGlobal(screenRect().bottomLeft()));
        else
            QTest::keyClick(f.root.body, Qt::Key_Escape);
        QVERIFY(!f.window()->isVisible());
        const QString expected
            = QStringLiteral("shows 1, exposed 1, drawn 1, at %1, %2, opacity 1").arg(frame.y()).arg(frame.height());
        QCOMPARE(watch.atHide, expected);
        QCOMPARE(picture->geometry(), frame);

        // Frame by frame: on screen until the fade ends, easing as the default curve does (a
        // slow start: the first frame keeps most of it).
        QEasingCurve standard(QEasingCurve::BezierSpline);
        standard.addCubicBezierSegment(QPointF(0.25, 0.1), QPointF(0.25, 1.0), QPointF(1, 1));
        for (int time = 16; time < PanelAfterimage::fadeMs; time += 16) {
            clock.step(16);
            QVERIFY2(picture->showsPicture(), qPrintable(QString::number(time)));
            const qreal wanted = 1 - standard.valueForProgress(qreal(time) / PanelAfterimage::fadeMs);
            QVERIFY2(qAbs(picture->windowOpacity() - wanted) < 0.02,
                qPrintable(QStringLiteral("%1 ms: %2, not %3").arg(time).arg(picture->windowOpacity()).arg(wanted)));
        }
        clock.step(16);
        QVERIFY(!picture->isVisible());
    }

    void waitsForTheIconThenShowsAnyway()
    {
        Fixture f { QRect() };
        f.panel->show(&f.tray);
        QVERIFY(!f.panel->isShown());
        QCOMPARE(f.shows, 0);
        QTRY_VERIFY_WITH_TIMEOUT(f.panel->isShown(), 10000);
        QCOMPARE(f.shows, 1);
        // The first try and forty more, then shown at the fallback place.
        QCOMPARE(f.queriesAtFirstShow, 1 + TrayPanel::maxPlacementChecks);
        QCOMPARE(f.panel->placementChecks(), 0);
    }

    void stopsWaitingOnceTheIconIsPlaced()
    {
        Fixture f { QRect() };
        f.panel->show(&f.tray);
        QTRY_VERIFY(f.panel->placementChecks() >= 2);
        f.tray.setGeometry(topIcon());
        QTRY_VERIFY(f.panel->isShown());
        QVERIFY(f.queriesAtFirstShow < 1 + TrayPanel::maxPlacementChecks);
        QCOMPARE(f.panel->placementChecks(), 0);
        QCOMPARE(f.shows, 1);
        QTRY_COMPARE(f.window()->windowOpacity(), 1.0);
        QCOMPARE(f.window()->geometry().top(), topIcon().bottom() + 1 + 6);
    }

    void closeCancelsAWaitingShow()
    {
        Fixture f { QRect() };
        f.panel->show(&f.tray);
        f.panel->close();
        const int queries = f.tray.geometryQueries();
        QTest::qWait(5 * TrayPanel::placementIntervalMs);
        QCOMPARE(f.tray.geometryQueries(), queries);
        QVERIFY(!f.panel->isShown());
        QCOMPARE(f.closes, 0);
    }

    void showsAtOnceWithoutATrayOrWithAStatusNotifierHost_data()
    {
        QTest::addColumn<bool>("available");
        QTest::addColumn<bool>("statusNotifier");
        QTest::newRow("no tray host") << false << false;
        QTest::newRow("status notifier host") << true << true;
    }

    void showsAtOnceWithoutATrayOrWithAStatusNotifierHost()
    {
        QFETCH(bool, available);
        QFETCH(bool, statusNotifier);
        Fixture f { QRect() };
        f.tray.setAvailable(available);
        f.tray.setStatusNotifier(statusNotifier);
        const QPoint pointer = screenRect().topLeft() + QPoint(300, 10);
        QCursor::setPos(pointer);
        f.panel->show(&f.tray);
        QVERIFY(f.panel->isShown());
        QTRY_COMPARE(f.window()->windowOpacity(), 1.0);
        const QRect expected = PanelPlacement::frame(QSize(380, 200), QRect(QCursor::pos(), QSize(0, 0)), screenRect());
        QCOMPARE(f.window()->geometry(), expected);
    }

    void followsTheContentHeight_data()
    {
        QTest::addColumn<bool>("bottomTray");
        QTest::addColumn<QString>("reduceMotion"); // "", "panel" or "desktop"
        QTest::newRow("top, animated") << false << QString();
        QTest::newRow("top, reduced motion") << false << QStringLiteral("panel");
        QTest::newRow("top, the desktop asks for less motion") << false << QStringLiteral("desktop");
        QTest::newRow("bottom, animated") << true << QString();
    }

    void followsTheContentHeight()
    {
        QFETCH(bool, bottomTray);
        QFETCH(QString, reduceMotion);
        Fixture f(bottomTray ? bottomIcon() : topIcon());
        if (reduceMotion == QLatin1String("panel")) {
            f.panel->setReducesMotion(true);
        } else if (reduceMotion == QLatin1String("desktop")) {
            const QString folder
                = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/gtk-3.0");
            QVERIFY(QDir().mkpath(folder));
            QFile settings(folder + QStringLiteral("/settings.ini"));
            QVERIFY(settings.open(QIODevice::WriteOnly));
            settings.write("[Settings]\ngtk-enable-animations=false\n");
        }
        const bool reduced = !reduceMotion.isEmpty();
        QCOMPARE(f.panel->reducesMotion(), reduced);
        f.showAndSettle();
        const QRect before = f.window()->geometry();

        f.root.body->setFixedHeight(220); // grows by 40
        f.root.widget->layout()->activate();
        f.panel->fitToContent();
        // The height-only change animates unless motion is reduced.
        QCOMPARE(f.window()->geometry() == before, !reduced);
        QTRY_COMPARE(f.window()->height(), 240);
        QCOMPARE(f.window()->x(), before.x());
        if (bottomTray)
            QCOMPARE(f.window()->geometry().bottom(), before.bottom());
        else
            QCOMPARE(f.window()->y(), before.y());
    }

    // While the window grows towards a taller content, the content keeps its height from the
    // top and is cut off at the window's bottom edge rather than squeezed. Content that goes
    // back to the window's height before it has moved keeps the window there.
    void growingContentIsCutOffNotSqueezed()
    {
        Fixture f(topIcon());
        f.panel->setReducesMotion(false);
        f.showAndSettle();
        AnimationClock clock;
        f.root.body->setFixedHeight(220); // grows by 40
        clock.step(0); // the resize starts
        clock.step(70);
        QVERIFY(f.window()->height() > 200 && f.window()->height() < 240);
        QCOMPARE(f.root.widget->geometry(), QRect(0, 0, 380, 240));
        clock.step(TrayPanel::resizeMs);
        QCOMPARE(f.window()->height(), 240);

        // The next resize sets off from where the window is, not from its end.
        HeightLog log(f.window());
        f.root.body->setFixedHeight(260);
        clock.step(0);
        QVERIFY2(!log.heights.contains(280), qPrintable(QString::number(log.heights.size())));
        f.root.body->setFixedHeight(220);
        clock.step(0);
        clock.step(TrayPanel::resizeMs);
        QCOMPARE(f.window()->height(), 240);
        QCOMPARE(f.root.widget->height(), 240);
    }

    void widthChangeJumps()
    {
        Fixture f(QRect(screenRect().center().x(), screenRect().top(), 22, 24));
        f.showAndSettle();
        f.root.widget->setFixedWidth(300);
        f.panel->fitToContent();
        QCOMPARE(f.window()->width(), 300);
        QCOMPARE(f.window()->geometry().center().x(), QRect(screenRect().center().x(), 0, 22, 24).center().x());
    }

    void layoutChangesReachThePanel()
    {
        Fixture f(topIcon());
        f.showAndSettle();
        f.root.body->setFixedHeight(100); // through the layout, with no call from the test
        QTRY_COMPARE(f.window()->height(), 120);
        f.panel->close();
        f.root.body->setFixedHeight(300);
        QTest::qWait(50);
        QCOMPARE(f.window()->height(), 120); // not while hidden
        f.showAndSettle();
        QCOMPARE(f.window()->height(), 320);
    }

    // On a real X server: each step of the picture's fade reaches the server when it is taken,
    // not all of them at its end, whether Escape or a press outside closed the panel.
    void fadeStepsReachTheXServer_data()
    {
        QTest::addColumn<bool>("pressOutside");
        QTest::newRow("Escape") << false;
        QTest::newRow("press outside") << true;
    }

    void fadeStepsReachTheXServer()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
        QFETCH(bool, pressOutside);
        Fixture f(topIcon());
        f.panel->setReducesMotion(false);
        f.showAndSettle();
        QVERIFY(QTest::qWaitForWindowExposed(f.window()));
        QWidget *fading = f.panel->afterimage();

        AnimationClock clock;
        if (pressOutside)
            QTest::mousePress(f.window(), Qt::LeftButton, {}, f.window()->mapFromGlobal(screenRect().bottomLeft()));
        else
            QTest::keyClick(f.root.body, Qt::Key_Escape);
        QVERIFY(!f.panel->isShown());
        // Watched from the first step on, once the picture's window is made.
        OpacityWatcher watcher;
        watcher.watch(fading);
        // Frames of 20 ms, a little apart on the server's clock too.
        for (int frame = 0; frame < 5; ++frame) {
            QVERIFY(fading->isVisible());
            clock.step(20);
            QTest::qWait(20);
        }
        const QList<quint32> times = watcher.times();
        QVERIFY2(times.size() >= 3, qPrintable(QString::number(times.size())));
        QVERIFY2(times.last() - times.first() >= 60, qPrintable(QString::number(times.last() - times.first())));
        clock.step(100);
        QVERIFY(!fading->isVisible());
    }

    // On a real X server (run by the end-to-end suite): typing after a show, with no click and
    // no window manager, lands in the panel's input; Escape and a press elsewhere close it.
    void realKeysAndPressesOnX11()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("needs xdotool");
        const auto xdotool
            = [](const QStringList &arguments) { return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0; };

        TestHome home;
        auto *root = new QWidget;
        root->setFixedWidth(380);
        auto *input = new QLineEdit(root);
        auto *layout = new QVBoxLayout(root);
        layout->addWidget(input);
        FakeTrayHost tray;
        tray.setGeometry(topIcon());
        TrayPanel panel(root);
        connect(&panel, &TrayPanel::shown, input, [input] { input->setFocus(); });
        int closes = 0;
        connect(&panel, &TrayPanel::closed, this, [&closes] { ++closes; });

        panel.show(&tray);
        QVERIFY(QTest::qWaitForWindowExposed(panel.window()));
        QTRY_COMPARE(panel.window()->windowOpacity(), 1.0);
        QVERIFY(xdotool(
            { QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), QStringLiteral("abc") }));
        QTRY_COMPARE(input->text(), QStringLiteral("abc"));

        QVERIFY(xdotool({ QStringLiteral("key"), QStringLiteral("Escape") }));
        QTRY_VERIFY(!panel.isShown());
        QTRY_VERIFY(!panel.window()->isVisible());
        QCOMPARE(closes, 1);

        panel.show(&tray);
        QVERIFY(QTest::qWaitForWindowExposed(panel.window()));
        const QPoint elsewhere = screenRect().bottomLeft() + QPoint(40, -40);
        QVERIFY(xdotool({ QStringLiteral("mousemove"), QString::number(elsewhere.x()), QString::number(elsewhere.y()),
            QStringLiteral("click"), QStringLiteral("1") }));
        QTRY_VERIFY(!panel.isShown());
        QCOMPARE(closes, 2);
    }

    void panelContentFollowsTheSurfaceAndIsPhotographed()
    {
        TestHome home;
        TabFixture f;
        auto *content = new PanelContent(f.environment(), f.surface);
        FakeTrayHost tray;
        tray.setGeometry(topIcon());
        TrayPanel panel(content);
        panel.show(&tray);
        QTRY_COMPARE(panel.window()->windowOpacity(), 1.0);
        QCOMPARE(panel.window()->width(), 380);
        QCOMPARE(content->content()->shownTab(), VemraTab::Todos);

        f.surface.setTab(VemraTab::Focus);
        QCOMPARE(content->content()->shownTab(), VemraTab::Focus);
        QCOMPARE(content->content()->page(VemraTab::Focus), content->focusView());

        QTest::mouseClick(content->sectionPicker()->segment(VemraTab::Clipboard), Qt::LeftButton);
        QCOMPARE(f.surface.tab(), VemraTab::Clipboard);
        QCOMPARE(content->content()->shownTab(), VemraTab::Clipboard);

        Screenshots::save(panel.window(), QStringLiteral("panel"));
    }
};

QTEST_MAIN(TestTrayPanel)
#include "tst_TrayPanel.moc"
