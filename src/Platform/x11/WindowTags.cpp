#include "Platform/WindowTags.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

namespace {

xcb_connection_t *connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

void setString(QWindow *window, const char *name, const QString &value)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    const auto len = static_cast<uint16_t>(qstrlen(name));
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, len, name), nullptr);
    if (!atom)
        return;
    const QByteArray utf8 = value.toUtf8();
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()), atom->atom,
        XCB_ATOM_STRING, 8, static_cast<uint32_t>(utf8.size()), utf8.constData());
    xcb_flush(c);
    free(atom);
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
