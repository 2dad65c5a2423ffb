#pragma once

#include "Models/Clipboard/ClipboardItem.h"
#include "Models/Common/Result.h"
#include "Services/Clipboard/SearchColumn.h"

#include <QFuture>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <QVariantList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class StoreDatabase;
class StoreWriter;
struct sqlite3;

// How the history is searched: contains_folded() looks for the folded query byte by byte in
// each entry's content and source name, folded as it reads them (ASCII text, most text, only
// needs its capitals made small).
// A large history is searched in a column beside the file: every entry's folded text, when it
// was last copied and its kind, packed in blocks that several threads go through at once with
// a plain byte search, far quicker than reading the entries through SQLite. The column is a
// snapshot: the file logs every entry changed or deleted since (clipboard_change), and those,
// with the entries added since, are looked for in the file itself. A snapshot grown stale is
// made afresh in the background; until one is ready, the file's entries are scanned in spans
// on several read-only connections, but by a scan in the background while there is no column
// at all, which waits for the one being made rather than slowing it. The column serves only
// the file it was made for (a token both keep) with its blocks' sums matching, and a deleted entry's text leaves the
// disk with it: its record is erased where it lies before the deletion is told done (the column then takes a new token,
// and the deletion's log goes), and a column that still holds a deleted entry after a crash is removed as the history
// opens. One scan runs at a time; one started in the background stops as soon as its future is cancelled, so that a
// search typed on top of it waits for nothing.
class ClipboardSearch final
{
public:
    // The outcome of a scan: how many entries match, and the `seq` of the newest of them, at
    // least as many as asked for when there are, with every entry copied at the same moment
    // as the last of those; newest first, with when each was last copied (in milliseconds), so
    // that the first few can be read alone.
    // Saved entries a scan passes over, as changes not written yet stand in for them or delete
    // them: by id (as the file keeps it), and every one last copied in a span deleted wholesale
    // (start inclusive, end exclusive, in milliseconds).
    struct Hidden
    {
        QSet<QByteArray> ids;
        SearchColumn::Spans spans;
        bool isEmpty() const { return ids.isEmpty() && spans.empty(); }
        bool hides(QByteArrayView id, qint64 copiedAt) const;
    };

    struct Scan
    {
        qint64 count = 0;
        QList<qint64> rows;
        QList<qint64> copiedAt;
        // What it passed over.
        Hidden hidden;
    };

    // Whether the file has passed its check. One whose check is under way is read without
    // changing anything beside it (no log or index is made) but the column, made meanwhile
    // rather than after the check, for the search of the file once checked to take over.
    enum class File { Checked, Unchecked };

    // The column of a search of the file during its check, which the search of the file once
    // checked takes over (its blocks found whole stay so): one made meanwhile is yet to be
    // paired with the file by its writer.
    struct Column
    {
        std::shared_ptr<SearchColumn> column;
        bool unpaired = false;
    };

    // `filePath` is the store's file; empty for a database in memory, which is never split.
    // `handed` serves in place of the column beside the file.
    ClipboardSearch(QString filePath, File file, Column handed);
    ~ClipboardSearch();
    ClipboardSearch(const ClipboardSearch &) = delete;
    ClipboardSearch &operator=(const ClipboardSearch &) = delete;

    // Adds contains_folded() to a connection; false when it cannot.
    static bool install(sqlite3 *handle);

    // The condition on clipboard_item AS i that a predicate makes, with its bindings.
    static QString condition(const ClipboardItem::Predicate &predicate);
    static QVariantList bindings(const ClipboardItem::Predicate &predicate);

    // Whether a history of `rows` saved entries is scanned in spans; a smaller one is quicker
    // on the store's own connection.
    bool splits(qint64 rows) const;

    // Scans the file's entries for `predicate`, keeping the newest `keep` matches. Absent
    // when the history is too small to split or a connection fails; the caller then asks its
    // own connection. Sees only what is saved.
    std::optional<Scan> scan(const ClipboardItem::Predicate &predicate, qint64 keep);
    // The same on another thread, passing over `hidden`, so that the changes not written yet
    // can be laid over its answer. Where the scan fails, the file is searched there through
    // SQLite alone, and where that fails too, nothing is found, as a read that fails finds
    // nothing; the answer is always there but when the scan is stopped. Cancelling the future
    // stops the scan within a few thousand rows; the future then holds no result.
    QFuture<std::optional<Scan>> start(
        const ClipboardItem::Predicate &predicate, qint64 keep, const Hidden &hidden = {});

