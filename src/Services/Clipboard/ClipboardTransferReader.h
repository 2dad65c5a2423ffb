#pragma once

#include "Models/Clipboard/ClipboardItem.h"
#include "Models/Common/Result.h"
#include "Models/Transfer/ClipboardKeys.h"
#include "Models/Transfer/ExportEncoder.h"
#include "Services/Clipboard/ClipboardStore.h"

#include <QHash>
#include <QMutex>
#include <QWaitCondition>

#include <functional>
#include <memory>
#include <vector>

class StoreDatabase;
class StoreStatement;
class StoreWriter;

// What an export or an import reads of the clipboard history off the main thread, from the
// store's `TransferSource`, on connections of the reader's own.
//
// An export's reader holds the history as it was when it was made, on several connections
// whose read transactions all began while the store's writer held off its writes: whatever is
// written meanwhile, every run of the history is read from that one snapshot, and the runs
// are read at once on other threads.
class ClipboardTransferReader final
{
public:
    // A run of the history's order: the entries last copied from `newest` back to `oldest`
    // (milliseconds since the epoch, both included), about `entries` of them with `bytes` of
    // bodies.
    struct Span
    {
        qint64 newest = 0;
        qint64 oldest = 0;
        qsizetype entries = 0;
        qint64 bytes = 0;
        // Whether entries of the span were copied at the same moment, which the id puts in order.
        bool ties = false;
    };
    // An entry as the export writes it, over the bytes of its row, valid until the next; and
    // where its image and whole text are stored, as the row names them.
    struct ExportRow
    {
        ExportEncoder::Entry entry;
        std::optional<QString> imagePath;
        std::optional<QString> textPath;
    };

    // A reader of `source` for an export, which `readers` threads may use at once: its
    // connections' transactions begin in a job of `writer` (none: a history in memory).
    // Made, used for cutting and dropped on one thread.
    static Result<std::unique_ptr<ClipboardTransferReader>> forExport(
        const ClipboardStore::TransferSource &source, const std::shared_ptr<StoreWriter> &writer, int readers);
    ~ClipboardTransferReader();
    ClipboardTransferReader(const ClipboardTransferReader &) = delete;
    ClipboardTransferReader &operator=(const ClipboardTransferReader &) = delete;

    // Cuts the history's order into spans of about `entries` entries or `bytes` bytes of bodies,
    // never between entries copied at the same moment, handing each to `take` as it is found:
    // the first from the newest instant there can be, the last to the oldest. Stops at the
    // first error.
    Status cut(qsizetype entries, qint64 bytes, const std::function<Status(const Span &)> &take);
    // Hands every entry of `span` to `take` in history order, the changes not saved yet among
    // them. Runs on any thread, at most `readers` at once.
    Status read(const Span &span, const std::function<Status(const ExportRow &)> &take);

    // The ids, or the content hashes, of every entry of `source`; an error when the database
    // can't be read. The ids are read at once; the hashes, which mean hashing most stored
    // texts again, only when an import meets an entry whose id the history doesn't hold.
    static Result<QSet<QUuid>> readKnownIds(const ClipboardStore::TransferSource &source);
    static Result<QSet<ContentDigest>> readKnownHashes(const ClipboardStore::TransferSource &source);

private:
    struct Connection;

    explicit ClipboardTransferReader(ClipboardStore::TransferSource source);
    Status readStored(Connection &connection, const Span &span, const std::function<Status(const ExportRow &)> &take);
    QByteArrayView nameOf(qint64 code) const;
    Connection &acquire();
    void release(Connection &connection);

    ClipboardStore::TransferSource m_source;
    // The four names by their codes, as UTF-8.
    QHash<qint64, QByteArray> m_names;
    std::unique_ptr<StoreDatabase> m_cutter;
    std::vector<std::unique_ptr<Connection>> m_connections;
    std::vector<Connection *> m_free;
    QMutex m_mutex;
    QWaitCondition m_freed;
};
