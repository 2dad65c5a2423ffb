#include "Platform/x11/X11WindowMoveWatcher.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <cstdlib>

X11WindowMoveWatcher::X11WindowMoveWatcher(QObject *parent)
    : QObject(parent)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11WindowMoveWatcher::readEvents);
}

X11WindowMoveWatcher::~X11WindowMoveWatcher()
{
    delete m_notifier;
    if (m_connection)
        xcb_disconnect(m_connection);
}

void X11WindowMoveWatcher::watch(quint32 window)
{
    if (!m_connection || window == m_window)
        return;
    m_window = window;
    selectAncestors();
}

void X11WindowMoveWatcher::selectAncestors()
{
    // Event masks are per client: dropping ours leaves the owners' own selections alone.
    const quint32 none = XCB_EVENT_MASK_NO_EVENT;
    for (const quint32 window : std::as_const(m_selected))
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &none);
    m_selected.clear();

    const quint32 mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    for (quint32 window = m_window; window;) {
        xcb_query_tree_reply_t *tree
            = xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr);
        if (!tree)
            break;
        const quint32 parent = tree->parent;
        const bool isRoot = tree->root == window;
        std::free(tree);
        if (isRoot)
            break;
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
        m_selected << window;
        window = parent;
    }
    xcb_flush(m_connection);
}

void X11WindowMoveWatcher::readEvents()
{
    bool changed = false;
    bool reparented = false;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        switch (event->response_type & 0x7f) {
        case XCB_CONFIGURE_NOTIFY:
            changed = true;
            break;
        case XCB_REPARENT_NOTIFY:
        case XCB_DESTROY_NOTIFY:
            changed = reparented = true;
            break;
        default:
            break;
        }
        std::free(event);
    }
    if (xcb_connection_has_error(m_connection)) {
        // The display went away; stop listening rather than spin on a dead socket.
        m_notifier->setEnabled(false);
        return;
    }
    // A new frame around the window (a tray that restarted) is watched in place of the old one.
    if (reparented)
        selectAncestors();
    if (changed)
        Q_EMIT moved();
}
