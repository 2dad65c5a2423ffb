#pragma once

#include "Models/Clipboard/ClipboardItem.h"
#include "Models/Common/Result.h"
#include "Models/Transfer/ClipboardKeys.h"
#include "Services/Clipboard/ClipboardStore.h"

#include <functional>

// What an export or an import reads of the clipboard history off the main thread, from the
// store's `TransferSource`, on a connection of the calling thread's own. Runs on any thread.
class ClipboardTransferReader final
{
public:
    // Hands every entry of `source` to `take` in history order, as the export writer takes it,
    // all read in one read transaction: the history as it was when it began, whatever is
    // deleted meanwhile. Stops at the first error.
    static Status readForExport(
        const ClipboardStore::TransferSource &source, const std::function<Status(ClipboardItem &&)> &take);
    // The ids, or the content hashes, of every entry of `source`; an error when the database
    // can't be read. The ids are read at once; the hashes, which mean hashing most stored
    // texts again, only when an import meets an entry whose id the history doesn't hold.
    static Result<QSet<QUuid>> readKnownIds(const ClipboardStore::TransferSource &source);
    static Result<QSet<ContentDigest>> readKnownHashes(const ClipboardStore::TransferSource &source);
};
