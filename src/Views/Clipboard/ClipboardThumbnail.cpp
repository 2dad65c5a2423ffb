#include "Views/Clipboard/ClipboardThumbnail.h"

#include "Components/Theme/Symbols.h"
#include "Components/Theme/Theme.h"
#include "Services/Clipboard/ImageLoader.h"

#include <QPainter>
#include <QPainterPath>
#include <QPointer>

ClipboardThumbnail::ClipboardThumbnail(ImageLoader &loader, qreal size, QWidget *parent)
    : QWidget(parent)
    , m_loader(loader)
    , m_size(size)
{
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize ClipboardThumbnail::sizeHint() const
{
    const int side = qRound(m_size);
    return { side, side };
}

void ClipboardThumbnail::setPath(const std::optional<QString> &path)
{
    if (path == m_path && m_loadedOnce)
        return;
    m_path = path;
    if (isVisible() || m_loadedOnce)
        load();
}

void ClipboardThumbnail::setSide(qreal size)
{
    if (qFuzzyCompare(size, m_size))
        return;
    m_size = size;
    setFixedSize(sizeHint());
    if (m_loadedOnce)
        load();
}

void ClipboardThumbnail::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A picture that failed (a file not there yet, or unreadable then) is tried again.
    if (!m_loadedOnce || m_image.isNull())
        load();
}

void ClipboardThumbnail::load()
{
    m_loadedOnce = true;
    const quint64 generation = ++m_generation;
    // No file: the picture stays as it is.
    if (!m_path)
        return;
    // Twice the shown size, for sharp pictures on dense screens.
    m_loader.load(*m_path, int(m_size * 2), this, [this, generation](const QImage &image) {
        if (generation != m_generation)
            return;
        m_image = image;
        update();
    });
}

void ClipboardThumbnail::paintPlaceholder(QPainter &painter, const QRectF &square, const QPalette &palette, qreal ratio)
{
    const qreal radius = cornerRadius(square.width());
    QPainterPath shape;
    shape.addRoundedRect(square, radius, radius);
    painter.fillPath(shape, Theme::color(Theme::pictureWash, palette));
    const int symbolSize = qMax(1, qRound(square.width() * 0.32));
    const QPixmap symbol
        = Symbols::pixmap(QStringLiteral("photo"), symbolSize, Theme::color(Theme::tertiary, palette), ratio);
    if (symbol.isNull())
        return;
    const QSizeF logical = QSizeF(symbol.size()) / symbol.devicePixelRatio();
    painter.drawPixmap(
        QPointF(square.center().x() - logical.width() / 2, square.center().y() - logical.height() / 2), symbol);
}

void ClipboardThumbnail::paintEdge(QPainter &painter, const QRectF &square, const QPalette &palette)
{
    // A 1-px line on the inside of the outline.
    const qreal radius = cornerRadius(square.width());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Theme::color(Theme::hairline, palette), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(square.adjusted(0.5, 0.5, -0.5, -0.5), qMax(0.0, radius - 0.5), qMax(0.0, radius - 0.5));
    painter.restore();
}

void ClipboardThumbnail::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square(0, 0, m_size, m_size);
    if (m_image.isNull()) {
        paintPlaceholder(painter, square, palette(), devicePixelRatioF());
    } else {
        const qreal radius = cornerRadius(m_size);
        QPainterPath shape;
        shape.addRoundedRect(square, radius, radius);
        painter.fillPath(shape, Theme::color(Theme::pictureWash, palette()));
        painter.save();
        painter.setClipPath(shape);
        // Scaled to fill the square, centred, the overflow clipped.
        const QSizeF filled = QSizeF(m_image.size()).scaled(square.size(), Qt::KeepAspectRatioByExpanding);
        const QRectF target(square.center() - QPointF(filled.width() / 2, filled.height() / 2), filled);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_image);
        painter.restore();
    }
    paintEdge(painter, square, palette());
}
