#pragma once

#include <QImage>
#include <QWidget>

#include <optional>

class ImageLoader;

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
