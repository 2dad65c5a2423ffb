#include "Services/Clipboard/ClipboardSearch.h"

#include "Platform/Logging.h"
#include "Services/Clipboard/SearchColumn.h"
#include "Services/Clipboard/SearchFolding.h"

#include <QFuture>
#include <QPromise>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace {

using Hit = SearchColumn::Hit;

// Below this many rows one scan on the store's own connection is quicker than the hand-off.
constexpr qint64 splitRows = 8192;
// How many virtual machine steps a scan takes between two looks at whether it was cancelled:
// a few hundred rows, well under a millisecond.
constexpr int stepsBetweenLooks = 10000;
// The scan is bound by memory and SQLite's work per row; more spans than this gain little.
constexpr int maximumSpans = 8;
// Each reader's page cache, in KiB: a scan reads every row once, so a cache would not be hit,
// and a small one keeps memory flat however large the history grows. (Mapping the file would
// scan faster, but every page read would then count as the process's own memory.)
constexpr int readerCacheKiB = 128;

// The column is made afresh once this many entries changed since its snapshot (or a hundredth
// of the history, if more): each of them is looked for through SQLite.
constexpr size_t renewAfter = 4096;

} // namespace

// A read-only connection to the store's file that scans one span of search rows, used by one
// thread at a time.
class ClipboardSearch::Reader final
{
public:
    Reader() = default;
    ~Reader() { sqlite3_close_v2(m_handle); }
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    bool open(const QString &path, bool readOnly = true)
    {
        const int mode = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_handle, mode | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
            return false;
        const QByteArray pragmas
            = "PRAGMA busy_timeout = 2000; PRAGMA cache_size = -" + QByteArray::number(readerCacheKiB);
        return sqlite3_exec(m_handle, pragmas.constData(), nullptr, nullptr, nullptr) == SQLITE_OK && install(m_handle);
    }

    // The first and one past the last `seq` of the search rows; absent when there are none.
    std::optional<std::pair<qint64, qint64>> bounds()
    {
        sqlite3_stmt *statement = prepared("SELECT (SELECT min(seq) FROM clipboard_item), "
                                           "(SELECT max(seq) FROM clipboard_item)");
        std::optional<std::pair<qint64, qint64>> result;
        if (statement && sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_type(statement, 0) != SQLITE_NULL)
            result = std::pair { sqlite3_column_int64(statement, 0), sqlite3_column_int64(statement, 1) + 1 };
        finish(statement);
        return result;
    }

    // How many rows with first <= seq < end `condition` accepts, and the newest `keep` of them
    // (see keepNewest); absent on any failure.
    std::optional<qint64> scan(const QByteArray &condition, const QVariantList &bindings, qint64 first, qint64 end,
        size_t keep, std::vector<Hit> &hits, const Stopped &stopped)
    {
        return select("i.seq >= ? AND i.seq < ?", { first, end }, condition, bindings, keep, hits, stopped);
    }

