#include "Platform/x11/X11Desktop.h"

#include <QGuiApplication>
#include <QImage>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_connection_t *connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(qstrlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QByteArray property(xcb_connection_t *c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 256), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE)
        return {};
    return QByteArray(
        static_cast<const char *>(xcb_get_property_value(reply.get())), xcb_get_property_value_length(reply.get()));
}

xcb_window_t windowProperty(xcb_connection_t *c, xcb_window_t window, xcb_atom_t name)
{
    const QByteArray value = property(c, window, name, XCB_ATOM_WINDOW);
    return value.size() >= 4 ? *reinterpret_cast<const xcb_window_t *>(value.constData()) : xcb_window_t(0);
}

} // namespace

namespace X11Desktop {

QString windowManagerName()
{
    xcb_connection_t *c = connection();
    if (!c)
        return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
    const xcb_window_t wm = windowProperty(c, root, check);
    // A window manager that exited leaves the root's property behind; its own window is gone.
    if (!wm || windowProperty(c, wm, check) != wm)
        return {};
    return QString::fromUtf8(property(c, wm, atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING")));
}

std::optional<QColor> trayForeground()
{
    xcb_connection_t *c = connection();
    if (!c)
        return std::nullopt;
    const Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom(c, "_NET_SYSTEM_TRAY_S0")), nullptr));
    if (!owner || !owner->owner)
        return std::nullopt;
    // Twelve cardinals: foreground, error, warning and success, each red, green, blue in 0…65535.
    const QByteArray colours = property(c, owner->owner, atom(c, "_NET_SYSTEM_TRAY_COLORS"), XCB_ATOM_CARDINAL);
    if (colours.size() < 12)
        return std::nullopt;
    const auto *values = reinterpret_cast<const quint32 *>(colours.constData());
    return QColor::fromRgba64(quint16(values[0]), quint16(values[1]), quint16(values[2]));
}

std::optional<QColor> colourAround(const QRect &icon)
{
    xcb_connection_t *c = connection();
    if (!c || icon.isEmpty())
        return std::nullopt;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const QRect area
        = icon.adjusted(-2, -2, 2, 2).intersected(QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels));
    if (area.isEmpty() || screen->root_depth < 24)
        return std::nullopt;
    const Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, qint16(area.x()), qint16(area.y()),
            quint16(area.width()), quint16(area.height()), ~0u),
        nullptr));
    if (!image || xcb_get_image_data_length(image.get()) < area.width() * area.height() * 4)
        return std::nullopt;
    const QImage pixels(xcb_get_image_data(image.get()), area.width(), area.height(), QImage::Format_RGB32);
    qint64 red = 0, green = 0, blue = 0, count = 0;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            if (icon.contains(area.topLeft() + QPoint(x, y)))
                continue;
            const QRgb pixel = pixels.pixel(x, y);
            red += qRed(pixel);
            green += qGreen(pixel);
            blue += qBlue(pixel);
            ++count;
        }
    }
    if (count == 0)
        return std::nullopt;
    return QColor(int(red / count), int(green / count), int(blue / count));
}

} // namespace X11Desktop
