#pragma once

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

// What the users of Qt's own X connection share: its connection, replies freed as xcb asks, and
// atoms by name.

// Qt's connection to the display; null when the application does not run on X, or runs without
// a display at all (a QCoreApplication, which qGuiApp would wrongly cast).
inline xcb_connection_t *qtConnection()
{
    auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    auto *x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

struct XcbFree
{
    void operator()(void *reply) const { std::free(reply); }
};
// A reply of the server's, which xcb hands over to be freed with free().
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

// The atom named `name`, made if the server has none yet; none when the server does not answer.
inline xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}
