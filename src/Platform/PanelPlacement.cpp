#include "Platform/PanelPlacement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

// The rectangle's centre without QRect's inclusive-edge rounding, so an empty rectangle (a
// point) has its own position as centre.
QPointF middle(const QRect &rect)
{
    return { rect.x() + rect.width() / 2.0, rect.y() + rect.height() / 2.0 };
}

bool holds(const QRect &screen, const QPointF &point)
{
    return point.x() >= screen.x() && point.x() < screen.x() + screen.width() && point.y() >= screen.y()
        && point.y() < screen.y() + screen.height();
}

std::optional<QRect> screenHolding(const QList<QRect> &screens, const QPointF &point)
{
    for (const QRect &screen : screens) {
        if (holds(screen, point))
            return screen;
    }
    return std::nullopt;
}

} // namespace

namespace PanelPlacement {

QRect frame(const QSize &content, const QRect &anchor, const QRect &screen)
{
    const int w = content.width();
    if (screen.isEmpty())
        return { QPoint(0, 0), content };
    const int top = screen.y() + edgeInset;
    const int bottom = screen.y() + screen.height() - edgeInset;

    const QPointF centre = middle(anchor);
    double x = centre.x() - w / 2.0;
    x = std::max(x, double(screen.x() + edgeInset));
    x = std::min(x, double(screen.x() + screen.width() - w - edgeInset));

    // The panel keeps to its side of the anchor: a tray that reserves no room lies inside the
    // area, and a panel pushed over it would take the clicks meant for the icon.
    if (centre.y() > screen.y() + screen.height() / 2.0) {
        const int near = std::min(anchor.y() - gap, bottom);
        const int h = std::clamp(content.height(), 0, std::max(0, near - top));
        return { static_cast<int>(std::lround(x)), near - h, w, h };
    }
    const int near = std::max(anchor.y() + anchor.height() + gap, top);
    const int h = std::clamp(content.height(), 0, std::max(0, bottom - near));
    return { static_cast<int>(std::lround(x)), near, w, h };
}

bool isAnchorPlaced(const QRect &trayGeometry, const QList<QRect> &screens)
{
    return !trayGeometry.isEmpty() && screenHolding(screens, middle(trayGeometry)).has_value();
}

Anchor resolve(const AnchorSources &sources)
{
    const auto area = [&](const QRect &screen) {
        const qsizetype index = sources.screens.indexOf(screen);
        return index < sources.availableAreas.size() ? sources.availableAreas.at(index) : screen;
    };
    const auto atPointer = [&]() -> std::optional<Anchor> {
        if (!sources.pointer)
            return std::nullopt;
        const auto screen = screenHolding(sources.screens, QPointF(*sources.pointer));
        if (!screen)
            return std::nullopt;
        return Anchor { QRect(*sources.pointer, QSize(0, 0)), area(*screen), false };
    };

    if (sources.statusNotifier) {
        if (auto anchor = atPointer()) {
            anchor->placed = true;
            return *anchor;
        }
    }
    if (isAnchorPlaced(sources.trayGeometry, sources.screens)) {
        const QRect screen = *screenHolding(sources.screens, middle(sources.trayGeometry));
        return { sources.trayGeometry, area(screen), true };
    }
    if (auto anchor = atPointer())
        return *anchor;
    if (sources.screens.isEmpty())
        return {};
    const QRect primary = sources.screens.first();
    return { QRect(QPoint(primary.x() + primary.width(), primary.y()), QSize(0, 0)), area(primary), false };
}

AnchorSources currentSources(const QRect &trayGeometry, bool statusNotifier)
{
    AnchorSources sources;
    sources.trayGeometry = trayGeometry;
    sources.statusNotifier = statusNotifier;
    sources.pointer = QCursor::pos();
    const auto add = [&sources](const QScreen *screen) {
        sources.screens.append(screen->geometry());
        sources.availableAreas.append(screen->availableGeometry());
    };
    if (const QScreen *primary = QGuiApplication::primaryScreen())
        add(primary);
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            add(screen);
    }
    return sources;
}

} // namespace PanelPlacement
