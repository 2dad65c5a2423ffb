#pragma once

#include "Models/Clipboard/ClearRequest.h"
#include "Models/Clipboard/ClipboardCalendar.h"
#include "Models/Clipboard/ClipboardCapture.h"
#include "Models/Clipboard/ClipboardItem.h"
#include "Models/Common/Result.h"
#include "Services/Clipboard/ClipboardPage.h"
#include "Services/Clipboard/ClipboardPending.h"
#include "Services/Clipboard/ClipboardQueries.h"
#include "Services/Clipboard/ClipboardSaveJob.h"
#include "Services/Clipboard/ClipboardSearch.h"
#include "Services/Storage/StoreFileCheck.h"
#include "Services/Storage/StoreSave.h"

#include <QDateTime>
#include <QFuture>
#include <QFutureWatcher>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPromise>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

class ClipboardDatabase;
class StoreWriter;
class SystemClipboard;
namespace ClipboardFiles {
class TemporaryFolder;
}

// The clipboard history: a SQLite database of ClipboardItem records plus the folder of side
// files next to it ("Images", "Thumbnails", "Text"). Lives on the main thread.
//
// A unit of work: every change is visible at once, save() writes everything pending in one
// transaction (queued to the file's writer, which runs it on its own thread and tells the
// outcome later, so that the main thread never waits on SQLite's lock), and a failed save keeps the pending changes
// (lookups, pages and counts still see them), reports through saveFailed, and goes out with the next save, a retry
// every few seconds, or the last write before quitting (flush). Reads never report: a failed fetch is an empty list, no
// item or 0.
class ClipboardStore final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(qint64 revision READ revision NOTIFY revisionChanged)

