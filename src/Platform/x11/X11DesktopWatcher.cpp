#include "Platform/x11/X11DesktopWatcher.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <cstdlib>

X11DesktopWatcher::X11DesktopWatcher(QObject *parent)
    : QObject(parent)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    if (!screens.rem) {
        xcb_disconnect(connection);
        return;
    }
    static constexpr char name[] = "_NET_CURRENT_DESKTOP";
    xcb_intern_atom_reply_t *atom
        = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    if (!atom) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    m_root = screens.data->root;
    m_atom = atom->atom;
    std::free(atom);

    // Event masks are per client, so selecting on the root here does not disturb Qt's own.
    const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_connection);
    m_desktop = currentDesktop();

    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11DesktopWatcher::readEvents);
}

X11DesktopWatcher::~X11DesktopWatcher()
{
    delete m_notifier;
    if (m_connection)
        xcb_disconnect(m_connection);
}

void X11DesktopWatcher::readEvents()
{
    // Reading the property can queue further events, so drain until a pass finds nothing new.
    for (;;) {
        bool touched = false;
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                const auto *notify = reinterpret_cast<xcb_property_notify_event_t *>(event);
                if (notify->window == m_root && notify->atom == m_atom)
                    touched = true;
            }
            std::free(event);
        }
        if (xcb_connection_has_error(m_connection)) {
            // The display went away; stop listening rather than spin on a dead socket.
            m_notifier->setEnabled(false);
            return;
        }
        if (!touched)
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
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, m_root, m_atom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    std::optional<quint32> desktop;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
        desktop = *static_cast<const quint32 *>(xcb_get_property_value(reply));
    std::free(reply);
    return desktop;
}
