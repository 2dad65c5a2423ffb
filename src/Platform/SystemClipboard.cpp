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
    // text/uri-list: one address a line, lines ending in CR LF (a lone LF is taken too), "#"
    // starting a comment; a line feed inside a name is written %0A, so it stays in its line.
    // The file managers' own list has "copy" or "cut" on its first line.
    QList<QByteArray> lines;
    if (mime.hasFormat(uriListType())) {
        lines = mime.data(uriListType()).split('\n');
    } else if (mime.hasFormat(gnomeCopiedFilesType())) {
        lines = mime.data(gnomeCopiedFilesType()).split('\n');
        if (!lines.isEmpty())
            lines.removeFirst();
    }
    QList<QUrl> files;
    for (const QByteArray &line : std::as_const(lines)) {
        const QByteArray address = line.trimmed();
        if (address.isEmpty() || address.startsWith('#'))
            continue;
        QUrl url = QUrl::fromEncoded(address);
        // A file on another host is no file here; "localhost" is this one.
        if (!url.isValid() || url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0)
            continue;
        if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
            url.setHost(QString());
        if (url.host().isEmpty() && !url.path().isEmpty())
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
