#pragma once

#include <QCache>
#include <QFuture>
#include <QImage>
#include <QObject>
#include <QString>

#include <functional>

// Decodes the clipboard's pictures for rows and previews, off the main thread, down-sampled to
// the size shown, and keeps the last 300 decoded pictures. Used on the main thread only.
class ImageLoader final : public QObject
{
    Q_OBJECT

public:
    // Decodes a file at most `maxPixels` on its longer side; a null image on failure.
    using Decoder = std::function<QImage(const QString &path, int maxPixels)>;

    explicit ImageLoader(QObject *parent = nullptr);
    // For tests: another decoder.
    explicit ImageLoader(Decoder decoder, QObject *parent = nullptr);

    // The picture at `path`, at most `maxPixels` (at least 1) on its longer side; null when the
    // file is missing or no picture. Failures are not cached, so a later call tries again.
    QFuture<QImage> image(const QString &path, int maxPixels);

    // The same for widgets: `done` runs on the main thread with the result, unless `context`
    // is gone by then.
    void load(const QString &path, int maxPixels, QObject *context, std::function<void(const QImage &)> done);

    static QString key(const QString &path, int maxPixels);
    bool isCached(const QString &path, int maxPixels) const { return m_cache.contains(key(path, maxPixels)); }

private:
    Decoder m_decoder;
    QCache<QString, QImage> m_cache;
};
