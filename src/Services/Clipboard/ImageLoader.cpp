#include "Services/Clipboard/ImageLoader.h"

#include "Services/Clipboard/ClipboardFiles.h"

#include <QtConcurrent/QtConcurrentRun>

ImageLoader::ImageLoader(QObject *parent)
    : ImageLoader(&ClipboardFiles::thumbnail, parent)
{
}

ImageLoader::ImageLoader(Decoder decoder, QObject *parent)
    : QObject(parent)
    , m_decoder(std::move(decoder))
    , m_cache(300)
{
}

QString ImageLoader::key(const QString &path, int maxPixels)
{
    return path + QLatin1Char('#') + QString::number(maxPixels);
}

QFuture<QImage> ImageLoader::image(const QString &path, int maxPixels)
{
    const QString cacheKey = key(path, maxPixels);
    if (const QImage *cached = m_cache.object(cacheKey))
        return QtFuture::makeReadyFuture(*cached);
    // Cached back on the main thread, where the cache lives.
    return QtConcurrent::run(m_decoder, path, qMax(1, maxPixels)).then(this, [this, cacheKey](const QImage &decoded) {
        if (!decoded.isNull())
            m_cache.insert(cacheKey, new QImage(decoded));
        return decoded;
    });
}

void ImageLoader::load(const QString &path, int maxPixels, QObject *context, std::function<void(const QImage &)> done)
{
    image(path, maxPixels).then(context, [done = std::move(done)](const QImage &image) { done(image); });
}
