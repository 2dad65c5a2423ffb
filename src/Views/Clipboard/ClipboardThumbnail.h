#pragma once

#include <QImage>
#include <QWidget>

#include <optional>

class ImageLoader;
class QPainter;

// A square picture of a clipboard image: a placeholder symbol until the picture behind the
// file path has been decoded (off the main thread), then the picture scaled to fill.
class ClipboardThumbnail final : public QWidget
{
    Q_OBJECT

public:
    ClipboardThumbnail(ImageLoader &loader, qreal size, QWidget *parent = nullptr);

    // The file to show; nothing for no picture. A new path drops the result of a load still
    // running for the previous one.
    void setPath(const std::optional<QString> &path);
    std::optional<QString> path() const { return m_path; }
    void setSide(qreal size);
    qreal side() const { return m_size; }
    bool hasImage() const { return !m_image.isNull(); }
    const QImage &image() const { return m_image; }

    QSize sizeHint() const override;

    // The look of a picture square, shared with the list's rows: its corner radius, the wash
    // with the "photo" symbol while there is no picture, and the thin edge drawn over either.
    static qreal cornerRadius(qreal side) { return side * 0.18; }
    static void paintPlaceholder(QPainter &painter, const QRectF &square, const QPalette &palette, qreal ratio);
    static void paintEdge(QPainter &painter, const QRectF &square, const QPalette &palette);

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void load();

    ImageLoader &m_loader;
    qreal m_size;
    std::optional<QString> m_path;
    QImage m_image;
    quint64 m_generation = 0;
    bool m_loadedOnce = false;
};