    // The store's writer, whose connection, the file's only read-write one, pairs each column
    // made with the file, one made before it too (without one, a column serves until the
    // history closes).
    void useWriter(const std::weak_ptr<StoreWriter> &writer);
    // Has the column made in the background, unless the one beside the file serves, for a
    // history large enough to split.
    void prepare();
    // Once entries were deleted, through `sql`, the writer's connection, before the deletion is
    // told done: erases their records in the column's file, which then holds neither their text
    // nor their log, and waits for the disk; after the whole history went, or on a failure,
    // removes the file and has the column made afresh in the background.
    void erase(const StoreDatabase &sql);
    // Waits until the column under way is made or found unusable (tests, tools); true when the
    // scans have one.
    bool waitForColumn();
    // Whether the scans have a column now.
    bool hasColumn();
    // Finished once no column is being made.
    QFuture<void> columnMade();
    // Works out the sums of the column found beside the file in the background, a block at a
    // time between the scans, which go first, so that the first scan to read a block need
    // not; asked once the application is idle after its start, since reading the whole
    // column slows the start. Once is enough.
    void verifyInBackground();
    // Stops the scans and the making of a column for good, as the search going does; then
    // hands its column over.
    Column handOver();

private:
    class Reader;
    using Stopped = std::function<bool()>;

    std::optional<Scan> run(
        const ClipboardItem::Predicate &predicate, qint64 keep, const Hidden &hidden, const Stopped &stopped);
    std::optional<Scan> runSpans(
        const ClipboardItem::Predicate &predicate, qint64 keep, const Hidden &hidden, const Stopped &stopped);
    std::optional<Scan> runColumn(const SearchColumn &column, const ClipboardItem::Predicate &predicate, qint64 keep,
        const Hidden &hidden, const Stopped &stopped);
    // Every saved entry through one connection, as the store's own would read them.
    std::optional<Scan> runWhole(
        const ClipboardItem::Predicate &predicate, qint64 keep, const Hidden &hidden, const Stopped &stopped);
    bool openReaders(int count);
    // The newest `keep` of `hits` (and those copied with the last of them) among `count` found.
    static Scan newest(qint64 count, std::vector<SearchColumn::Hit> hits, size_t keep);
    // Makes the column afresh in the background (under m_scanning).
    void renewColumn();
    // Removes the column's file and has it made afresh (under m_scanning).
    void dropColumn();
    void makeColumn();
    // The column beside the file when it is whole and made for the file as it is now, holding
    // no entry deleted since; any other is removed, with what a making cut short left.
    std::shared_ptr<SearchColumn> found() const;
    // A column of the file as it is now in a file of no name yet; none on a failure.
    std::shared_ptr<SearchColumn> written();
    // Has the writer pair `column` with the file.
    static QFuture<Status> pair(StoreWriter &writer, const SearchColumn &column);

    QString m_filePath;
    File m_file;
    // Held by the scan under way: the readers serve one scan at a time.
    QMutex m_scanning;
    std::vector<std::unique_ptr<Reader>> m_readers;
    QThreadPool m_pool;
    // Runs the scans started in the background, one after another.
    QThreadPool m_background;
    // The column the scans use (under m_scanning), looked for once.
    std::shared_ptr<SearchColumn> m_column;
    bool m_columnLookedFor = false;
    // Under m_scanning, with the column made before it came.
    std::weak_ptr<StoreWriter> m_writer;
    std::shared_ptr<SearchColumn> m_unpaired;
    // Makes the column; stopped when the search goes.
    QThreadPool m_maker;
    // Under its own lock, which no scan holds for long.
    QMutex m_madeLock;
    QFuture<void> m_made;
    // Reads the entries for it, a span each.
    QThreadPool m_filling;
    std::atomic<bool> m_making = false;
    // Asked for while one was being made, which may hold what is to go.
    std::atomic<bool> m_makeAgain = false;
    // How many times entries were deleted (under m_scanning): a column whose snapshot began
    // before the last time is not used, and another is made.
    quint64 m_forgotten = 0;
    std::atomic<bool> m_closing = false;
    // The scans asking for m_scanning or holding it, which the sums' work lets go first.
    std::atomic<int> m_scansAsking = 0;
    std::atomic<bool> m_verifyAsked = false;
};
