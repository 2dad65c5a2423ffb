#include "Views/Clipboard/ClipboardThumbnail.h"

#include "Components/Theme/Symbols.h"
#include "Components/Theme/SystemColors.h"
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
    if (!m_loadedOnce)
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

void ClipboardThumbnail::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square(0, 0, m_size, m_size);
    const qreal radius = m_size * 0.18;
    QPainterPath shape;
    shape.addRoundedRect(square, radius, radius);
    const QColor primary = SystemColors::primary(palette());
    painter.fillPath(shape, SystemColors::withOpacity(primary, 0.06));

    painter.save();
    painter.setClipPath(shape);
    if (!m_image.isNull()) {
        // Scaled to fill the square, centred, the overflow clipped.
        const QSizeF filled = QSizeF(m_image.size()).scaled(square.size(), Qt::KeepAspectRatioByExpanding);
        const QRectF target(square.center() - QPointF(filled.width() / 2, filled.height() / 2), filled);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_image);
    } else {
        const int symbolSize = qMax(1, qRound(m_size * 0.32));
        const QPixmap symbol = Symbols::pixmap(
            QStringLiteral("photo"), symbolSize, SystemColors::tertiary(palette()), devicePixelRatioF());
        if (!symbol.isNull()) {
            const QSizeF logical = QSizeF(symbol.size()) / symbol.devicePixelRatio();
            painter.drawPixmap(
                QPointF(square.center().x() - logical.width() / 2, square.center().y() - logical.height() / 2), symbol);
        }
    }
    painter.restore();

    painter.setPen(QPen(SystemColors::withOpacity(primary, 0.08), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(square.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}
