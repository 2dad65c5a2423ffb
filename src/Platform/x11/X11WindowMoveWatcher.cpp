#include "Platform/x11/X11WindowMoveWatcher.h"

#include <xcb/xcb.h>

#include <cstdlib>

X11WindowMoveWatcher::X11WindowMoveWatcher(QObject *parent)
    : QObject(parent)
{
    connect(&m_x, &X11Connection::eventsWaiting, this, &X11WindowMoveWatcher::readEvents);
}

void X11WindowMoveWatcher::watch(quint32 window)
{
    if (!m_x.isOpen() || window == m_window)
        return;
    m_window = window;
    selectAncestors();
}

void X11WindowMoveWatcher::selectAncestors()
{
    xcb_connection_t *connection = m_x.get();
    // Event masks are per client: dropping ours leaves the owners' own selections alone.
    const quint32 none = XCB_EVENT_MASK_NO_EVENT;
    for (const quint32 window : std::as_const(m_selected))
        xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &none);
    m_selected.clear();

    const quint32 mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    for (quint32 window = m_window; window;) {
        xcb_query_tree_reply_t *tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
        if (!tree)
            break;
        const quint32 parent = tree->parent;
        const bool isRoot = tree->root == window;
        std::free(tree);
        if (isRoot)
            break;
        xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
        m_selected << window;
        window = parent;
    }
    xcb_flush(connection);
}

void X11WindowMoveWatcher::readEvents()
{
    bool changed = false;
    bool reparented = false;
    while (const X11Connection::Event event = m_x.nextEvent()) {
        switch (event.type()) {
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
    }
    if (!m_x.isOpen())
        return;
    // A new frame around the window (a tray that restarted) is watched in place of the old one.
    if (reparented)
        selectAncestors();
    if (changed)
        Q_EMIT moved();
}