public:
    using Page = ClipboardPage;

    // The database file inside the store folder.
    static QString databaseFileName() { return QStringLiteral("Clipboard.store"); }

    // Opens or creates the store in `folder`. Never fails: a folder or database that cannot
    // be opened gives the in-memory store with loadError set, and nothing on disk is touched.
    // Checked in the background, the store reads a file of this version as it is meanwhile (an
    // older one's entries come once it is upgraded); what is recorded meanwhile waits in memory
    // and is written once the file has passed (`checked`), or stays in memory with loadError
    // set, alone, when it has not.
    static std::unique_ptr<ClipboardStore> make(const QString &folder, IntegrityCheck check = IntegrityCheck::Before);
    // The store in "Clipboard" under the Vemra data folder.
    static std::unique_ptr<ClipboardStore> makeDefault(IntegrityCheck check = IntegrityCheck::Before);
    // A database in memory with side files in a new private temporary folder
    // "Vemra-Clipboard-<UUID>", removed when the store goes. Lasts until quit.
    static std::unique_ptr<ClipboardStore> inMemory(std::optional<Error> loadError);

    ~ClipboardStore() override;

    // The store folder: holds the database and the side files; stored paths are relative to it.
    QString folder() const { return m_folder; }
    // Why the on-disk store could not be opened; set only on the in-memory fallback.
    const std::optional<Error> &loadError() const { return m_loadError; }
    // While the file is being checked in the background.
    bool isChecking() const { return m_checking; }
    // Whether the reads see the file's entries: once it has passed its check, and while the
    // check of a file of this version is under way (a damaged one's go again if it fails).
    bool readsFile() const { return m_readsFile; }
    // Grows by 1 with every save, whatever its outcome.
    qint64 revision() const { return m_revision; }

    // Stores one capture: folds it into the entry with the same content hash (which keeps its
    // own side files; the capture's are removed) or inserts a new entry. Saves. Returns the
    // entry that now holds the content.
    ClipboardItem record(const ClipboardCapture &capture);

    // Entries newest first (lastCopiedAt, then id), at most `limit` when given.
    QList<ClipboardItem> items(std::optional<int> limit = std::nullopt) const;
    // Entries that `ClipboardItem::matching(query)` accepts, newest first, at most `limit`.
    QList<ClipboardItem> items(const QString &query, int limit) const;
    // The same with the number of all entries that match, found in one pass.
    Page page(const QString &query, int limit) const;
    // A search of a large history off the main thread: the scan of the saved entries that
    // page() would make, passing over those that changes not written yet stand in for or delete,
    // which cancelling the future stops. Invalid when page() answers as quickly (a blank query,
    // a small history). A scan that fails searches the file on its thread all the same (or
    // finds nothing), so that its answer never sends the search back to the main thread.
    QFuture<std::optional<ClipboardSearch::Scan>> scanInBackground(const QString &query, int limit) const;
    // The page that such a scan found, with the changes not written yet laid over it; page()
    // above without a scan.
    Page page(const QString &query, const std::optional<ClipboardSearch::Scan> &scan, int limit) const;
    // The same without the count: more of a page shown in part.
    QList<ClipboardItem> items(const QString &query, const std::optional<ClipboardSearch::Scan> &scan, int limit) const;
    std::optional<ClipboardItem> item(const QUuid &id) const;
    std::optional<ClipboardItem> itemWithHash(const QString &contentHash) const;

    qint64 count() const;
    qint64 count(const QString &query) const;

    // The entries a clear request covers (lastCopiedAt in the period, start inclusive, end
    // exclusive), newest first, at most `limit` when given.
    QList<ClipboardItem> items(const ClearRequest &request, const QDateTime &now, const ClipboardCalendar &calendar,
        std::optional<int> limit = std::nullopt) const;
    qint64 count(const ClearRequest &request, const QDateTime &now, const ClipboardCalendar &calendar) const;

    // The whole text of an entry: its text side file, or the inline content when it has none.
    // Absent when the side file exists in the record but cannot be read, so that nothing
    // passes the inline head off as the whole text.
    std::optional<QString> fullText(const ClipboardItem &item) const;
    // The absolute path of a side file named by a stored, store-relative path. Absent for any
    // path but a file directly inside a side-file folder, and for a symbolic link.
    std::optional<QString> filePath(const QString &relativePath) const;
    // The same as a file URL; an empty URL when refused.
    QUrl url(const QString &relativePath) const;

    // Writes everything pending; a failure is reported through saveFailed and kept for the
    // next save.
    void save();
    // Waits for the writes under way, then writes what is pending on this thread and returns
    // the outcome instead of reporting it: the last try before quitting.
    Status flush();
    // How soon a failed save is tried again on its own.
    void setRetryInterval(std::chrono::milliseconds interval);

    // Writes the entry to the system clipboard; true when it took it. Afterwards the entry
    // counts one more copy, last copied `now`.
    bool copy(const ClipboardItem &item, SystemClipboard &systemClipboard, const QDateTime &now);

    // Deletes entries, then, off the main thread, their side files once the deletion is saved.
    void deleteItems(const QList<ClipboardItem> &items);
    // Deletes the entries of an import being taken back, which the user didn't change: a
    // failure to write it is logged and tried again, not told. Ends once the deletion is
    // written, or with the error of the first save that fails meanwhile.
    QFuture<Status> takeBackImported(const QList<ClipboardItem> &items);
    // Deletes every entry a clear request covers, without loading them.
    void deleteItems(const ClearRequest &request, const QDateTime &now, const ClipboardCalendar &calendar);

    // Export and import.
    // What an export or an import reads off the main thread, taken on it: the database file
    // (none for a store in memory, whose entries are taken here instead), the folder, and the
    // changes not saved yet, which it reads in place of the stored rows they hide.
    struct TransferSource
    {
        QString databasePath;
        QString folder;
        QList<ClipboardItem> items;
        QList<ClipboardItem> pending;
        QSet<QUuid> hidden;
        QList<std::pair<qint64, qint64>> hiddenRanges;
    };
    TransferSource transferSource() const;
    // The entries among `ids` that still exist, in the order given.
    QList<ClipboardItem> itemsWithIds(const QList<QUuid> &ids) const;
    // Whether changes wait to be written.
    bool hasPendingChanges() const { return !m_pending.isEmpty() || m_save.isUnderWay(); }
    // Adds imported entries as they are (no folding by content hash) in one transaction of
    // their own. When that fails none of them is added, the error is returned rather than
    // reported, and their side files are left to the caller.
    Status insertImported(const QList<ClipboardCapture> &captures);
    // Takes in `count` entries that an import wrote on a connection of its own.
    void adoptImported(qint64 count);

    // Waits until what the store does on other threads (writing a deleted period, removing side
    // files) is done, and takes in its outcome.
    void waitForBackgroundWork();
    // Waits for the check of the file in the background to end (an export or an import reads
    // and writes the file itself).
    void waitForCheck();

    // Starts what waits until the application is idle after its start: the sums of the search
    // column found beside the file are worked out in the background, during the file's check
    // and after it.
    void startIdleWork();

    // The file's one writer, which an import's jobs join; none for a history in memory.
    std::shared_ptr<StoreWriter> writer() const { return m_writer; }

