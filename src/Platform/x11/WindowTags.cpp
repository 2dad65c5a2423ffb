#include "Platform/WindowTags.h"

#include "Platform/x11/Xcb.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

namespace {

void setString(QWindow *window, const char *name, const QString &value)
{
    xcb_connection_t *c = qtConnection();
    if (!c || !window)
        return;
    const xcb_atom_t atom = internAtom(c, name);
    if (atom == XCB_ATOM_NONE)
        return;
    const QByteArray utf8 = value.toUtf8();
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()), atom, XCB_ATOM_STRING, 8,
        static_cast<uint32_t>(utf8.size()), utf8.constData());
    xcb_flush(c);
}

} // namespace

namespace WindowTags {

void setSurface(QWindow *window, const QString &surface)
{
    setString(window, "_VEMRA_SURFACE", surface);
}

void setTab(QWindow *window, const QString &tab)
{
    setString(window, "_VEMRA_TAB", tab);
}

} // namespace WindowTags
