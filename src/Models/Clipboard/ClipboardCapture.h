#pragma once

#include "Models/Clipboard/ClipboardKind.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

// Everything a new clipboard history entry needs, made from one systemClipboard change (or one
// imported entry) off the main thread and handed back to the store as a plain value.
// Paths are relative to the store folder and use "/".
struct ClipboardCapture
{
    QUuid id; // names the side files
    ClipboardKind kind = ClipboardKind::Text;
    QString content; // joined file paths, the text (at most 20000 characters), or empty for an image
    QString contentHash; // lower-case hex SHA-256 of the whole payload
    QString mimeType; // type identifier of the payload ("public.png", "public.url", …)
    qint64 byteCount = 0;
    qint64 pixelWidth = 0;
    qint64 pixelHeight = 0;
    QString sourceAppName;
    QString sourceAppId;
    QDateTime copiedAt;
    QDateTime firstCopiedAt;
    qint64 copyCount = 1;
    std::optional<QString> imagePath;
    std::optional<QString> thumbnailPath;
    std::optional<QString> textPath;

    // The side files this capture wrote, in the order image, thumbnail, text.
    QStringList filePaths() const
    {
        QStringList paths;
        for (const auto *path : { &imagePath, &thumbnailPath, &textPath }) {
            if (path->has_value())
                paths.append(**path);
        }
        return paths;
    }
};