    // The same for the rows that `rows` (on clipboard_item AS i, with `leading` bound) picks.
    std::optional<qint64> select(const QByteArray &rows, const QVariantList &leading, const QByteArray &condition,
        const QVariantList &bindings, size_t keep, std::vector<Hit> &hits, const Stopped &stopped)
    {
        // A cancelled scan is interrupted where it is; its statement then fails.
        m_stopped = stopped;
        sqlite3_progress_handler(
            m_handle, stepsBetweenLooks, [](void *stop) { return (*static_cast<Stopped *>(stop))() ? 1 : 0; },
            &m_stopped);
        sqlite3_stmt *statement = prepared(
            "SELECT i.seq, i.last_copied_at FROM clipboard_item AS i WHERE " + rows + " AND (" + condition + ')');
        std::optional<qint64> count;
        if (bind(statement, leading + bindings)) {
            qint64 found = 0;
            int code = SQLITE_ROW;
            while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
                ++found;
                if (keep == 0)
                    continue;
                hits.push_back({ sqlite3_column_int64(statement, 1), sqlite3_column_int64(statement, 0) });
                // Trimmed now and then, so that a common term holds little.
                if (hits.size() >= 4 * keep + 1024)
                    SearchColumn::keepNewest(hits, keep);
            }
            if (code == SQLITE_DONE)
                count = found;
        }
        finish(statement);
        sqlite3_progress_handler(m_handle, 0, nullptr, nullptr);
        SearchColumn::keepNewest(hits, keep);
        return count;
    }

    // Holds one view of the file over several statements, or lets it go.
    bool begin() { return sqlite3_exec(m_handle, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK; }
    void end() { sqlite3_exec(m_handle, "COMMIT", nullptr, nullptr, nullptr); }

    // The entries changed or deleted since the change numbered `since`, in order; absent on a
    // failure.
    std::optional<std::vector<qint64>> changedSince(qint64 since)
    {
        sqlite3_stmt *statement = prepared("SELECT seq FROM clipboard_change WHERE n > ? ORDER BY seq");
        std::optional<std::vector<qint64>> result;
        if (statement && sqlite3_bind_int64(statement, 1, since) == SQLITE_OK) {
            std::vector<qint64> seqs;
            int code = SQLITE_ROW;
            while ((code = sqlite3_step(statement)) == SQLITE_ROW)
                seqs.push_back(sqlite3_column_int64(statement, 0));
            if (code == SQLITE_DONE)
                result = std::move(seqs);
        }
        finish(statement);
        return result;
    }

    // Hands `each` every entry in one view of the file with what the column keeps of it, until
    // it says stop; the last change logged and the newest entry, absent on a failure or a stop.
    std::optional<SearchColumn::Snapshot> entries(
        const std::function<bool(const SearchColumn::Record &, const QByteArrayView &text, const QByteArrayView &app)>
            &each)
    {
        std::optional<SearchColumn::Snapshot> tail;
        sqlite3_stmt *mark
            = prepared("SELECT coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'clipboard_change'), 0)");
        if (mark && sqlite3_step(mark) == SQLITE_ROW)
            tail = SearchColumn::Snapshot { sqlite3_column_int64(mark, 0), 0 };
        finish(mark);
        sqlite3_stmt *rows
            = prepared("SELECT i.seq, i.last_copied_at, k.name, i.content, a.name FROM clipboard_item AS i "
                       "LEFT JOIN clipboard_name AS k ON k.code = i.kind_code "
                       "LEFT JOIN clipboard_name AS a ON a.code = i.app_name_code");
        if (!rows || !tail) {
            finish(rows);
            return std::nullopt;
        }
        const auto bytes = [rows](int column) {
            const auto *text = static_cast<const char *>(sqlite3_column_blob(rows, column));
            return QByteArrayView(text, text ? sqlite3_column_bytes(rows, column) : 0);
        };
        std::vector<char> content;
        std::vector<char> app;
        const auto folded = [&](int column, std::vector<char> &buffer) {
            const QByteArrayView text = bytes(column);
            return SearchFolding::folded(text.data(), size_t(text.size()), buffer);
        };
        int code = SQLITE_ROW;
        while ((code = sqlite3_step(rows)) == SQLITE_ROW) {
            const QByteArrayView text = folded(3, content);
            const QByteArrayView name = folded(4, app);
            const SearchColumn::Record head { sqlite3_column_int64(rows, 0), sqlite3_column_int64(rows, 1),
                SearchColumn::kindCode(bytes(2)), quint32(text.size() + 1 + name.size()) };
            tail->lastSeq = std::max(tail->lastSeq, head.seq);
            if (!each(head, text, name))
                break;
        }
        finish(rows);
        if (code != SQLITE_DONE)
            return std::nullopt;
        return tail;
    }

    // The token of the column made for the file as it is (see pair), or none.
    std::optional<SearchColumn::Token> token()
    {
        sqlite3_stmt *kept = prepared("SELECT count(*) FROM sqlite_master WHERE name = 'clipboard_column_token'");
        const bool keeps = kept && sqlite3_step(kept) == SQLITE_ROW && sqlite3_column_int(kept, 0) > 0;
        finish(kept);
        if (!keeps)
            return std::nullopt;
        sqlite3_stmt *statement = prepared("SELECT token FROM clipboard_column_token");
        std::optional<SearchColumn::Token> token;
        if (statement && sqlite3_step(statement) == SQLITE_ROW
            && sqlite3_column_bytes(statement, 0) == int(sizeof(SearchColumn::Token))) {
            token.emplace();
            std::memcpy(token->data(), sqlite3_column_blob(statement, 0), token->size());
        }
        finish(statement);
        return token;
    }

    // Whether an entry of `snapshot` was deleted since (or the whole history cleared): its
    // text must not be read again. True on a failure.
    bool lostSince(const SearchColumn::Snapshot &snapshot)
    {
        sqlite3_stmt *statement = prepared("SELECT EXISTS (SELECT 1 FROM clipboard_change AS c WHERE c.n > ? "
                                           "AND c.seq <= ? AND NOT EXISTS (SELECT 1 FROM clipboard_item AS i "
                                           "WHERE i.seq = c.seq))");
        const bool kept = statement && sqlite3_bind_int64(statement, 1, snapshot.mark) == SQLITE_OK
            && sqlite3_bind_int64(statement, 2, snapshot.lastSeq) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW
            && sqlite3_column_int(statement, 0) == 0;
        finish(statement);
        return !kept;
    }

    // Makes `token` the file's, whose column holds the entries up to the change numbered `mark`,
    // and forgets those changes, in one transaction: the changes since a column are kept for
    // as long as the file holds its token. (A column of an older token, or a file of another
    // one, matches no more.)
    bool pair(const SearchColumn::Token &token, qint64 mark)
    {
        if (sqlite3_exec(m_handle,
                "BEGIN IMMEDIATE; CREATE TABLE IF NOT EXISTS clipboard_column_token (token BLOB NOT NULL); "
                "DELETE FROM clipboard_column_token",
                nullptr, nullptr, nullptr)
            != SQLITE_OK) {
            sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
        sqlite3_stmt *keep = prepared("INSERT INTO clipboard_column_token (token) VALUES (?)");
        bool done = keep && sqlite3_bind_blob(keep, 1, token.data(), int(token.size()), SQLITE_STATIC) == SQLITE_OK
            && sqlite3_step(keep) == SQLITE_DONE;
        finish(keep);
        sqlite3_stmt *prune = prepared("DELETE FROM clipboard_change WHERE n <= ?");
        done = done && prune && sqlite3_bind_int64(prune, 1, mark) == SQLITE_OK && sqlite3_step(prune) == SQLITE_DONE;
        finish(prune);
        done = done && sqlite3_exec(m_handle, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!done)
            sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
        return done;
    }

private:
    sqlite3_stmt *prepared(const QByteArray &sql)
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_handle, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
            qCWarning(lcStore) << "search:" << sqlite3_errmsg(m_handle);
        return statement;
    }

    static bool bind(sqlite3_stmt *statement, const QVariantList &bindings)
    {
        bool bound = statement != nullptr;
        for (qsizetype i = 0; bound && i < bindings.size(); ++i) {
            const QVariant &value = bindings[i];
            if (value.typeId() == QMetaType::QString) {
                const QByteArray text = value.toString().toUtf8();
                bound = sqlite3_bind_text64(statement, int(i) + 1, text.constData(), sqlite3_uint64(text.size()),
                            SQLITE_TRANSIENT, SQLITE_UTF8)
                    == SQLITE_OK;
            } else {
                bound = sqlite3_bind_int64(statement, int(i) + 1, value.toLongLong()) == SQLITE_OK;
            }
        }
        return bound;
    }

    // Ends the statement and with it the read transaction, so the file is never held open.
    static void finish(sqlite3_stmt *statement) { sqlite3_finalize(statement); }

    sqlite3 *m_handle = nullptr;
    Stopped m_stopped;
};

