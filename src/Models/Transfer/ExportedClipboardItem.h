#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

// One clipboard history entry as the export file carries it; absent optionals are left out
// of the file.
struct ExportedClipboardItem
{
    struct Metadata
    {
        std::optional<QString> sourceApp;
        std::optional<QString> sourceBundleID;
        std::optional<qint64> pixelWidth;
        std::optional<qint64> pixelHeight;
        std::optional<qint64> byteCount;

        friend bool operator==(const Metadata &, const Metadata &) = default;
    };

    QUuid id;
    // The kind's raw name as written in the file; not necessarily one of the five.
    QString type;
    QString content;
    QDateTime createdAt;
    std::optional<QDateTime> lastCopiedAt;
    std::optional<qint64> copyCount;
    std::optional<QString> mimeType;
    std::optional<Metadata> metadata;
    std::optional<QByteArray> imageData;

    // Whether the entry can be imported: an image with at least one byte, or one of the
    // other four kinds with content that is not blank.
    bool isValid() const;

    friend bool operator==(const ExportedClipboardItem &, const ExportedClipboardItem &) = default;
};
