#include "Services/Clipboard/ClipboardSearch.h"

#include "Platform/Logging.h"

#include <QFuture>
#include <QPromise>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace {

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

// How common a byte is in folded text, roughly: blanks and frequent letters high, everything
// else low.
int commonness(unsigned char byte)
{
    static const char *const byFrequency = " etaoinshrdlcumwfgypbvkjxqz";
    if (const char *at = std::strchr(byFrequency, byte); at && byte != 0)
        return 64 - int(at - byFrequency);
    return 0;
}

// Where a needle is looked for first: its rarest byte, so that memchr() stops least often.
size_t anchorOf(const char *needle, size_t needleSize)
{
    size_t anchor = 0;
    for (size_t i = 1; i < needleSize; ++i) {
        if (commonness(static_cast<unsigned char>(needle[i])) < commonness(static_cast<unsigned char>(needle[anchor])))
            anchor = i;
    }
    return anchor;
}

// Whether `needle` occurs in `haystack`: memchr() for the needle's byte at `anchor`, then a
// compare. Much faster than memmem() on the texts a history holds.
bool containsBytes(const char *haystack, size_t haystackSize, const char *needle, size_t needleSize, size_t anchor)
{
    if (needleSize == 0)
        return true;
    if (needleSize > haystackSize)
        return false;
    const char anchorByte = needle[anchor];
    const char *from = haystack + anchor;
    const char *const last = haystack + (haystackSize - needleSize) + anchor;
    while (from <= last) {
        const void *hit = std::memchr(from, anchorByte, size_t(last - from) + 1);
        if (!hit)
            return false;
        const char *start = static_cast<const char *>(hit) - anchor;
        if (std::memcmp(start, needle, needleSize) == 0)
            return true;
        from = static_cast<const char *>(hit) + 1;
    }
    return false;
}

// ASCII text with its capitals made small, as searchFolded() folds it, in a buffer of the
// thread's own that the next call reuses; eight bytes at a time.
const char *lowered(const char *text, size_t size)
{
    constexpr quint64 high = 0x8080808080808080ULL;
    thread_local std::vector<char> buffer;
    if (buffer.size() < size)
        buffer.resize(size);
    char *out = buffer.data();
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word = 0;
        std::memcpy(&word, text + i, 8);
        // A byte's high bit set by adding: at least 'A', and not yet one past 'Z'.
        const quint64 capitals = (word + 0x3F3F3F3F3F3F3F3FULL) & ~(word + 0x2525252525252525ULL) & high;
        word |= capitals >> 2;
        std::memcpy(out + i, &word, 8);
    }
    for (; i < size; ++i)
        out[i] = text[i] >= 'A' && text[i] <= 'Z' ? char(text[i] | 0x20) : text[i];
    return out;
}

// contains_folded(needle, folded, text, …): whether the UTF-8 needle occurs in any pair's
// folded text, or, where that is NULL, in its text (ASCII, then) with capitals made small. Both
// sides are folded then, and UTF-8 byte containment is character containment, so a byte search
// serves; it is many times faster than instr(), which counts characters as it goes.
void containsFolded(sqlite3_context *context, int count, sqlite3_value **arguments)
{
    const char *needle = count > 0 ? reinterpret_cast<const char *>(sqlite3_value_text(arguments[0])) : nullptr;
    const auto needleSize = size_t(count > 0 ? sqlite3_value_bytes(arguments[0]) : 0);
    if (!needle) {
        sqlite3_result_int(context, 0);
        return;
    }
    // The needle is the same for every row of a statement: its anchor is worked out once.
    auto *anchor = static_cast<size_t *>(sqlite3_get_auxdata(context, 0));
    if (!anchor) {
        anchor = new size_t(anchorOf(needle, needleSize));
        sqlite3_set_auxdata(context, 0, anchor, [](void *data) { delete static_cast<size_t *>(data); });
        // SQLite may drop it at once (out of memory); it is read again below only if kept.
        anchor = static_cast<size_t *>(sqlite3_get_auxdata(context, 0));
    }
    const size_t at = anchor ? *anchor : anchorOf(needle, needleSize);
    for (int i = 1; i + 1 < count; i += 2) {
        const bool kept = sqlite3_value_type(arguments[i]) != SQLITE_NULL;
        sqlite3_value *side = arguments[kept ? i : i + 1];
        const char *text = reinterpret_cast<const char *>(sqlite3_value_text(side));
        const auto size = size_t(sqlite3_value_bytes(side));
        if (text && size >= needleSize
            && containsBytes(kept ? text : lowered(text, size), size, needle, needleSize, at)) {
            sqlite3_result_int(context, 1);
            return;
        }
    }
    sqlite3_result_int(context, 0);
}

// One match of a scan: when its entry was last copied, and its row.
struct Hit
{
    qint64 copiedAt;
    qint64 seq;
};

