#include "Platform/x11/X11Desktop.h"

#include "Platform/x11/Xcb.h"

#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QList>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

QByteArray property(xcb_connection_t *c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    const XcbReply<xcb_get_property_reply_t> reply(
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

// The pixels of the root window in `area`, which must lie on the screen.
std::optional<QImage> rootPixels(xcb_connection_t *c, const QRect &area)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (area.isEmpty() || screen->root_depth < 24)
        return std::nullopt;
    const XcbReply<xcb_get_image_reply_t> image(xcb_get_image_reply(c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, qint16(area.x()), qint16(area.y()),
            quint16(area.width()), quint16(area.height()), ~0u),
        nullptr));
    if (!image || xcb_get_image_data_length(image.get()) < area.width() * area.height() * 4)
        return std::nullopt;
    return QImage(xcb_get_image_data(image.get()), area.width(), area.height(), QImage::Format_RGB32).copy();
}

QRect screenRect(xcb_connection_t *c)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    return { 0, 0, screen->width_in_pixels, screen->height_in_pixels };
}

// The top-level windows: the window manager's list of clients, else the root's children.
QList<xcb_window_t> topLevelWindows(xcb_connection_t *c)
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const QByteArray clients = property(c, root, internAtom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    QList<xcb_window_t> windows;
    if (!clients.isEmpty()) {
        const auto *ids = reinterpret_cast<const xcb_window_t *>(clients.constData());
        windows = QList<xcb_window_t>(ids, ids + clients.size() / qsizetype(sizeof(xcb_window_t)));
        return windows;
    }
    const XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
    if (!tree)
        return windows;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    windows = QList<xcb_window_t>(children, children + xcb_query_tree_children_length(tree.get()));
    return windows;
}

bool isViewable(xcb_connection_t *c, xcb_window_t window)
{
    const XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

} // namespace

namespace X11Desktop {

QString windowManagerName()
{
    xcb_connection_t *c = qtConnection();
    if (!c)
        return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t check = internAtom(c, "_NET_SUPPORTING_WM_CHECK");
    const xcb_window_t wm = windowProperty(c, root, check);
    // A window manager that exited leaves the root's property behind; its own window is gone.
    if (!wm || windowProperty(c, wm, check) != wm)
        return {};
    return QString::fromUtf8(property(c, wm, internAtom(c, "_NET_WM_NAME"), internAtom(c, "UTF8_STRING")));
}

std::optional<QColor> trayForeground()
{
    xcb_connection_t *c = qtConnection();
    if (!c)
        return std::nullopt;
    const XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, internAtom(c, "_NET_SYSTEM_TRAY_S0")), nullptr));
    if (!owner || !owner->owner)
        return std::nullopt;
    // Twelve cardinals: foreground, error, warning and success, each red, green, blue in 0…65535.
    const QByteArray colours = property(c, owner->owner, internAtom(c, "_NET_SYSTEM_TRAY_COLORS"), XCB_ATOM_CARDINAL);
    if (colours.size() < 12)
        return std::nullopt;
    const auto *values = reinterpret_cast<const quint32 *>(colours.constData());
    return QColor::fromRgba64(quint16(values[0]), quint16(values[1]), quint16(values[2]));
}

std::optional<QColor> colourAround(const QRect &icon)
{
    xcb_connection_t *c = qtConnection();
    if (!c || icon.isEmpty())
        return std::nullopt;
    const QRect area = icon.adjusted(-2, -2, 2, 2).intersected(screenRect(c));
    const std::optional<QImage> pixels = rootPixels(c, area);
    if (!pixels)
        return std::nullopt;
    qint64 red = 0, green = 0, blue = 0, count = 0;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            if (icon.contains(area.topLeft() + QPoint(x, y)))
                continue;
            const QRgb pixel = pixels->pixel(x, y);
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

std::optional<QRect> windowRect(quint32 window)
{
    xcb_connection_t *c = qtConnection();
    if (!c || !window)
        return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    const XcbReply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr));
    if (!geometry || !origin)
        return std::nullopt;
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

std::optional<QColor> windowColourOf(qint64 pid)
{
    xcb_connection_t *c = qtConnection();
    if (!c || pid <= 0)
        return std::nullopt;
    const xcb_atom_t pidAtom = internAtom(c, "_NET_WM_PID");
    QRect largest;
    for (const xcb_window_t window : topLevelWindows(c)) {
        const QByteArray owner = property(c, window, pidAtom, XCB_ATOM_CARDINAL);
        if (owner.size() < 4 || *reinterpret_cast<const quint32 *>(owner.constData()) != quint32(pid)
            || !isViewable(c, window))
            continue;
        const QRect shown = windowRect(window).value_or(QRect()).intersected(screenRect(c));
        if (shown.width() * qint64(shown.height()) > largest.width() * qint64(largest.height()))
            largest = shown;
    }
    const std::optional<QImage> pixels = rootPixels(c, largest);
    if (!pixels)
        return std::nullopt;
    // Counted in bins of 16 levels a channel, so that a gradient's neighbours count together.
    QHash<QRgb, qint64> bins;
    for (int y = 0; y < pixels->height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(pixels->constScanLine(y));
        for (int x = 0; x < pixels->width(); ++x)
            ++bins[line[x] & 0xf0f0f0];
    }
    const auto most = std::max_element(bins.cbegin(), bins.cend());
    const QRgb bin = most.key();
    return QColor(qRed(bin) | 0x8, qGreen(bin) | 0x8, qBlue(bin) | 0x8);
}

} // namespace X11Desktop