ClipboardSearch::ClipboardSearch(QString filePath)
    : m_filePath(std::move(filePath))
{
    m_background.setMaxThreadCount(1);
    m_maker.setMaxThreadCount(1);
    if (!m_filePath.isEmpty())
        m_column = found();
}

ClipboardSearch::~ClipboardSearch()
{
    m_closing = true;
    m_maker.waitForDone();
    m_background.waitForDone();
    m_pool.waitForDone();
}

bool ClipboardSearch::install(sqlite3 *handle)
{
    return SearchFolding::install(handle);
}

QString ClipboardSearch::condition(const ClipboardItem::Predicate &predicate)
{
    // The few names are looked through once, not at every entry.
    QString where = QStringLiteral("contains_folded(?, i.content) OR i.app_name_code IN "
                                   "(SELECT code FROM clipboard_name WHERE contains_folded(?, name))");
    if (!predicate.kindWord.isEmpty())
        where += QStringLiteral(" OR i.kind_code = (SELECT code FROM clipboard_name WHERE name = ?)");
    return where;
}

QVariantList ClipboardSearch::bindings(const ClipboardItem::Predicate &predicate)
{
    QVariantList values { predicate.folded, predicate.folded };
    if (!predicate.kindWord.isEmpty())
        values << predicate.kindWord;
    return values;
}

