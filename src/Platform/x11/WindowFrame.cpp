#include "Platform/WindowFrame.h"

#include "Platform/Logging.h"
#include "Platform/x11/X11Connection.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace {

// The frame the window manager last gave any window of ours, in pixels: a window being shown
// for the first time is placed by it until its own answer comes.
std::optional<QMargins> lastTold;

xcb_atom_t intern(xcb_connection_t *connection, const char *name)
{
    const auto length = static_cast<uint16_t>(qstrlen(name));
    xcb_intern_atom_reply_t *reply
        = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, length, name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

} // namespace

// Our own connection: the frame's property is watched without touching Qt's selection of events
// on the window.
class WindowFrame::X11
{
public:
    X11Connection connection;
    xcb_window_t window = XCB_WINDOW_NONE;
    xcb_atom_t extents = XCB_ATOM_NONE;
    xcb_atom_t request = XCB_ATOM_NONE;

    // The frame in the screen's pixels, once the window manager has set it.
    std::optional<QMargins> told() const
    {
        if (window == XCB_WINDOW_NONE || !connection.isOpen())
            return std::nullopt;
        xcb_connection_t *c = connection.get();
        xcb_get_property_reply_t *reply
            = xcb_get_property_reply(c, xcb_get_property(c, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr);
        std::optional<QMargins> margins;
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 16) {
            const auto *v = static_cast<const quint32 *>(xcb_get_property_value(reply));
            margins = QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3])); // left, right, top, bottom
        }
        std::free(reply);
        if (margins)
            lastTold = margins;
        return margins;
    }

    bool isExtentsNotice(const X11Connection::Event &event) const
    {
        if (event.type() != XCB_PROPERTY_NOTIFY)
            return false;
        const auto *notify = event.as<xcb_property_notify_event_t>();
        return notify->window == window && notify->atom == extents;
    }

    // The window manager lists the request among what it supports.
    bool answersRequests() const
    {
        if (window == XCB_WINDOW_NONE || !connection.isOpen())
            return false;
        xcb_connection_t *c = connection.get();
        const xcb_atom_t supported = intern(c, "_NET_SUPPORTED");
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, connection.root(), supported, XCB_ATOM_ATOM, 0, 1024), nullptr);
        bool found = false;
        if (reply && reply->format == 32) {
            const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
            const int count = xcb_get_property_value_length(reply) / 4;
            found = std::find(atoms, atoms + count, request) != atoms + count;
        }
        std::free(reply);
        return found;
    }

    // Asks the window manager to set the frame it will give the window; the answer comes as a
    // change of the window's property.
    void askFrame() const
    {
        xcb_client_message_event_t message {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = request;
        xcb_connection_t *c = connection.get();
        xcb_send_event(c, 0, connection.root(),
            XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
            reinterpret_cast<const char *>(&message));
        xcb_flush(c);
    }

    void internAtoms()
    {
        extents = intern(connection.get(), "_NET_FRAME_EXTENTS");
        request = intern(connection.get(), "_NET_REQUEST_FRAME_EXTENTS");
    }
};

WindowFrame::WindowFrame(QWindow *window, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_x(std::make_unique<X11>())
{
    xcb_connection_t *c = m_x->connection.get();
    auto *qt = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!c || !qt || !window)
        return;
    // The window was made on Qt's connection: once Qt's queue has reached the server, ours can
    // name it.
    xcb_connection_t *qtConnection = qt->connection();
    std::free(xcb_get_input_focus_reply(qtConnection, xcb_get_input_focus(qtConnection), nullptr));
    m_x->window = static_cast<xcb_window_t>(window->winId());
    m_x->internAtoms();
    // Event masks are per client: ours leaves Qt's selection on the window alone.
    const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_void_cookie_t selected = xcb_change_window_attributes_checked(c, m_x->window, XCB_CW_EVENT_MASK, &mask);
    if (xcb_generic_error_t *error = xcb_request_check(c, selected)) {
        qCWarning(lcX11) << "cannot watch the frame of window" << m_x->window << "error" << error->error_code;
        std::free(error);
        m_x->window = XCB_WINDOW_NONE;
        return;
    }
    connect(&m_x->connection, &X11Connection::eventsWaiting, this, [this] {
        bool touched = false;
        while (const X11Connection::Event event = m_x->connection.nextEvent())
            touched = touched || m_x->isExtentsNotice(event);
        if (touched)
            Q_EMIT changed();
    });
}

WindowFrame::~WindowFrame() = default;

QMargins WindowFrame::margins() const
{
    return inUnits(m_x->told());
}

QMargins WindowFrame::inUnits(const std::optional<QMargins> &pixels) const
{
    if (!pixels)
        return m_window ? m_window->frameMargins() : QMargins();
    // Rounded up, so that a frame kept inside an area in the window's units is inside it on the
    // screen too.
    const qreal ratio = m_window->devicePixelRatio();
    const auto units = [ratio](int value) { return static_cast<int>(std::ceil(value / ratio)); };
    return { units(pixels->left()), units(pixels->top()), units(pixels->right()), units(pixels->bottom()) };
}

QMargins WindowFrame::request()
{
    if (const std::optional<QMargins> told = m_x->told())
        return inUnits(told);
    // The usual frame is known. Asked again, the question would reach the window manager beside
    // the window's mapping, which then may first place the frame where it was not asked to.
    if (lastTold)
        return inUnits(lastTold);
    if (m_x->answersRequests())
        m_x->askFrame();
    // Not waited for: a window manager that is slow or never answers must not hold the
    // interface. The answer arrives as `changed`.
    return margins();
}

void WindowFrame::learnUsualFrame()
{
    if (lastTold)
        return;
    // A window of our own connection's, never shown, stands for the ordinary windows to come. It
    // goes with the connection, once the answer came or after a while without one.
    struct Probe final : QObject
    {
        X11 x;
    };
    auto *probe = new Probe;
    probe->setParent(qApp);
    X11 &x = probe->x;
    xcb_connection_t *c = x.connection.get();
    if (!c || !x.connection.isOpen()) {
        delete probe;
        return;
    }
    x.internAtoms();
    x.window = xcb_generate_id(c);
    const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, x.window, x.connection.root(), 0, 0, 100, 100, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    if (!x.answersRequests()) {
        delete probe;
        return;
    }
    connect(&x.connection, &X11Connection::eventsWaiting, probe, [probe] {
        while (const X11Connection::Event event = probe->x.connection.nextEvent()) {
            if (probe->x.isExtentsNotice(event) && probe->x.told()) {
                probe->deleteLater();
                return;
            }
        }
    });
    x.askFrame();
    QTimer::singleShot(std::chrono::seconds(5), probe, &QObject::deleteLater);
}
