#include "Platform/DesktopCompositor.h"

#include "Platform/x11/Xcb.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace DesktopCompositor {

bool isActive()
{
    xcb_connection_t *c = qtConnection();
    if (!c)
        return false;
    // A compositing manager owns the selection _NET_WM_CM_S<screen>; Qt's connection uses screen 0.
    static const char name[] = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof(name) - 1, name), nullptr);
    if (!atom)
        return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t *owner
        = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    if (!owner)
        return false;
    const bool active = owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return active;
}

} // namespace DesktopCompositor