bool ClipboardSearch::splits(qint64 rows) const
{
    return !m_filePath.isEmpty() && rows >= splitRows && QThread::idealThreadCount() >= 2;
}

std::optional<ClipboardSearch::Scan> ClipboardSearch::scan(const ClipboardItem::Predicate &predicate, qint64 keep)
{
    const QMutexLocker lock(&m_scanning);
    return run(predicate, keep, [] { return false; });
}

QFuture<std::optional<ClipboardSearch::Scan>> ClipboardSearch::start(
    const ClipboardItem::Predicate &predicate, qint64 keep)
{
    return QtConcurrent::run(&m_background, [this, predicate, keep](QPromise<std::optional<Scan>> &promise) {
        const QMutexLocker lock(&m_scanning);
        if (promise.isCanceled())
            return;
        std::optional<Scan> found = run(predicate, keep, [&promise] { return promise.isCanceled(); });
        if (!promise.isCanceled())
            promise.addResult(std::move(found));
    });
}

void ClipboardSearch::prepare()
{
    const QMutexLocker lock(&m_scanning);
    if (!m_columnLookedFor && !m_filePath.isEmpty() && !m_column)
        renewColumn();
    m_columnLookedFor = true;
}

bool ClipboardSearch::waitForColumn()
{
    m_maker.waitForDone();
    const QMutexLocker lock(&m_scanning);
    return m_column != nullptr;
}

void ClipboardSearch::forget()
{
    const QMutexLocker lock(&m_scanning);
    ++m_forgotten;
    // The deleted text leaves the disk now: a scan reads the column through its own descriptor
    // and leaves out what the file logged as deleted since.
    SearchColumn::removeAt(m_filePath);
    if (m_columnLookedFor)
        renewColumn();
    else
        m_column.reset();
}

void ClipboardSearch::renewColumn()
{
    m_columnLookedFor = true;
    // Asked for under m_scanning, as the maker's last look is.
    if (m_making.exchange(true)) {
        m_makeAgain = true;
        return;
    }
    m_maker.start([this] {
        for (;;) {
            makeColumn();
            // Asked for again only under this lock, so no request is lost.
            const QMutexLocker lock(&m_scanning);
            if (!m_makeAgain.exchange(false) || m_closing) {
                m_making = false;
                return;
            }
        }
    });
}

std::shared_ptr<const SearchColumn> ClipboardSearch::found() const
{
    std::shared_ptr<const SearchColumn> column = SearchColumn::found(m_filePath);
    bool current = false;
    Reader reader;
    if (column && reader.open(m_filePath) && reader.begin()) {
        const std::optional<SearchColumn::Token> token = reader.token();
        current = token && *token == column->token() && !reader.lostSince(column->snapshot());
        reader.end();
    }
    if (!column || current)
        return column;
    qCDebug(lcStore) << "search: the column of" << m_filePath << "is not the file's; it is made afresh";
    column->remove(m_filePath);
    return nullptr;
}

std::shared_ptr<const SearchColumn> ClipboardSearch::written() const
{
    SearchColumn::Writer writer(m_filePath);
    Reader reader;
    if (!reader.open(m_filePath) || !reader.begin())
        return nullptr;
    const std::optional<SearchColumn::Snapshot> snapshot
        = reader.entries([&](const SearchColumn::Record &record, const QByteArrayView &text,
                             const QByteArrayView &app) { return !m_closing && writer.append(record, text, app); });
    reader.end();
    return snapshot ? writer.finish(*snapshot) : nullptr;
}

