#include "Services/Clipboard/ClipboardSearch.h"

#include "Platform/Logging.h"
#include "Services/Clipboard/SearchColumn.h"
#include "Services/Clipboard/SearchFolding.h"
#include "Services/Storage/StoreDatabase.h"
#include "Services/Storage/StoreFileCheck.h"
#include "Services/Storage/StoreWriter.h"

#include <QSqlError>
#include <QSqlQuery>

#include <QFuture>
#include <QHash>
#include <QPromise>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

using Hit = SearchColumn::Hit;

// Counts a scan among those asking for the search's lock while it lives.
class Asking
{
public:
    explicit Asking(std::atomic<int> &count)
        : m_count(count)
    {
        ++m_count;
    }
    ~Asking() { --m_count; }
    Asking(const Asking &) = delete;
    Asking &operator=(const Asking &) = delete;

private:
    std::atomic<int> &m_count;
};

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

// Makes `token` the file's, whose column holds the entries up to the change numbered `mark`,
// and forgets those changes: the changes since a column are kept for as long as the file holds
// its token. (A column of an older token, or a file of another one, matches no more.) Inside a
// transaction of the store's writer.
Status pairing(const StoreDatabase &sql, const SearchColumn::Token &token, qint64 mark)
{
    Status status = sql.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS clipboard_column_token (token BLOB NOT NULL)"));
    if (status)
        status = sql.exec(QStringLiteral("DELETE FROM clipboard_column_token"));
    if (status)
        status = sql.exec(QStringLiteral("INSERT INTO clipboard_column_token (token) VALUES (?)"),
            { QByteArray(token.data(), qsizetype(token.size())) });
    if (status)
        status = sql.exec(QStringLiteral("DELETE FROM clipboard_change WHERE n <= ?"), { mark });
    return status;
}

