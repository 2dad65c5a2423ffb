#include "Platform/x11/X11FrontApp.h"

#include "Platform/linux/DesktopEntryIndex.h"
#include "Platform/x11/Xcb.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

XcbReply<xcb_get_property_reply_t> property(
    xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type, uint32_t length)
{
    XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, name, type, 0, length), nullptr));
    if (reply && (reply->type == XCB_ATOM_NONE || xcb_get_property_value_length(reply.get()) <= 0))
        reply.reset();
    return reply;
}

uint32_t cardinal(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    const auto reply = property(connection, window, name, type, 1);
    if (!reply || xcb_get_property_value_length(reply.get()) < 4)
        return 0;
    return *static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
}

} // namespace

X11FrontApp::X11FrontApp() = default;
X11FrontApp::~X11FrontApp() = default;

FrontApplication X11FrontApp::current() const
{
    xcb_connection_t *connection = qtConnection();
    if (!connection)
        return {};
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return {};
    const xcb_window_t root = screen->root;

    // A window manager that exits leaves its root properties behind: trust them only while
    // its check window still exists and points at itself.
    const xcb_atom_t supportingCheck = internAtom(connection, "_NET_SUPPORTING_WM_CHECK");
    const xcb_window_t check = cardinal(connection, root, supportingCheck, XCB_ATOM_WINDOW);
    if (!check || cardinal(connection, check, supportingCheck, XCB_ATOM_WINDOW) != check)
        return {};
    const xcb_window_t active
        = cardinal(connection, root, internAtom(connection, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    if (!active)
        return {};

    QString instance, windowClass;
    if (const auto reply = property(connection, active, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 256)) {
        const QByteArray raw(
            static_cast<const char *>(xcb_get_property_value(reply.get())), xcb_get_property_value_length(reply.get()));
        const QList<QByteArray> parts = raw.split('\0');
        instance = QString::fromLocal8Bit(parts.value(0));
        windowClass = QString::fromLocal8Bit(parts.value(1));
    }
    QString executable;
    if (const uint32_t pid = cardinal(connection, active, internAtom(connection, "_NET_WM_PID"), XCB_ATOM_CARDINAL))
        executable = QFileInfo(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget()).fileName();

    if (!m_entries)
        m_entries = std::make_unique<DesktopEntryIndex>(QLocale::system().name());
    FrontApplication app;
    for (const QString &alias : { instance, windowClass, executable }) {
        if (!alias.isEmpty() && !app.aliases.contains(alias))
            app.aliases.append(alias);
    }
    if (const DesktopEntryIndex::Entry *entry = m_entries->find(instance, windowClass, executable)) {
        app.appId = entry->id;
        app.name = entry->name;
        app.aliases.prepend(entry->id);
    } else {
        app.appId = windowClass.isEmpty() ? instance : windowClass;
        app.name = app.appId;
    }
    return app;
}