void ClipboardSearch::makeColumn()
{
    quint64 forgotten = 0;
    {
        const QMutexLocker lock(&m_scanning);
        forgotten = m_forgotten;
    }
    const std::shared_ptr<const SearchColumn> made = written();
    {
        const QMutexLocker lock(&m_scanning);
        // Named under the lock the scans take. One whose snapshot may hold an entry deleted
        // since is never named, and serves until the one made after the deletion is ready.
        if (!made || !made->place(m_filePath, m_forgotten == forgotten)) {
            if (!m_closing)
                qCWarning(lcStore) << "search: cannot make the column of" << m_filePath;
            return;
        }
        m_column = made;
    }
    // What the column holds needs no log: the scans from now on read only what follows it.
    Reader pairer;
    if (!pairer.open(m_filePath, false) || !pairer.pair(made->token(), made->snapshot().mark))
        qCDebug(lcStore) << "search: the change log of" << m_filePath << "is kept for now";
}

std::optional<ClipboardSearch::Scan> ClipboardSearch::run(
    const ClipboardItem::Predicate &predicate, qint64 keep, const Stopped &stopped)
{
    if (m_filePath.isEmpty() || std::min(QThread::idealThreadCount(), maximumSpans) < 2)
        return std::nullopt;
    // Held here: a damaged column is let go of during its scan.
    const std::shared_ptr<const SearchColumn> column = m_column;
    if (!column) {
        if (!m_columnLookedFor)
            renewColumn();
        return runSpans(predicate, keep, stopped);
    }
    return runColumn(*column, predicate, keep, stopped);
}

bool ClipboardSearch::openReaders(int count)
{
    while (int(m_readers.size()) < count) {
        auto reader = std::make_unique<Reader>();
        if (!reader->open(m_filePath)) {
            qCWarning(lcStore) << "search: cannot open a reader of" << m_filePath;
            return false;
        }
        m_readers.push_back(std::move(reader));
    }
    return true;
}

std::optional<ClipboardSearch::Scan> ClipboardSearch::runSpans(
    const ClipboardItem::Predicate &predicate, qint64 keep, const Stopped &stopped)
{
    const int spans = std::min(QThread::idealThreadCount(), maximumSpans);
    if (!openReaders(spans))
        return std::nullopt;
    const std::optional<std::pair<qint64, qint64>> bounds = m_readers.front()->bounds();
    if (!bounds || bounds->second - bounds->first < splitRows)
        return std::nullopt;
    m_pool.setMaxThreadCount(spans - 1);

    const QByteArray where = condition(predicate).toUtf8();
    const QVariantList values = bindings(predicate);
    const auto newest = size_t(std::max<qint64>(keep, 0));
    const qint64 width = (bounds->second - bounds->first + spans - 1) / spans;
    std::vector<std::optional<qint64>> counts(static_cast<size_t>(spans));
    std::vector<std::vector<Hit>> hits(static_cast<size_t>(spans));
    auto scanSpan = [&](int span) {
        const qint64 from = bounds->first + width * span;
        counts[size_t(span)] = m_readers[size_t(span)]->scan(
            where, values, from, std::min(from + width, bounds->second), newest, hits[size_t(span)], stopped);
    };
    QList<QFuture<void>> others;
    for (int span = 1; span < spans; ++span)
        others << QtConcurrent::run(&m_pool, scanSpan, span);
    scanSpan(0);
    for (QFuture<void> &other : others)
        other.waitForFinished();

    Scan total;
    std::vector<Hit> merged;
    for (size_t span = 0; span < counts.size(); ++span) {
        if (!counts[span])
            return std::nullopt;
        total.count += *counts[span];
        merged.insert(merged.end(), hits[span].begin(), hits[span].end());
    }
    SearchColumn::keepNewest(merged, newest);
    total.rows.reserve(qsizetype(merged.size()));
    for (const Hit &hit : merged)
        total.rows.append(hit.seq);
    return total;
}

