#include "Components/Theme/Symbols.h"

#include <QDir>
#include <QHash>
#include <QPainter>
#include <QtMath>

namespace Symbols {

namespace {

const QHash<QString, QString> &table()
{
    static const QHash<QString, QString> names {
        { QStringLiteral("arrow.counterclockwise"), QStringLiteral("edit-undo-symbolic") },
        { QStringLiteral("arrow.up.left.and.arrow.down.right"), QStringLiteral("view-fullscreen-symbolic") },
        { QStringLiteral("bell"), QStringLiteral("preferences-system-notifications-symbolic") },
        { QStringLiteral("bell.slash.fill"), QStringLiteral("notifications-disabled-symbolic") },
        { QStringLiteral("calendar"), QStringLiteral("x-office-calendar-symbolic") },
        { QStringLiteral("checkmark"), QStringLiteral("object-select-symbolic") },
        { QStringLiteral("checkmark.circle"), QStringLiteral("emblem-default-symbolic") },
        { QStringLiteral("checkmark.circle.fill"), QStringLiteral("emblem-ok-symbolic") },
        { QStringLiteral("chevron.left"), QStringLiteral("go-previous-symbolic") },
        { QStringLiteral("chevron.right"), QStringLiteral("go-next-symbolic") },
        { QStringLiteral("chevron.left.forwardslash.chevron.right"), QStringLiteral("utilities-terminal-symbolic") },
        { QStringLiteral("clipboard"), QStringLiteral("edit-paste-symbolic") },
        { QStringLiteral("doc"), QStringLiteral("text-x-generic-symbolic") },
        { QStringLiteral("doc.on.clipboard"), QStringLiteral("edit-paste-symbolic") },
        { QStringLiteral("ellipsis"), QStringLiteral("view-more-horizontal-symbolic") },
        { QStringLiteral("ellipsis.circle"), QStringLiteral("view-more-horizontal-symbolic") },
        { QStringLiteral("exclamationmark.circle.fill"), QStringLiteral("dialog-error-symbolic") },
        { QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("dialog-warning-symbolic") },
        { QStringLiteral("externaldrive"), QStringLiteral("drive-harddisk-symbolic") },
        { QStringLiteral("gearshape"), QStringLiteral("emblem-system-symbolic") },
        { QStringLiteral("hand.raised.fill"), QStringLiteral("preferences-system-privacy-symbolic") },
        { QStringLiteral("hand.raised.slash.fill"), QStringLiteral("action-unavailable-symbolic") },
        { QStringLiteral("info.circle"), QStringLiteral("dialog-information-symbolic") },
        { QStringLiteral("laptopcomputer"), QStringLiteral("computer-symbolic") },
        { QStringLiteral("link"), QStringLiteral("insert-link-symbolic") },
        { QStringLiteral("lock.shield"), QStringLiteral("security-high-symbolic") },
        { QStringLiteral("magnifyingglass"), QStringLiteral("system-search-symbolic") },
        { QStringLiteral("moon.fill"), QStringLiteral("weather-clear-night-symbolic") },
        { QStringLiteral("pause.circle"), QStringLiteral("media-playback-pause-symbolic") },
        { QStringLiteral("pause.circle.fill"), QStringLiteral("media-playback-pause-symbolic") },
        { QStringLiteral("photo"), QStringLiteral("image-x-generic-symbolic") },
        { QStringLiteral("play.circle"), QStringLiteral("media-playback-start-symbolic") },
        { QStringLiteral("plus"), QStringLiteral("list-add-symbolic") },
        { QStringLiteral("stop.circle"), QStringLiteral("media-playback-stop-symbolic") },
        { QStringLiteral("text.alignleft"), QStringLiteral("format-justify-left-symbolic") },
        { QStringLiteral("timer"), QStringLiteral("preferences-system-time-symbolic") },
        { QStringLiteral("xmark"), QStringLiteral("window-close-symbolic") },
        { QStringLiteral("xmark.circle.fill"), QStringLiteral("edit-clear-symbolic") },
    };
    return names;
}

} // namespace

QString iconName(const QString &symbol)
{
    return table().value(symbol);
}

QStringList knownSymbols()
{
    QStringList symbols = table().keys();
    symbols.sort();
    return symbols;
}

QIcon icon(const QString &symbol)
{
    const QString name = iconName(symbol);
    if (name.isEmpty() || !QIcon::hasThemeIcon(name))
        return {};
    return QIcon::fromTheme(name);
}

QPixmap pixmap(const QString &symbol, int pixelSize, const QColor &color, qreal devicePixelRatio)
{
    const QIcon themed = icon(symbol);
    if (themed.isNull() || pixelSize <= 0)
        return {};
    const int device = qCeil(pixelSize * devicePixelRatio);
    const QPixmap shape = themed.pixmap(QSize(pixelSize, pixelSize), devicePixelRatio);
    if (shape.isNull())
        return {};
    QPixmap result(QSize(device, device));
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    {
        QPainter painter(&result);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(QRectF(0, 0, pixelSize, pixelSize), shape, shape.rect());
        // Keep the icon's coverage, replace its colour.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(QRectF(0, 0, pixelSize, pixelSize), color);
    }
    return result;
}

void useIconTheme()
{
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString &folder : { QString(QDir::homePath() + QStringLiteral("/.local/share/icons")),
             QStringLiteral("/usr/local/share/icons"), QStringLiteral("/usr/share/icons") }) {
        if (!paths.contains(folder))
            paths.append(folder);
    }
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(QStringLiteral("Adwaita"));
}

} // namespace Symbols
