#include "Services/Transfer/ExportRecords.h"

#include "Models/Todos/Days.h"
#include "Models/Transfer/ExportDates.h"
#include "Services/Clipboard/ClipboardFiles.h"

namespace ExportRecords {

ExportedTodo todo(const Todo &todo)
{
    // In UTC, which the file is written in without a look at the time zone per time.
    const auto utc
        = [](const QDateTime &time) { return QDateTime::fromMSecsSinceEpoch(ExportDates::instant(time), Qt::UTC); };
    ExportedTodo record;
    record.id = todo.id;
    record.title = todo.title;
    record.isCompleted = todo.isCompleted;
    record.createdAt = utc(todo.createdAt);
    record.updatedAt = utc(todo.updatedAt);
    if (todo.completedAt)
        record.completedAt = utc(*todo.completedAt);
    if (const std::optional<QDate> day = todo.dayStart())
        record.day = Days::isoString(*day);
    record.sortOrder = todo.sortOrder;
    return record;
}

void addEntry(BackupWriter::Piece &piece, const ClipboardTransferReader::ExportRow &row, const QString &folder)
{
    // A stored path that names no side file gives an empty path, which the writer fails to
    // read rather than read a file elsewhere.
    const auto sideFile = [&folder](const std::optional<QString> &stored) -> std::optional<QString> {
        if (!stored)
            return std::nullopt;
        return ClipboardFiles::filePath(*stored, folder).value_or(QString());
    };
    BackupWriter::add(piece, row.entry, sideFile(row.imagePath), sideFile(row.textPath));
}

} // namespace ExportRecords
