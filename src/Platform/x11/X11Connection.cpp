#include "Platform/x11/X11Connection.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <cstdlib>

void X11Connection::Event::Free::operator()(void *data) const
{
    std::free(data);
}

X11Connection::X11Connection(QObject *parent)
    : QObject(parent)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    m_root = screens.data->root;
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11Connection::eventsWaiting);
}

X11Connection::~X11Connection()
{
    delete m_notifier;
    if (m_connection)
        xcb_disconnect(m_connection);
}

X11Connection::Event X11Connection::nextEvent()
{
    if (!isOpen())
        return Event();
    Event event(xcb_poll_for_event(m_connection));
    if (!event && xcb_connection_has_error(m_connection)) {
        m_broken = true;
        m_notifier->setEnabled(false);
    }
    return event;
}
