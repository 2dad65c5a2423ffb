#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMutex>
#include <QString>

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <utility>
#include <vector>

// The search's column beside a history file: blocks of records, each an entry's kind, folded
// text (its content's, a zero byte, its source name's) and last copy,
// then the blocks' places with the sums of their bytes, the token of the file it was made for
// and what its snapshot saw. A cache of the file, kept in this machine's byte order. It holds
// its file open: what a scan reads is this column's, whatever takes its name meanwhile.
// Scanned by several threads at once.
class SearchColumn final
{
public:
    // Which state of the history file the column was made for: a random token that the file
    // keeps for as long as the column is the one made for it.
    using Token = std::array<char, 16>;

    // Where a snapshot of the file ends: the last change logged, and its newest entry.
    struct Snapshot
    {
        qint64 mark = 0;
        qint64 lastSeq = 0;
    };

    // What the column keeps of an entry besides its folded text.
    struct Record
    {
        qint64 seq;
        qint64 copiedAt;
        // The kind's place in ClipboardKinds::all plus one, or 0 for a word no query names.
        quint8 kind;
        quint32 textSize;
    };

    // Spans of last copies, from the first (inclusive) to the second (exclusive).
    using Spans = std::vector<std::pair<qint64, qint64>>;
    static bool holds(const Spans &spans, qint64 copiedAt)
    {
        return std::any_of(spans.cbegin(), spans.cend(),
            [copiedAt](const auto &span) { return copiedAt >= span.first && copiedAt < span.second; });
    }

    // One match of a scan: when its entry was last copied, and its row.
    struct Hit
    {
        qint64 copiedAt;
        qint64 seq;
    };

    // What one scan looks for in the blocks.
    struct Needles
    {
        // Entries the blocks do not answer for, in order: changed since the snapshot (SQLite
        // tells what they are now) or hidden.
        const std::vector<qint64> &changed;
        // Folded, with where it is looked for first (SearchFolding::anchorOf).
        const QByteArray &text;
        size_t anchor;
        // The code of the kind the query names (kindCode), or 0.
        quint8 kind;
        // How many of the newest matches are kept.
        size_t newest;
        // Entries last copied in these are hidden.
        const Spans &hiddenSpans;
    };

    // Writes a column into a file of no name yet beside the history (or, where the file system
    // has none, under a name of its own that finding the column removes). Several threads fill
    // it at once, each through Blocks of its own.
    class Writer final
    {
    public:
        explicit Writer(const QString &filePath);
        ~Writer();
        Writer(const Writer &) = delete;
        Writer &operator=(const Writer &) = delete;

        // Places a whole block after those placed before; false on a failure.
        bool put(const QByteArray &block);
        bool failed() const { return m_failed; }
        // The column written, its blocks taken as checked; none on a failure.
        std::shared_ptr<SearchColumn> finish(const Snapshot &snapshot);

    private:
        QString m_filePath;
        std::shared_ptr<SearchColumn> m_column;
        QMutex m_placing;
        qint64 m_written = 0;
        std::atomic<bool> m_failed = false;
    };

    // One thread's records, put in the column a block at a time.
    class Blocks final
    {
    public:
        explicit Blocks(Writer &writer);
        Blocks(const Blocks &) = delete;
        Blocks &operator=(const Blocks &) = delete;

        // False on a failure, after which nothing is written.
        bool append(const Record &record, QByteArrayView text, QByteArrayView app);
        // Puts the block under way in the column.
        bool flush();

    private:
        Writer &m_writer;
        QByteArray m_block;
        qint64 m_seq = 0;
        qint64 m_copiedAt = 0;
    };

    ~SearchColumn();
    SearchColumn(const SearchColumn &) = delete;
    SearchColumn &operator=(const SearchColumn &) = delete;

    // The column's file beside the history file at `filePath`.
    static QString pathOf(const QString &filePath);
    // The column beside the file when it is whole, for the database to tell whether it is the
    // one made for it; a column that is not whole, and what a making cut short left, are removed.
    static std::shared_ptr<SearchColumn> found(const QString &filePath);
    // Removes the column's file of the history at `filePath`, whichever it is; false when it
    // is there and stays.
    static bool removeAt(const QString &filePath);

    // The code a kind's stored word has in the records.
    static quint8 kindCode(QByteArrayView word);
    // Keeps the `keep` newest hits and every other one copied at the same moment as the last.
    static void keepNewest(std::vector<Hit> &hits, size_t keep);

    const Token &token() const { return m_token; }
    const Snapshot &snapshot() const { return m_snapshot; }
    size_t blockCount() const { return m_blocks.size(); }

    // Gives the file the column's name beside the history at `filePath`, over the column
    // there, or, when not `named`, no name at all.
    bool place(const QString &filePath, bool named) const;
    // Removes the column's own file, unless another column has its name by now.
    void remove(const QString &filePath) const;

    // Overwrites the records of the rows `seqs` (in order) where they lie, their kind and text
    // zeroed, so that no scan matches them and their text is in the file no more, gives the
    // column a new token and waits for the disk to hold it; false on a failure, after which the
    // column may not serve. No scan may run meanwhile.
    bool erase(const std::vector<qint64> &seqs);
    // How many records were erased since the column was found or made.
    qint64 erasedCount() const { return m_erased; }

    // Reads block `index` and notes whether its bytes match their sum, unless a scan did;
    // false when they do not.
    bool verify(size_t index, std::vector<char> &buffer) const;
    // Counts the matches of block `index` and keeps the newest; false when the block cannot be
    // read, its bytes do not match their sum (looked at once) or its records are damaged.
    // `buffer` holds the block, reused by one thread from block to block.
    bool scan(
        size_t index, const Needles &needles, qint64 &count, std::vector<Hit> &hits, std::vector<char> &buffer) const;

private:
    struct Block
    {
        qint64 offset;
        qint64 size;
        quint64 sum;
    };
    struct Tail;

    SearchColumn() = default;
    static quint64 sumOf(const std::vector<Block> &blocks, const Tail &tail);

    bool writeTable() const;

    int m_fd = -1;
    qint64 m_tableAt = 0;
    // Each block's first row with the block's place in m_blocks, in the rows' order: every block
    // holds a run of rows no other block's run overlaps. Read by the first erasure.
    std::vector<std::pair<qint64, size_t>> m_firstRows;
    qint64 m_erased = 0;
    Token m_token {};
    Snapshot m_snapshot;
    std::vector<Block> m_blocks;
    // Whether each block's bytes were found to match their sum, once, as a scan first read it.
    std::unique_ptr<std::atomic<bool>[]> m_checked;
};
