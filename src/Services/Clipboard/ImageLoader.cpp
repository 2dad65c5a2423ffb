#include "Services/Clipboard/ImageLoader.h"

#include "Services/Clipboard/ClipboardFiles.h"

#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <qcoro/qcorofuture.h>

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

QCoro::Task<QImage> ImageLoader::image(QString path, int maxPixels)
{
    const QString cacheKey = key(path, maxPixels);
    if (const QImage *cached = m_cache.object(cacheKey))
        co_return *cached;
    QPointer<ImageLoader> self(this);
    const int bound = qMax(1, maxPixels);
    // In a statement of its own: GCC 12 mishandles temporaries inside a co_await expression.
    QFuture<QImage> future = QtConcurrent::run(m_decoder, path, bound);
    QImage decoded = co_await future;
    if (self && !decoded.isNull())
        m_cache.insert(cacheKey, new QImage(decoded));
    co_return decoded;
}

void ImageLoader::load(const QString &path, int maxPixels, QObject *context, std::function<void(const QImage &)> done)
{
    [](ImageLoader *loader, QString path, int maxPixels, QPointer<QObject> context,
        std::function<void(const QImage &)> done) -> QCoro::Task<> {
        QCoro::Task<QImage> task = loader->image(std::move(path), maxPixels);
        const QImage image = co_await task;
        if (context)
            done(image);
    }(this, path, maxPixels, QPointer<QObject>(context), std::move(done));
}
