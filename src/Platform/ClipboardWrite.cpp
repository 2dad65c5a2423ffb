#include "Platform/ClipboardWrite.h"

#include "Platform/ClipboardTypes.h"

#include <QMimeData>

QMimeData *ClipboardWrite::toMimeData() const
{
    auto *mime = new QMimeData;
    if (!fileUrls.isEmpty()) {
        mime->setUrls(fileUrls);
        QByteArray copied("copy");
        for (const QUrl &url : fileUrls)
            copied += '\n' + url.toEncoded();
        mime->setData(ClipboardTypes::gnomeCopiedFiles(), copied);
    } else if (!urls.isEmpty()) {
        mime->setUrls(urls);
    }
    if (text)
        mime->setText(*text);
    for (const auto &[type, bytes] : data)
        mime->setData(type, bytes);
    return mime;
}
