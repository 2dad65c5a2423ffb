#pragma once

#include "Models/Clipboard/ClipboardItem.h"

#include <QList>
#include <QString>
#include <QThreadPool>
#include <QVariantList>

#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

// How the history is searched: every entry's folded text sits in the narrow search table with
// its last copy time, and contains_folded() looks for the folded query in it byte by byte. A
// large history is scanned in spans of rows on several read-only connections at once, which in
// one pass finds how many entries match and which of them are the newest.
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

    // Adds contains_folded() and search_fold() to a connection; false when it cannot.
    static bool install(sqlite3 *handle);

    // The condition on clipboard_search AS s that a predicate makes, with its bindings.
    static QString condition(const ClipboardItem::Predicate &predicate);
    static QVariantList bindings(const ClipboardItem::Predicate &predicate);

    // Scans the file's search rows for `predicate`, keeping the newest `keep` matches. Absent
    // when the history is too small to split or a connection fails; the caller then asks its
    // own connection. Sees only what is saved.
    std::optional<Scan> scan(const ClipboardItem::Predicate &predicate, qint64 keep);

private:
    class Reader;

    QString m_filePath;
    std::vector<std::unique_ptr<Reader>> m_readers;
    QThreadPool m_pool;
};
