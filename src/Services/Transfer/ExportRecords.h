#pragma once

#include "Models/Clipboard/ClipboardItem.h"
#include "Models/Todos/ExportedTodo.h"
#include "Models/Todos/Todo.h"
#include "Models/Transfer/PendingExportItem.h"

#include <QString>

// How the stores' records become the export's: a todo as written, a clipboard entry as the
// writer takes it. Free of shared state; runs on any thread.
namespace ExportRecords {

ExportedTodo todo(const Todo &todo);

// The entry's record without large bodies, and the side files in `folder` that hold its image
// and its whole text.
PendingExportItem clipboardItem(const ClipboardItem &item, const QString &folder);

} // namespace ExportRecords