// The same in one transaction of its own: a job of the store's writer.
Status paired(const StoreDatabase &sql, const SearchColumn::Token &token, qint64 mark)
{
    return sql.write([&] { return pairing(sql, token, mark); });
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

    bool open(const QString &path, File file)
    {
        const QByteArray name = file == File::Checked ? path.toUtf8() : StoreFileCheck::readingUri(path);
        if (sqlite3_open_v2(
                name.constData(), &m_handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr)
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

    // How many rows with first <= seq < end `condition` accepts, but those hidden, and the
    // newest `keep` of them (see keepNewest); absent on any failure.
    std::optional<qint64> scan(const QByteArray &condition, const QVariantList &bindings, qint64 first, qint64 end,
        size_t keep, const Hidden &hidden, std::vector<Hit> &hits, const Stopped &stopped)
    {
        return select("i.seq >= ? AND i.seq < ?", { first, end }, condition, bindings, keep, hidden, hits, stopped);
    }

    // The same for the rows that `rows` (on clipboard_item AS i, with `leading` bound) picks.
    std::optional<qint64> select(const QByteArray &rows, const QVariantList &leading, const QByteArray &condition,
        const QVariantList &bindings, size_t keep, const Hidden &hidden, std::vector<Hit> &hits, const Stopped &stopped)
    {
        // A cancelled scan is interrupted where it is; its statement then fails.
        m_stopped = stopped;
        sqlite3_progress_handler(
            m_handle, stepsBetweenLooks, [](void *stop) { return (*static_cast<Stopped *>(stop))() ? 1 : 0; },
            &m_stopped);
        // Only the matches are looked up among the hidden, so the id is read only when some are.
        const bool hides = !hidden.isEmpty();
        sqlite3_stmt *statement
            = prepared(QByteArray(hides ? "SELECT i.seq, i.last_copied_at, i.id" : "SELECT i.seq, i.last_copied_at")
                + " FROM clipboard_item AS i WHERE " + rows + " AND (" + condition + ')');
        std::optional<qint64> count;
        if (bind(statement, leading + bindings)) {
            qint64 found = 0;
            int code = SQLITE_ROW;
            while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
                if (hides && hidden.hides(bytes(statement, 2), sqlite3_column_int64(statement, 1)))
                    continue;
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

    // The rows of the entries `ids` (as the file keeps them) that are there, in order; absent
    // on a failure.
    std::optional<std::vector<qint64>> rowsOf(const QSet<QByteArray> &ids)
    {
        std::vector<qint64> seqs;
        if (ids.isEmpty())
            return seqs;
        sqlite3_stmt *statement = prepared("SELECT seq FROM clipboard_item WHERE id = ?");
        bool read = statement != nullptr;
        for (auto id = ids.cbegin(); read && id != ids.cend(); ++id) {
            read = sqlite3_bind_blob64(statement, 1, id->constData(), sqlite3_uint64(id->size()), SQLITE_STATIC)
                == SQLITE_OK;
            int code = read ? sqlite3_step(statement) : SQLITE_ERROR;
            if (code == SQLITE_ROW) {
                seqs.push_back(sqlite3_column_int64(statement, 0));
                code = sqlite3_step(statement);
            }
            read = read && code == SQLITE_DONE && sqlite3_reset(statement) == SQLITE_OK;
        }
        finish(statement);
        if (!read)
            return std::nullopt;
        std::sort(seqs.begin(), seqs.end());
        return seqs;
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

    // Where the reader's view of the file stands: its last change logged, and its first entry
    // and one past its last. Read first in a transaction, it fixes the view; two views that
    // stand alike are one, as every write moves the one or the other.
    struct View
    {
        qint64 mark = 0;
        qint64 first = 0;
        qint64 end = 0;
        bool operator==(const View &) const = default;
    };
    std::optional<View> view()
    {
        sqlite3_stmt *statement
            = prepared("SELECT coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'clipboard_change'), 0), "
                       "coalesce((SELECT min(seq) FROM clipboard_item), 0), "
                       "coalesce((SELECT max(seq) FROM clipboard_item), -1) + 1");
        std::optional<View> result;
        if (statement && sqlite3_step(statement) == SQLITE_ROW)
            result = View { sqlite3_column_int64(statement, 0), sqlite3_column_int64(statement, 1),
                sqlite3_column_int64(statement, 2) };
        finish(statement);
        return result;
    }

    // What the column keeps of a name: folded, and as the code of a kind.
    struct Name
    {
        QByteArray folded;
        quint8 kind = 0;
    };
    using Names = QHash<qint64, Name>;
    // The few names, read once rather than joined to every entry; absent on a failure.
    std::optional<Names> names()
    {
        sqlite3_stmt *statement = prepared("SELECT code, name FROM clipboard_name");
        Names names;
        std::vector<char> buffer;
        int code = statement ? SQLITE_ROW : SQLITE_ERROR;
        while (statement && (code = sqlite3_step(statement)) == SQLITE_ROW) {
            const QByteArrayView name = bytes(statement, 1);
            names.insert(sqlite3_column_int64(statement, 0),
                { SearchFolding::folded(name.data(), size_t(name.size()), buffer).toByteArray(),
                    SearchColumn::kindCode(name) });
        }
        finish(statement);
        if (code != SQLITE_DONE)
            return std::nullopt;
        return names;
    }

    // Hands `each` every entry with first <= seq < end with what the column keeps of it, until
    // it says stop; false on a failure or a stop.
    bool entries(qint64 first, qint64 end, const Names &names,
        const std::function<bool(const SearchColumn::Record &, const QByteArrayView &text, const QByteArrayView &app)>
            &each)
    {
        sqlite3_stmt *rows = prepared("SELECT seq, last_copied_at, kind_code, content, app_name_code "
                                      "FROM clipboard_item WHERE seq >= ? AND seq < ?");
        if (!rows || sqlite3_bind_int64(rows, 1, first) != SQLITE_OK || sqlite3_bind_int64(rows, 2, end) != SQLITE_OK) {
            finish(rows);
            return false;
        }
        std::vector<char> content;
        const Name none;
        int code = SQLITE_ROW;
        while ((code = sqlite3_step(rows)) == SQLITE_ROW) {
            const QByteArrayView stored = bytes(rows, 3);
            const QByteArrayView text = SearchFolding::folded(stored.data(), size_t(stored.size()), content);
            const auto kind = names.constFind(sqlite3_column_int64(rows, 2));
            const auto app = names.constFind(sqlite3_column_int64(rows, 4));
            const QByteArray &name = (app == names.cend() ? none : *app).folded;
            const SearchColumn::Record head { sqlite3_column_int64(rows, 0), sqlite3_column_int64(rows, 1),
                (kind == names.cend() ? none : *kind).kind, quint32(text.size() + 1 + name.size()) };
            if (!each(head, text, name))
                break;
        }
        finish(rows);
        return code == SQLITE_DONE;
    }

    // The token of the column made for the file as it is (see paired), or none.
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

private:
    static QByteArrayView bytes(sqlite3_stmt *statement, int column)
    {
        const auto *text = static_cast<const char *>(sqlite3_column_blob(statement, column));
        return { text, text ? sqlite3_column_bytes(statement, column) : 0 };
    }

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

ClipboardSearch::ClipboardSearch(QString filePath, File file, Column handed)
    : m_filePath(std::move(filePath))
    , m_file(file)
{
    m_background.setMaxThreadCount(1);
    m_maker.setMaxThreadCount(1);
    if (handed.column) {
        m_column = std::move(handed.column);
        if (handed.unpaired)
            m_unpaired = m_column;
        m_columnLookedFor = true;
    } else if (!m_filePath.isEmpty()) {
        m_column = found();
    }
}

ClipboardSearch::~ClipboardSearch()
{
    m_closing = true;
    m_maker.waitForDone();
    m_filling.waitForDone();
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

bool ClipboardSearch::Hidden::hides(QByteArrayView id, qint64 copiedAt) const
{
    return ids.contains(QByteArray::fromRawData(id.data(), id.size())) || SearchColumn::holds(spans, copiedAt);
}

std::optional<ClipboardSearch::Scan> ClipboardSearch::scan(const ClipboardItem::Predicate &predicate, qint64 keep)
{
    const Asking asking(m_scansAsking);
    const QMutexLocker lock(&m_scanning);
    return run(predicate, keep, {}, [] { return false; });
}

QFuture<std::optional<ClipboardSearch::Scan>> ClipboardSearch::start(
    const ClipboardItem::Predicate &predicate, qint64 keep, const Hidden &hidden)
{
    return QtConcurrent::run(&m_background, [this, predicate, keep, hidden](QPromise<std::optional<Scan>> &promise) {
        const Asking asking(m_scansAsking);
        QMutexLocker lock(&m_scanning);
        // Without a column, the one under way is made sooner than the file is read through in
        // spans, which would only slow its making: the scan waits for it (and the scans of the
        // queries typed meanwhile, behind it, end at once but the last).
        if (!m_column && m_making) {
            QFuture<void> made = columnMade();
            lock.unlock();
            made.waitForFinished();
            lock.relock();
        }
        if (promise.isCanceled())
            return;
        // Stopped as well when the search goes, as a file's after its check does: the scan then
        // gives no answer, as if cancelled.
        const Stopped stopped = [this, &promise] { return promise.isCanceled() || m_closing; };
        std::optional<Scan> found = run(predicate, keep, hidden, stopped);
        // A scan that failed is not made up for on the main thread: the history is searched
        // here through SQLite alone, or found empty, as a read that fails is.
        if (!found && !stopped()) {
            found = runWhole(predicate, keep, hidden, stopped);
            if (!found && !stopped()) {
                qCWarning(lcStore) << "search: cannot search" << m_filePath;
                found.emplace().hidden = hidden;
            }
        }
        if (m_closing)
            promise.future().cancel();
        else if (!promise.isCanceled())
            promise.addResult(std::move(found));
    });
}

void ClipboardSearch::useWriter(const std::weak_ptr<StoreWriter> &writer)
{
    const QMutexLocker lock(&m_scanning);
    m_writer = writer;
    const std::shared_ptr<StoreWriter> pairer = writer.lock();
    if (pairer && m_unpaired) {
        pair(*pairer, *m_unpaired).then([path = m_filePath](const Status &paired) {
            if (!paired)
                qCDebug(lcStore) << "search: the change log of" << path << "is kept for now";
        });
    }
    m_unpaired.reset();
}

QFuture<Status> ClipboardSearch::pair(StoreWriter &writer, const SearchColumn &column)
{
    return writer.run([token = column.token(), mark = column.snapshot().mark](
                          const StoreDatabase &sql) { return paired(sql, token, mark); });
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

bool ClipboardSearch::hasColumn()
{
    const QMutexLocker lock(&m_scanning);
    return m_column != nullptr;
}

QFuture<void> ClipboardSearch::columnMade()
{
    const QMutexLocker lock(&m_madeLock);
    return m_made;
}

ClipboardSearch::Column ClipboardSearch::handOver()
{
    // The scan under way, which holds the lock, stops within a few thousand rows.
    m_closing = true;
    const QMutexLocker lock(&m_scanning);
    return { m_column, m_column && m_column == m_unpaired };
}

void ClipboardSearch::verifyInBackground()
{
    if (m_filePath.isEmpty() || m_verifyAsked.exchange(true))
        return;
    m_maker.start([this] {
        std::shared_ptr<SearchColumn> column;
        {
            const QMutexLocker lock(&m_scanning);
            column = m_column;
        }
        std::vector<char> buffer;
        for (size_t block = 0; column && block < column->blockCount() && !m_closing; ++block) {
            // A scan waiting goes first; a column being made, which one may wait for, ends this.
            while (m_scansAsking > 0 && !m_closing && !m_making)
                QThread::msleep(2);
            // A block at a time, between the scans and the erasures, which write blocks.
            const QMutexLocker lock(&m_scanning);
            if (m_column != column || m_making)
                return;
            column->verify(block, buffer);
        }
    });
}

void ClipboardSearch::erase(const StoreDatabase &sql)
{
    if (m_filePath.isEmpty())
        return;
    const QMutexLocker lock(&m_scanning);
    ++m_forgotten;
    if (m_making)
        m_makeAgain = true;
    if (!m_column) {
        SearchColumn::removeAt(m_filePath);
        return;
    }
    // The entries of the column deleted since its snapshot, as the file logged them: every
    // one of them is erased here, so their log goes too.
    const SearchColumn::Snapshot snapshot = m_column->snapshot();
    const QString deleted = QStringLiteral("FROM clipboard_change AS c WHERE c.n > ? AND c.seq <= ? AND NOT EXISTS "
                                           "(SELECT 1 FROM clipboard_item AS i WHERE i.seq = c.seq)");
    const QVariantList bounds { snapshot.mark, snapshot.lastSeq };
    Result<QSqlQuery> selected
        = sql.select(QStringLiteral("SELECT DISTINCT c.seq ") + deleted + QStringLiteral(" ORDER BY c.seq"), bounds);
    std::vector<qint64> seqs;
    bool read = bool(selected);
    if (read) {
        QSqlQuery rows = std::move(selected).value();
        while (rows.next())
            seqs.push_back(rows.value(0).toLongLong());
        read = !rows.lastError().isValid();
    }
    // The whole history went: a new column is made of nothing.
    const bool cleared = read && !seqs.empty() && seqs.front() < 0;
    if (cleared || !read || !m_column->erase(seqs)) {
        if (!cleared)
            qCWarning(lcStore) << "search: cannot erase deleted entries in the column of" << m_filePath;
        dropColumn();
        return;
    }
    // A column mostly of erased records is made afresh, without them.
    if (m_column->erasedCount() > 8 * std::max(qint64(renewAfter), snapshot.lastSeq / 100))
        renewColumn();
    // Kept, the log would only have the column removed as the history next opens. The column
    // erased took a token of its own, which only the file as it is now holds: an older copy of
    // the file, which still holds those entries, no longer matches it.
    const Status logged = sql.write([&] {
        Status status = sql.exec(QStringLiteral("DELETE ") + deleted, bounds);
        return status ? pairing(sql, m_column->token(), snapshot.mark) : status;
    });
    if (!logged)
        qCDebug(lcStore) << "search: the column of" << m_filePath << "is made afresh as the history next opens";
}

void ClipboardSearch::dropColumn()
{
    if (m_column)
        m_column->remove(m_filePath);
    SearchColumn::removeAt(m_filePath);
    m_column.reset();
    if (m_columnLookedFor)
        renewColumn();
}

void ClipboardSearch::renewColumn()
{
    m_columnLookedFor = true;
    // Asked for under m_scanning, as the maker's last look is.
    if (m_making.exchange(true)) {
        m_makeAgain = true;
        return;
    }
    const QMutexLocker made(&m_madeLock);
    m_made = QtConcurrent::run(&m_maker, [this] {
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

std::shared_ptr<SearchColumn> ClipboardSearch::found() const
{
    std::shared_ptr<SearchColumn> column = SearchColumn::found(m_filePath);
    bool current = false;
    Reader reader;
    if (column && reader.open(m_filePath, m_file) && reader.begin()) {
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

std::shared_ptr<SearchColumn> ClipboardSearch::written()
{
    // A span of the entries on each processor, each read through a connection of its own: all
    // of them one view of the file, or, when writes keep coming between their first reads, one
    // connection reads everything.
    const int spans = std::clamp(QThread::idealThreadCount(), 1, maximumSpans);
    std::vector<std::unique_ptr<Reader>> readers;
    std::optional<Reader::View> view;
    for (int attempt = 0; attempt < 3 && !view; ++attempt) {
        readers.clear();
        for (int span = 0; span < (attempt < 2 ? spans : 1); ++span) {
            auto reader = std::make_unique<Reader>();
            if (!reader->open(m_filePath, m_file) || !reader->begin())
                return nullptr;
            readers.push_back(std::move(reader));
        }
        view = readers.front()->view();
        for (size_t span = 1; view && span < readers.size(); ++span) {
            if (readers[span]->view() != view)
                view.reset();
        }
    }
    const std::optional<Reader::Names> names = view ? readers.front()->names() : std::nullopt;
    if (!names)
        return nullptr;

    SearchColumn::Writer writer(m_filePath);
    const auto count = qint64(readers.size());
    const qint64 width = (view->end - view->first + count - 1) / count;
    std::atomic<bool> failed = false;
    auto fill = [&](qint64 span) {
        SearchColumn::Blocks blocks(writer);
        const qint64 from = view->first + width * span;
        const bool filled
            = readers[size_t(span)]->entries(from, std::min(from + width, view->end), *names,
                  [&](const SearchColumn::Record &record, const QByteArrayView &text, const QByteArrayView &app) {
                      return !m_closing && !failed && blocks.append(record, text, app);
                  })
            && blocks.flush();
        if (!filled)
            failed = true;
    };
    m_filling.setMaxThreadCount(std::max(int(count) - 1, 1));
    QList<QFuture<void>> others;
    for (qint64 span = 1; span < count; ++span)
        others << QtConcurrent::run(&m_filling, fill, span);
    fill(0);
    for (QFuture<void> &other : others)
        other.waitForFinished();
    if (failed)
        return nullptr;
    return writer.finish({ view->mark, std::max<qint64>(view->end - 1, 0) });
}

void ClipboardSearch::makeColumn()
{
    quint64 forgotten = 0;
    {
        const QMutexLocker lock(&m_scanning);
        forgotten = m_forgotten;
    }
    const std::shared_ptr<SearchColumn> made = written();
    std::shared_ptr<StoreWriter> writer;
    {
        const QMutexLocker lock(&m_scanning);
        // Named under the lock the scans take. One whose snapshot may hold an entry deleted
        // since, which no log tells of any more, is let go of; another is made.
        if (made && m_forgotten != forgotten) {
            made->place(m_filePath, false);
            m_makeAgain = true;
            return;
        }
        if (!made || !made->place(m_filePath, true)) {
            if (!m_closing)
                qCWarning(lcStore) << "search: cannot make the column of" << m_filePath;
            return;
        }
        m_column = made;
        writer = m_writer.lock();
        if (!writer)
            m_unpaired = made;
    }
    // What the column holds needs no log: the scans from now on read only what follows it.
    if (writer && !pair(*writer, *made).result())
        qCDebug(lcStore) << "search: the change log of" << m_filePath << "is kept for now";
}

std::optional<ClipboardSearch::Scan> ClipboardSearch::run(
    const ClipboardItem::Predicate &predicate, qint64 keep, const Hidden &hidden, const Stopped &stopped)
{
    if (m_filePath.isEmpty() || std::min(QThread::idealThreadCount(), maximumSpans) < 2)
        return std::nullopt;
    // Held here: a damaged column is let go of during its scan.
    const std::shared_ptr<SearchColumn> column = m_column;
    if (!column && !m_columnLookedFor)
        renewColumn();
    std::optional<Scan> found
        = column ? runColumn(*column, predicate, keep, hidden, stopped) : runSpans(predicate, keep, hidden, stopped);
    if (found)
        found->hidden = hidden;
    return found;
}

std::optional<ClipboardSearch::Scan> ClipboardSearch::runWhole(
    const ClipboardItem::Predicate &predicate, qint64 keep, const Hidden &hidden, const Stopped &stopped)
{
    if (!openReaders(1))
        return std::nullopt;
    const auto newest = size_t(std::max<qint64>(keep, 0));
    std::vector<Hit> hits;
    const std::optional<qint64> count = m_readers.front()->select(
        "1", {}, condition(predicate).toUtf8(), bindings(predicate), newest, hidden, hits, stopped);
    if (!count)
        return std::nullopt;
    Scan found = ClipboardSearch::newest(*count, std::move(hits), newest);
    found.hidden = hidden;
    return found;
}

bool ClipboardSearch::openReaders(int count)
{
    while (int(m_readers.size()) < count) {
        auto reader = std::make_unique<Reader>();
        if (!reader->open(m_filePath, m_file)) {
            qCWarning(lcStore) << "search: cannot open a reader of" << m_filePath;
            return false;
        }
        m_readers.push_back(std::move(reader));
    }
    return true;
}

std::optional<ClipboardSearch::Scan> ClipboardSearch::runSpans(
    const ClipboardItem::Predicate &predicate, qint64 keep, const Hidden &hidden, const Stopped &stopped)
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
            where, values, from, std::min(from + width, bounds->second), newest, hidden, hits[size_t(span)], stopped);
    };
    QList<QFuture<void>> others;
    for (int span = 1; span < spans; ++span)
        others << QtConcurrent::run(&m_pool, scanSpan, span);
    scanSpan(0);
    for (QFuture<void> &other : others)
        other.waitForFinished();

    qint64 count = 0;
    std::vector<Hit> merged;
    for (size_t span = 0; span < counts.size(); ++span) {
        if (!counts[span])
            return std::nullopt;
        count += *counts[span];
        merged.insert(merged.end(), hits[span].begin(), hits[span].end());
    }
    return ClipboardSearch::newest(count, std::move(merged), newest);
}

ClipboardSearch::Scan ClipboardSearch::newest(qint64 count, std::vector<Hit> hits, size_t keep)
{
    SearchColumn::keepNewest(hits, keep);
    std::sort(hits.begin(), hits.end(),
        [](const Hit &a, const Hit &b) { return a.copiedAt != b.copiedAt ? a.copiedAt > b.copiedAt : a.seq < b.seq; });
    Scan scan;
    scan.count = count;
    scan.rows.reserve(qsizetype(hits.size()));
    scan.copiedAt.reserve(qsizetype(hits.size()));
    for (const Hit &hit : hits) {
        scan.rows.append(hit.seq);
        scan.copiedAt.append(hit.copiedAt);
    }
    return scan;
}

std::optional<ClipboardSearch::Scan> ClipboardSearch::runColumn(const SearchColumn &column,
    const ClipboardItem::Predicate &predicate, qint64 keep, const Hidden &hidden, const Stopped &stopped)
{
    const QByteArray needle = predicate.folded.toUtf8();
    // A zero byte parts an entry's content from its source name in the column.
    if (needle.contains('\0') || !openReaders(1))
        return runSpans(predicate, keep, hidden, stopped);
    Reader &reader = *m_readers.front();
    if (!reader.begin())
        return std::nullopt;
    std::optional<std::vector<qint64>> changed = reader.changedSince(column.snapshot().mark);
    // A history cleared whole since, or changed so much that reading the changes would be slower.
    const size_t stale = std::max(renewAfter, size_t(column.snapshot().lastSeq / 100));
    if (!changed || (!changed->empty() && changed->front() < 0) || changed->size() > 8 * stale) {
        reader.end();
        renewColumn();
        return changed ? runSpans(predicate, keep, hidden, stopped) : std::nullopt;
    }
    // Entries added since count as much: each is read through SQLite.
    const std::optional<std::pair<qint64, qint64>> bounds = reader.bounds();
    const qint64 added = bounds ? std::max<qint64>(bounds->second - 1 - column.snapshot().lastSeq, 0) : 0;
    if (changed->size() + size_t(added) > stale)
        renewColumn();

    // The hidden entries' rows, read in the view the changes were: the blocks pass over them.
    const std::optional<std::vector<qint64>> hiddenRows = reader.rowsOf(hidden.ids);
    if (!hiddenRows) {
        reader.end();
        return std::nullopt;
    }
    std::vector<qint64> skipped;
    skipped.reserve(changed->size() + hiddenRows->size());
    std::merge(
        changed->cbegin(), changed->cend(), hiddenRows->cbegin(), hiddenRows->cend(), std::back_inserter(skipped));

    const int threads = std::min(QThread::idealThreadCount(), maximumSpans);
    m_pool.setMaxThreadCount(threads - 1);
    const auto newest = size_t(std::max<qint64>(keep, 0));
    const SearchColumn::Needles needles { skipped, needle,
        SearchFolding::anchorOf(needle.constData(), size_t(needle.size())),
        predicate.kindWord.isEmpty() ? quint8(0) : SearchColumn::kindCode(predicate.kindWord.toUtf8()), newest,
        hidden.spans };
    std::atomic<size_t> next = 0;
    std::atomic<bool> damaged = false;
    std::atomic<bool> halted = false;
    std::vector<qint64> counts(static_cast<size_t>(threads), 0);
    std::vector<std::vector<Hit>> hits(static_cast<size_t>(threads));
    auto scanBlocks = [&](int thread) {
        std::vector<Hit> &found = hits[size_t(thread)];
        std::vector<char> buffer;
        for (size_t block = 0; !damaged && !halted && (block = next++) < column.blockCount();) {
            if (stopped()) {
                halted = true;
                return;
            }
            if (!column.scan(block, needles, counts[size_t(thread)], found, buffer)) {
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
        = reader.select("i.seq > ?", { column.snapshot().lastSeq }, where, values, newest, hidden, recent, stopped);
    const std::optional<qint64> renewed = fresh
        ? reader.select("i.seq <= ? AND i.seq IN (SELECT seq FROM clipboard_change WHERE n > ?)",
            { column.snapshot().lastSeq, column.snapshot().mark }, where, values, newest, hidden, recent, stopped)
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
        return halted ? std::nullopt : runSpans(predicate, keep, hidden, stopped);
    }
    if (halted || !fresh || !renewed)
        return std::nullopt;
    qint64 count = *fresh + *renewed;
    std::vector<Hit> merged = std::move(recent);
    for (size_t thread = 0; thread < hits.size(); ++thread) {
        count += counts[thread];
        merged.insert(merged.end(), hits[thread].begin(), hits[thread].end());
    }
    return ClipboardSearch::newest(count, std::move(merged), newest);
}
