#pragma once

#include "Models/Common/Result.h"
#include "Services/Clipboard/ClipboardDatabase.h"

#include <QStringList>

#include <optional>

class StoreDatabase;

// A save of the clipboard history as the file's writer runs it on its own thread: the changes
// in one transaction, the side files of the periods it clears read as it clears them, and the
// log folded back and the search told after a deletion.
class ClipboardSaveJob final
{
public:
    // What the save comes back with: the entries it deleted and the side files of the periods
    // it cleared, or its error.
    struct Outcome
    {
        std::optional<qint64> erased;
        bool folded = false;
        QStringList cleared;
        Error error;
    };

    // Writes `changes` through `sql`; `logToFold` when an earlier deletion's log is still to
    // be folded back. `search` (none for a history in memory) erases what was deleted before
    // the save is told done.
    static Outcome run(
        const StoreDatabase &sql, const ClipboardDatabase::Changes &changes, bool logToFold, ClipboardSearch *search);
};