// Keeps the `keep` newest hits and every other one copied at the same moment as the last of them.
void keepNewest(std::vector<Hit> &hits, size_t keep)
{
    if (hits.size() <= keep)
        return;
    if (keep == 0) {
        hits.clear();
        return;
    }
    const auto newer = [](const Hit &a, const Hit &b) { return a.copiedAt > b.copiedAt; };
    std::nth_element(hits.begin(), hits.begin() + std::ptrdiff_t(keep - 1), hits.end(), newer);
    const qint64 last = hits[keep - 1].copiedAt;
    hits.erase(std::partition(hits.begin() + std::ptrdiff_t(keep), hits.end(),
                   [last](const Hit &hit) { return hit.copiedAt >= last; }),
        hits.end());
}

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

    bool open(const QString &path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr)
            != SQLITE_OK)
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
        // A cancelled scan is interrupted where it is; its statement then fails.
        m_stopped = stopped;
        sqlite3_progress_handler(
            m_handle, stepsBetweenLooks, [](void *stop) { return (*static_cast<Stopped *>(stop))() ? 1 : 0; },
            &m_stopped);
        sqlite3_stmt *rows = prepared("SELECT i.seq, i.last_copied_at FROM clipboard_item AS i "
                                      "WHERE i.seq >= ? AND i.seq < ? AND ("
            + condition + ')');
        std::optional<qint64> count;
        if (bind(rows, first, end, bindings)) {
            qint64 found = 0;
            int code = SQLITE_ROW;
            while ((code = sqlite3_step(rows)) == SQLITE_ROW) {
                ++found;
                if (keep == 0)
                    continue;
                hits.push_back({ sqlite3_column_int64(rows, 1), sqlite3_column_int64(rows, 0) });
                // Trimmed now and then, so that a common term holds little.
                if (hits.size() >= 4 * keep + 1024)
                    keepNewest(hits, keep);
            }
            if (code == SQLITE_DONE)
                count = found;
        }
        finish(rows);
        sqlite3_progress_handler(m_handle, 0, nullptr, nullptr);
        keepNewest(hits, keep);
        return count;
    }

private:
    sqlite3_stmt *prepared(const QByteArray &sql)
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_handle, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
            qCWarning(lcStore) << "search:" << sqlite3_errmsg(m_handle);
        return statement;
    }

    static bool bind(sqlite3_stmt *statement, qint64 first, qint64 end, const QVariantList &bindings)
    {
        bool bound = statement && sqlite3_bind_int64(statement, 1, first) == SQLITE_OK
            && sqlite3_bind_int64(statement, 2, end) == SQLITE_OK;
        for (qsizetype i = 0; bound && i < bindings.size(); ++i) {
            const QVariant &value = bindings[i];
            if (value.typeId() == QMetaType::QString) {
                const QByteArray text = value.toString().toUtf8();
                bound = sqlite3_bind_text64(statement, int(i) + 3, text.constData(), sqlite3_uint64(text.size()),
                            SQLITE_TRANSIENT, SQLITE_UTF8)
                    == SQLITE_OK;
            } else {
                bound = sqlite3_bind_int64(statement, int(i) + 3, value.toLongLong()) == SQLITE_OK;
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
}

ClipboardSearch::~ClipboardSearch()
{
    m_background.waitForDone();
    m_pool.waitForDone();
}

bool ClipboardSearch::install(sqlite3 *handle)
{
    return handle
        && sqlite3_create_function_v2(handle, "contains_folded", -1,
               SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr, &containsFolded, nullptr, nullptr,
               nullptr)
        == SQLITE_OK;
}

QString ClipboardSearch::condition(const ClipboardItem::Predicate &predicate)
{
    QString where = QStringLiteral("contains_folded(?, i.search_content, i.content, i.search_app, i.source_app_name)");
    if (!predicate.kindWord.isEmpty())
        where += QStringLiteral(" OR i.raw_kind = ?");
    return where;
}

QVariantList ClipboardSearch::bindings(const ClipboardItem::Predicate &predicate)
{
    QVariantList values { predicate.folded };
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

std::optional<ClipboardSearch::Scan> ClipboardSearch::run(
    const ClipboardItem::Predicate &predicate, qint64 keep, const Stopped &stopped)
{
    const int spans = std::min(QThread::idealThreadCount(), maximumSpans);
    if (m_filePath.isEmpty() || spans < 2)
        return std::nullopt;
    while (int(m_readers.size()) < spans) {
        auto reader = std::make_unique<Reader>();
        if (!reader->open(m_filePath)) {
            qCWarning(lcStore) << "search: cannot open a reader of" << m_filePath;
            return std::nullopt;
        }
        m_readers.push_back(std::move(reader));
    }
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
    keepNewest(merged, newest);
    total.rows.reserve(qsizetype(merged.size()));
    for (const Hit &hit : merged)
        total.rows.append(hit.seq);
    return total;
}