Q_SIGNALS:
    void revisionChanged(qint64 revision);
    // A copy-back succeeded, leaving the system clipboard at `changeCount`: emitted before the
    // write's own change reaches the monitor, so that it does not record our own write.
    void copiedBack(qint64 changeCount);
    // A save failed: `message` titles the alert, `error` says why.
    void saveFailed(const QString &message, const Error &error);
    // The check in the background is over: the file's entries are in, or loadError says why
    // the history runs in memory.
    void checked();

private:
    ClipboardStore(std::unique_ptr<ClipboardDatabase> database, QString folder, std::optional<Error> loadError,
        ClipboardQueries::Counting counting = ClipboardQueries::Counting::Now);

    void stage(const ClipboardItem &item);
    void stageDeletion(const ClipboardItem &item);
    void stageDeletions(const QList<ClipboardItem> &items);
    void stageRangeDeletion(const ClipboardPending::Range &range);
    using Save = StoreSave<ClipboardPending::Written, ClipboardSaveJob::Outcome>;
    using Report = Save::Report;
    void writePending(Report report);
    // Writes everything pending and waits for it.
    Status writeHere();
    void failed(const Error &error, Report report);
    void settle(const ClipboardPending::Written &written, qint64 erased);
    void finishWrite();
    // What the last fold of the log found: a log a reader kept is folded once it lets go.
    void logFolded(bool folded);
    void foldLog();
    void removeSideFiles(const QStringList &paths);
    void removeStrayFiles(const QDateTime &opened);
    void finishCheck();
    // The side files of a history in memory go to a private temporary folder.
    void moveToTemporaryFolder();

    // The file's one writer, which outlives the reading connection: the last connection to go
    // folds the log back, which only a writer can.
    std::shared_ptr<StoreWriter> m_writer;
    std::unique_ptr<ClipboardDatabase> m_database;
    QString m_folder;
    std::optional<Error> m_loadError;
    qint64 m_revision = 0;
    // A deletion's log that could not be folded back yet, and the tries that follow until it is.
    bool m_logToFold = false;
    bool m_folding = false;
    QTimer m_foldRetry;
    ClipboardPending m_pending;
    std::unique_ptr<ClipboardQueries> m_queries;
    // Removes side files off the main thread, one after another.
    QThreadPool m_fileRemover;
    // The save under way on the writer's thread.
    Save m_save { QStringLiteral("the clipboard history") };
    // The folder of a store in memory, removed when it goes.
    std::unique_ptr<ClipboardFiles::TemporaryFolder> m_temporaryFolder;
    // The check in the background, which hands over the file's writer once it has passed, and
    // when the store opened.
    struct Checked
    {
        Status status;
        std::shared_ptr<StoreWriter> writer;
        std::optional<qint64> stored;
    };
    QFutureWatcher<Checked> m_check;
    QDateTime m_openedAt;
    // The deletions of imports being taken back, until they are written or a save fails.
    struct TakenBack
    {
        QList<QUuid> ids;
        QPromise<Status> promise;
    };
    std::vector<TakenBack> m_takenBack;
    bool m_checking = false;
    bool m_readsFile = false;
    bool m_idleWorkStarted = false;
};