std::optional<ClipboardSearch::Scan> ClipboardSearch::runColumn(
    const SearchColumn &column, const ClipboardItem::Predicate &predicate, qint64 keep, const Stopped &stopped)
{
    const QByteArray needle = predicate.folded.toUtf8();
    // A zero byte parts an entry's content from its source name in the column.
    if (needle.contains('\0') || !openReaders(1))
        return runSpans(predicate, keep, stopped);
    Reader &reader = *m_readers.front();
    if (!reader.begin())
        return std::nullopt;
    std::optional<std::vector<qint64>> changed = reader.changedSince(column.snapshot().mark);
    // A history cleared whole since, or changed so much that reading the changes would be slower.
    const size_t stale = std::max(renewAfter, size_t(column.snapshot().lastSeq / 100));
    if (!changed || (!changed->empty() && changed->front() < 0) || changed->size() > 8 * stale) {
        reader.end();
        renewColumn();
        return changed ? runSpans(predicate, keep, stopped) : std::nullopt;
    }
    // Entries added since count as much: each is read through SQLite.
    const std::optional<std::pair<qint64, qint64>> bounds = reader.bounds();
    const qint64 added = bounds ? std::max<qint64>(bounds->second - 1 - column.snapshot().lastSeq, 0) : 0;
    if (changed->size() + size_t(added) > stale)
        renewColumn();

    const int threads = std::min(QThread::idealThreadCount(), maximumSpans);
    m_pool.setMaxThreadCount(threads - 1);
    const auto newest = size_t(std::max<qint64>(keep, 0));
    const SearchColumn::Needles needles { *changed, needle,
        SearchFolding::anchorOf(needle.constData(), size_t(needle.size())),
        predicate.kindWord.isEmpty() ? quint8(0) : SearchColumn::kindCode(predicate.kindWord.toUtf8()), newest };
    std::atomic<size_t> next = 0;
    std::atomic<bool> damaged = false;
    std::atomic<bool> halted = false;
    std::vector<qint64> counts(static_cast<size_t>(threads), 0);
    std::vector<std::vector<Hit>> hits(static_cast<size_t>(threads));
    auto scanBlocks = [&](int thread) {
        SearchColumn::Buffers buffers;
        std::vector<Hit> &found = hits[size_t(thread)];
        for (size_t block = 0; !damaged && !halted && (block = next++) < column.blockCount();) {
            if (stopped()) {
                halted = true;
                return;
            }
            if (!column.scan(block, needles, counts[size_t(thread)], found, buffers)) {
                damaged = true;
                return;
            }
        }
        SearchColumn::keepNewest(found, newest);
    };
    QList<QFuture<void>> others;
    for (int thread = 1; thread < threads; ++thread)
        others << QtConcurrent::run(&m_pool, scanBlocks, thread);

    // Meanwhile, the entries added or changed since the snapshot, as they are now.
    const QByteArray where = condition(predicate).toUtf8();
    const QVariantList values = bindings(predicate);
    std::vector<Hit> recent;
    const std::optional<qint64> fresh
        = reader.select("i.seq > ?", { column.snapshot().lastSeq }, where, values, newest, recent, stopped);
    const std::optional<qint64> renewed = fresh
        ? reader.select("i.seq <= ? AND i.seq IN (SELECT seq FROM clipboard_change WHERE n > ?)",
            { column.snapshot().lastSeq, column.snapshot().mark }, where, values, newest, recent, stopped)
        : std::nullopt;
    reader.end();
    scanBlocks(0);
    for (QFuture<void> &other : others)
        other.waitForFinished();

    if (damaged) {
        qCWarning(lcStore) << "search: the column of" << m_filePath << "is damaged; it is made afresh";
        // Only its own file: a column made since may have its name.
        column.remove(m_filePath);
        m_column.reset();
        renewColumn();
        return halted ? std::nullopt : runSpans(predicate, keep, stopped);
    }
    if (halted || !fresh || !renewed)
        return std::nullopt;
    Scan total;
    total.count = *fresh + *renewed;
    std::vector<Hit> merged = std::move(recent);
    for (size_t thread = 0; thread < hits.size(); ++thread) {
        total.count += counts[thread];
        merged.insert(merged.end(), hits[thread].begin(), hits[thread].end());
    }
    SearchColumn::keepNewest(merged, newest);
    total.rows.reserve(qsizetype(merged.size()));
    for (const Hit &hit : merged)
        total.rows.append(hit.seq);
    return total;
}
