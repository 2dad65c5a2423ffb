#pragma once

#include "Models/Clipboard/ClipboardItem.h"

#include <QFuture>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThreadPool>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

// How the history is searched: contains_folded() looks for the folded query byte by byte in
// each entry's folded content and source name, which the entry keeps for text beyond ASCII,
// and which the scan makes itself from ASCII text (most text) by making capitals small. A
// large history is scanned in spans of rows on several read-only connections at once, which in
// one pass finds how many entries match and which of them are the newest. One scan runs at a
// time; one started in the background stops as soon as its future is cancelled, so that a
// search typed on top of it waits for nothing.
class ClipboardSearch final
{
public:
    // The outcome of a scan: how many entries match, and the `seq` of the newest of them, at
    // least as many as asked for when there are, with every entry copied at the same moment
    // as the last of those.
    struct Scan
    {
        qint64 count = 0;
        QList<qint64> rows;
    };

    // `filePath` is the store's file; empty for a database in memory, which is never split.
    explicit ClipboardSearch(QString filePath);
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
    // The same on another thread. Cancelling the future stops the scan within a few thousand
    // rows; the future then holds no result.
    QFuture<std::optional<Scan>> start(const ClipboardItem::Predicate &predicate, qint64 keep);

private:
    class Reader;
    using Stopped = std::function<bool()>;

    std::optional<Scan> run(const ClipboardItem::Predicate &predicate, qint64 keep, const Stopped &stopped);

    QString m_filePath;
    // Held by the scan under way: the readers serve one scan at a time.
    QMutex m_scanning;
    std::vector<std::unique_ptr<Reader>> m_readers;
    QThreadPool m_pool;
    // Runs the scans started in the background, one after another.
    QThreadPool m_background;
};
