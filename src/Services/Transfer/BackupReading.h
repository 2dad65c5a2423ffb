#pragma once

#include "Models/Transfer/BackupError.h"
#include "Models/Transfer/EntryKey.h"
#include "Models/Transfer/VemraExport.h"

#include <functional>
#include <variant>

// What the export file's reader and its decoder share: the outcome of a reading and the
// callers' sinks, apart from the reader's functions so that the decoder, which the reader
// drives, needs only these.
namespace BackupReader {

using Outcome = std::variant<VemraExport, BackupError>;
// Takes what an import's plan weighs of each clipboard entry as it is read, in the document's
// order, instead of the document keeping the entry; false stops the reading. Entries met before
// a damage later in the file have been handed over by then.
using KeySink = std::function<bool(const EntryKey &key)>;
// Tells, on any thread and without waiting, whether the plan skips an entry by its id alone,
// whatever its content: such an entry's content is not hashed.
using KnownId = std::function<bool(const QUuid &id)>;
// Takes the document's todos as soon as their list is read whole, before the entries after it,
// so that they can be planned while the entries are read. A document found damaged later is
// still refused whole.
using TodoSink = std::function<void(const QList<ExportedTodo> &todos)>;

// Containers nested deeper than this make a file that is no export.
inline constexpr int maximumDepth = 512;

} // namespace BackupReader
