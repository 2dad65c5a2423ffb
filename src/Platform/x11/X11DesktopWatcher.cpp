#include "Platform/x11/X11DesktopWatcher.h"

#include <xcb/xcb.h>

#include <cstdlib>

X11DesktopWatcher::X11DesktopWatcher(QObject *parent)
    : QObject(parent)
{
    xcb_connection_t *connection = m_x.get();
    if (!connection)
        return;
    static constexpr char name[] = "_NET_CURRENT_DESKTOP";
    xcb_intern_atom_reply_t *atom
        = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    if (!atom)
        return;
    m_atom = atom->atom;
    std::free(atom);

    // Event masks are per client, so selecting on the root here does not disturb Qt's own.
    const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, m_x.root(), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    m_desktop = currentDesktop();
    connect(&m_x, &X11Connection::eventsWaiting, this, &X11DesktopWatcher::readEvents);
}

void X11DesktopWatcher::readEvents()
{
    // Reading the property can queue further events, so drain until a pass finds nothing new.
    for (;;) {
        bool touched = false;
        while (const X11Connection::Event event = m_x.nextEvent()) {
            if (event.type() == XCB_PROPERTY_NOTIFY) {
                const auto *notify = event.as<xcb_property_notify_event_t>();
                if (notify->window == m_x.root() && notify->atom == m_atom)
                    touched = true;
            }
        }
        if (!m_x.isOpen() || !touched)
            return;
        // Window managers rewrite the property with the same value; only a real switch counts.
        const std::optional<quint32> desktop = currentDesktop();
        if (desktop != m_desktop) {
            m_desktop = desktop;
            Q_EMIT currentDesktopChanged();
        }
    }
}

std::optional<quint32> X11DesktopWatcher::currentDesktop() const
{
    xcb_connection_t *connection = m_x.get();
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, m_x.root(), m_atom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    std::optional<quint32> desktop;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
        desktop = *static_cast<const quint32 *>(xcb_get_property_value(reply));
    std::free(reply);
    return desktop;
}
