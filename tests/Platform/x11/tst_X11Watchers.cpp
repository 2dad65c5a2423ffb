#include "Platform/x11/X11DesktopWatcher.h"
#include "Platform/x11/X11WindowMoveWatcher.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

// Another X client: a window manager switching desktops, or a tray moving its frames.
class OtherClient final
{
public:
    OtherClient()
        : m_connection(xcb_connect(nullptr, nullptr))
        , m_root(xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root)
    {
    }
    ~OtherClient() { xcb_disconnect(m_connection); }
    OtherClient(const OtherClient &) = delete;
    OtherClient &operator=(const OtherClient &) = delete;

    void setCurrentDesktop(quint32 desktop)
    {
        static constexpr char name[] = "_NET_CURRENT_DESKTOP";
        xcb_intern_atom_reply_t *atom
            = xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, std::strlen(name), name), nullptr);
        xcb_change_property(
            m_connection, XCB_PROP_MODE_REPLACE, m_root, atom->atom, XCB_ATOM_CARDINAL, 32, 1, &desktop);
        std::free(atom);
        xcb_flush(m_connection);
    }

    quint32 window(quint32 parent = 0)
    {
        const quint32 window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, parent ? parent : m_root, 0, 0, 20, 20, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_flush(m_connection);
        return window;
    }

    void move(quint32 window, quint32 x)
    {
        xcb_configure_window(m_connection, window, XCB_CONFIG_WINDOW_X, &x);
        xcb_flush(m_connection);
    }

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_root;
};

} // namespace

// Both watchers listen on an X connection of their own.
class TestX11Watchers final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("needs an X display");
    }

    void aDesktopSwitchIsTold()
    {
        OtherClient manager;
        manager.setCurrentDesktop(0);
        X11DesktopWatcher watcher;
        QVERIFY(watcher.isWatching());
        QSignalSpy switches(&watcher, &X11DesktopWatcher::currentDesktopChanged);
        manager.setCurrentDesktop(1);
        QTRY_COMPARE(switches.size(), 1);
        manager.setCurrentDesktop(2);
        QTRY_COMPARE(switches.size(), 2);
    }

    void aMoveOfAnEnclosingWindowIsTold()
    {
        OtherClient tray;
        const quint32 frame = tray.window();
        const quint32 icon = tray.window(frame);
        X11WindowMoveWatcher watcher;
        watcher.watch(icon);
        QCOMPARE(watcher.watched(), icon);
        QSignalSpy moves(&watcher, &X11WindowMoveWatcher::moved);
        tray.move(frame, 40);
        QTRY_VERIFY(!moves.isEmpty());
    }
};

QTEST_MAIN(TestX11Watchers)
#include "tst_X11Watchers.moc"
