#include "Platform/SystemClipboard.h"

#include <QMimeData>

bool SystemClipboard::offersFiles(const QStringList &types)
{
    return types.contains(uriListType()) || types.contains(gnomeCopiedFilesType());
}

std::optional<QString> SystemClipboard::textIn(const QMimeData &mime)
{
    // QMimeData also calls a list of links text; only a real text representation counts.
    if (!mime.hasFormat(plainTextType()))
        return std::nullopt;
    return mime.text();
}

QList<QUrl> SystemClipboard::fileUrlsIn(const QMimeData &mime)
{
    QList<QUrl> urls;
    if (mime.hasUrls()) {
        urls = mime.urls();
    } else if (mime.hasFormat(gnomeCopiedFilesType())) {
        // "copy" or "cut" on the first line, then one URI per line.
        const QList<QByteArray> lines = mime.data(gnomeCopiedFilesType()).split('\n');
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            if (!line.isEmpty())
                urls.append(QUrl::fromEncoded(line));
        }
    }
    QList<QUrl> files;
    for (const QUrl &url : std::as_const(urls)) {
        if (url.isLocalFile())
            files.append(url);
    }
    return files;
}

std::optional<QByteArray> SystemClipboard::dataIn(const QMimeData &mime, const QString &mimeType)
{
    if (!mime.hasFormat(mimeType))
        return std::nullopt;
    QByteArray bytes = mime.data(mimeType);
    if (bytes.isEmpty())
        return std::nullopt;
    return bytes;
}
