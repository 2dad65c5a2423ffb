#include "Services/Clipboard/ClipboardCaptures.h"

#include "Models/Clipboard/ClipboardItem.h"
#include "Platform/TypeIdentifiers.h"
#include "Services/Clipboard/ClipboardClassifier.h"
#include "Services/Clipboard/ClipboardFiles.h"

#include <QStringList>

namespace {

// The capture with an image stored: its side files written, and the facts of what was stored.
// Nothing when the bytes are no image.
Result<std::optional<ClipboardCapture>> withImage(
    ClipboardCapture capture, const QByteArray &data, const QString &folder, ClipboardFiles::FileWrite writing)
{
    Result<std::optional<ClipboardFiles::SavedImage>> saved
        = ClipboardFiles::saveImage(data, capture.id, folder, writing);
    if (!saved)
        return saved.error();
    if (!saved.value())
        return std::optional<ClipboardCapture>();
    const ClipboardFiles::SavedImage &image = *saved.value();
    capture.contentHash = image.hash;
    capture.mimeType = image.type;
    capture.byteCount = image.byteCount;
    capture.pixelWidth = image.width;
    capture.pixelHeight = image.height;
    capture.imagePath = image.path;
    capture.thumbnailPath = image.thumbnailPath;
    return std::optional<ClipboardCapture>(capture);
}

// The capture with a text stored: inline, or its head inline and the whole in a side file.
Result<std::optional<ClipboardCapture>> withText(
    ClipboardCapture capture, const QString &text, const QString &folder, ClipboardFiles::FileWrite writing)
{
    Result<ClipboardFiles::SavedText> saved = ClipboardFiles::saveText(text, capture.id, folder, writing);
    if (!saved)
        return saved.error();
    capture.content = saved.value().content;
    capture.textPath = saved.value().path;
    const QByteArray utf8 = text.toUtf8();
    capture.contentHash = ClipboardFiles::sha256(utf8);
    capture.byteCount = utf8.size();
    return std::optional<ClipboardCapture>(capture);
}

} // namespace

namespace ClipboardCaptures {

Result<std::optional<ClipboardCapture>> make(const ClipboardContents &contents, const QString &folder)
{
    ClipboardCapture capture;
    capture.id = QUuid::createUuid();
    capture.sourceAppName = contents.sourceAppName;
    capture.sourceAppId = contents.sourceAppId;
    capture.copiedAt = contents.copiedAt;
    capture.firstCopiedAt = contents.copiedAt;
    capture.copyCount = 1;

    if (!contents.fileUrls.isEmpty()) {
        QStringList paths;
        for (const QUrl &url : contents.fileUrls)
            paths.append(url.toLocalFile());
        const QString joined = ClipboardItem::joinedPaths(paths);
        capture.kind = ClipboardKind::File;
        capture.content = joined;
        capture.contentHash = ClipboardFiles::sha256(joined);
        capture.mimeType = TypeIdentifiers::fileUrl();
        capture.byteCount = joined.toUtf8().size();
        return std::optional<ClipboardCapture>(capture);
    }

    if (contents.imageData) {
        capture.kind = ClipboardKind::Image;
        return withImage(capture, *contents.imageData, folder, ClipboardFiles::FileWrite::Replacing);
    }

    if (contents.string && !ClipboardClassifier::isBlankText(*contents.string)) {
        const QString &text = *contents.string;
        capture.kind = ClipboardClassifier::kind(text, contents.sourceAppId);
        capture.mimeType
            = capture.kind == ClipboardKind::Url ? TypeIdentifiers::url() : TypeIdentifiers::utf8PlainText();
        return withText(capture, text, folder, ClipboardFiles::FileWrite::Replacing);
    }

    return std::optional<ClipboardCapture>();
}

Result<std::optional<ClipboardCapture>> makeImported(
    const ExportedClipboardItem &item, const QString &folder, ClipboardFiles::FileWrite writing)
{
    const std::optional<ClipboardKind> kind = ClipboardKinds::fromStoredValue(item.type);
    if (!kind || !item.isValid())
        return std::optional<ClipboardCapture>();
    ClipboardCapture capture;
    capture.id = item.id;
    capture.kind = *kind;
    capture.firstCopiedAt = item.createdAt;
    const QDateTime lastCopiedAt = item.lastCopiedAt.value_or(item.createdAt);
    capture.copiedAt = lastCopiedAt > item.createdAt ? lastCopiedAt : item.createdAt;
    capture.copyCount = std::max<qint64>(1, item.copyCount.value_or(1));
    if (item.metadata) {
        capture.sourceAppName = item.metadata->sourceApp.value_or(QString());
        capture.sourceAppId = item.metadata->sourceBundleID.value_or(QString());
    }
    if (*kind == ClipboardKind::Image)
        return withImage(capture, *item.imageData, folder, writing);
    capture.mimeType = item.mimeType.value_or(TypeIdentifiers::utf8PlainText());
    return withText(capture, item.content, folder, writing);
}

} // namespace ClipboardCaptures
