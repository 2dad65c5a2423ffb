#pragma once

#include "Models/Clipboard/ClipboardItem.h"
#include "Models/Todos/ExportedTodo.h"
#include "Models/Todos/Todo.h"
#include "Services/Clipboard/ClipboardTransferReader.h"
#include "Services/Transfer/BackupWriter.h"

#include <QString>

// How the stores' records become the export's: a todo as written, a clipboard entry as the
// writer takes it. Free of shared state; runs on any thread.
namespace ExportRecords {

// A todo with its times in UTC, worked out in the zone an ExportDates::LocalZone made
// beforehand found.
ExportedTodo todo(const Todo &todo);

// Adds an entry as the history's reader gives it to `piece`, its image and whole text read from
// its side files in `folder`.
void addEntry(BackupWriter::Piece &piece, const ClipboardTransferReader::ExportRow &row, const QString &folder);

} // namespace ExportRecords
