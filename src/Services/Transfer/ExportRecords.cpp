#include "Services/Transfer/ExportRecords.h"

#include "Models/Todos/Days.h"
#include "Services/Clipboard/ClipboardFiles.h"

namespace ExportRecords {

ExportedTodo todo(const Todo &todo)
{
    ExportedTodo record;
    record.id = todo.id;
    record.title = todo.title;
    record.isCompleted = todo.isCompleted;
    record.createdAt = todo.createdAt;
    record.updatedAt = todo.updatedAt;
    record.completedAt = todo.completedAt;
    if (const std::optional<QDate> day = todo.dayStart())
        record.day = Days::isoString(*day);
    record.sortOrder = todo.sortOrder;
    return record;
}

PendingExportItem clipboardItem(const ClipboardItem &item, const QString &folder)
{
    PendingExportItem pending;
    ExportedClipboardItem &exported = pending.item;
    exported.id = item.id;
    exported.type = item.rawKind;
    exported.content = item.content;
    exported.createdAt = item.createdAt;
    exported.lastCopiedAt = item.lastCopiedAt;
    exported.copyCount = item.copyCount;
    exported.mimeType = item.mimeType;
    ExportedClipboardItem::Metadata &metadata = exported.metadata.emplace();
    if (!item.sourceAppName.isEmpty())
        metadata.sourceApp = item.sourceAppName;
    if (!item.sourceAppId.isEmpty())
        metadata.sourceBundleID = item.sourceAppId;
    if (item.pixelWidth >= 1)
        metadata.pixelWidth = item.pixelWidth;
    if (item.pixelHeight >= 1)
        metadata.pixelHeight = item.pixelHeight;
    metadata.byteCount = item.byteCount;
    // A stored path that names no side file gives an empty path, which the writer fails to
    // read rather than read a file elsewhere.
    if (item.imagePath)
        pending.imagePath = ClipboardFiles::filePath(*item.imagePath, folder).value_or(QString());
    if (item.textPath)
        pending.textPath = ClipboardFiles::filePath(*item.textPath, folder).value_or(QString());
    return pending;
}

} // namespace ExportRecords
