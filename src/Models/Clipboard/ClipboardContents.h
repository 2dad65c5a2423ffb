#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// The snapshot of one clipboard change, read on the main thread and handed to the capture.
struct ClipboardContents
{
    std::optional<QString> string; // the copied text, untrimmed
    QList<QUrl> fileUrls; // copied files, in clipboard order
    std::optional<QByteArray> imageData; // the raw bytes of the copied image
    std::optional<QString> imageType; // the MIME type they were read under (informational)
    QString sourceAppName;
    QString sourceAppId;
    QDateTime copiedAt;
};
