#include "Platform/x11/X11Desktop.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_connection_t *connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(qstrlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QByteArray property(xcb_connection_t *c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 256), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE)
        return {};
    return QByteArray(
        static_cast<const char *>(xcb_get_property_value(reply.get())), xcb_get_property_value_length(reply.get()));
}

xcb_window_t windowProperty(xcb_connection_t *c, xcb_window_t window, xcb_atom_t name)
{
    const QByteArray value = property(c, window, name, XCB_ATOM_WINDOW);
    return value.size() >= 4 ? *reinterpret_cast<const xcb_window_t *>(value.constData()) : xcb_window_t(0);
}

} // namespace

namespace X11Desktop {

QString windowManagerName()
{
    xcb_connection_t *c = connection();
    if (!c)
        return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
    const xcb_window_t wm = windowProperty(c, root, check);
    // A window manager that exited leaves the root's property behind; its own window is gone.
    if (!wm || windowProperty(c, wm, check) != wm)
        return {};
    return QString::fromUtf8(property(c, wm, atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING")));
}

} // namespace X11Desktop
