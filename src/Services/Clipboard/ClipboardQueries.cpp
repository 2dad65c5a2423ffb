#include "Services/Clipboard/ClipboardQueries.h"

#include "Platform/Logging.h"
#include "Services/Clipboard/ClipboardDatabase.h"
#include "Services/Storage/StoreStatement.h"

#include <QHash>
#include <QSqlQuery>

#include <algorithm>
#include <limits>

namespace {

// What a search looks through is in the entries themselves.
const QString &source()
{
    static const QString from = QStringLiteral(" FROM clipboard_item AS i WHERE ");
    return from;
}

} // namespace

ClipboardQueries::ClipboardQueries(const ClipboardPending &pending)
    : m_pending(pending)
{
}

void ClipboardQueries::attach(ClipboardDatabase &database, Counting counting)
{
    m_database = &database;
    m_hidden.clear();
    m_storedCount.reset();
    changed(std::nullopt);
    // A large history whose search has no column has it made at once; whether it is large is
    // the count's to say. One with its column needs no count for that.
    if (counting == Counting::WhenNeeded && database.search().hasColumn())
        database.search().prepare();
    else
        prepareSearch();
}

void ClipboardQueries::attach(ClipboardDatabase &database, qint64 stored)
{
    m_database = &database;
    m_hidden.clear();
    m_storedCount = stored;
    changed(std::nullopt);
    prepareSearch();
}

qint64 ClipboardQueries::storedCount() const
{
    if (!m_storedCount)
        m_storedCount = m_database->storedCount();
    return *m_storedCount;
}

void ClipboardQueries::addStored(qint64 count)
{
    // Still to be counted, the file's count will hold them.
    if (m_storedCount)
        *m_storedCount += count;
}

void ClipboardQueries::prepareSearch() const
{
    if (m_database->search().splits(storedCount()))
        m_database->search().prepare();
}

const QString &ClipboardQueries::order()
{
    static const QString order = QStringLiteral(" ORDER BY i.last_copied_at DESC, i.id");
    return order;
}

void ClipboardQueries::showSaved()
{
    if (m_hidden.isEmpty())
        return;
    if (m_database->sql().exec(QStringLiteral("DELETE FROM temp.pending_hidden")))
        m_hidden.clear();
    else
        qCWarning(lcStore) << "saved entries may stay hidden until the next save";
}

void ClipboardQueries::changed(std::optional<qint64> by)
{
    ++m_change;
    if (m_shown && by)
        *m_shown += *by;
    else
        m_shown.reset();
}

qint64 ClipboardQueries::shownIn(const ClipboardPending::Range &span) const
{
    if (!m_spanCount || m_spanCount->start != span.start || m_spanCount->end != span.end
        || m_spanCount->change != m_change)
        m_spanCount = SpanCount { span.start, span.end, m_change, tally(periodFilter(span)) };
    return m_spanCount->count;
}

void ClipboardQueries::hidePending() const
{
    const auto hide = [this](const QUuid &id) {
        if (m_hidden.contains(id))
            return;
        if (m_database->sql().exec(QStringLiteral("INSERT OR IGNORE INTO temp.pending_hidden (id) VALUES (?)"),
                { ClipboardDatabase::idValue(id) }))
            m_hidden.insert(id);
        else
            qCWarning(lcStore) << "the stored version of" << id << "may show beside its pending one";
    };
    std::for_each(m_pending.items().keyBegin(), m_pending.items().keyEnd(), hide);
    std::for_each(m_pending.deletions().cbegin(), m_pending.deletions().cend(), hide);
}

QString ClipboardQueries::hiddenClause(bool spans) const
{
    if (m_pending.isEmpty())
        return {};
    hidePending();
    // Spans alone hide nothing by id: each row then needs no lookup in the table.
    QString clause
        = m_hidden.isEmpty() ? QString() : QStringLiteral(" AND i.id NOT IN (SELECT id FROM temp.pending_hidden)");
    for (qsizetype i = 0; spans && i < m_pending.ranges().size(); ++i)
        clause += QStringLiteral(" AND NOT (i.last_copied_at >= ? AND i.last_copied_at < ?)");
    return clause;
}

QVariantList ClipboardQueries::hiddenBindings() const
{
    QVariantList bindings;
    for (const ClipboardPending::Range &span : m_pending.ranges())
        bindings << span.start << span.end;
    return bindings;
}

QList<ClipboardItem> ClipboardQueries::fetch(const Filter &filter, std::optional<int> limit) const
{
    QList<ClipboardItem> result;
    if (limit && *limit <= 0)
        return result;

    // The rows of a span being deleted are not walked through: the page is read from the spans
    // of time left between them, newest first, so that a page of a history being cleared reads
    // only what it shows rather than every row it hides.
    const QString select = QStringLiteral("SELECT ") + ClipboardDatabase::columns() + source()
        + (filter.where.isEmpty() ? QStringLiteral("1") : filter.where) + hiddenClause(false);
    for (const ClipboardPending::Range &span : m_pending.spansLeft()) {
        if (limit && result.size() >= *limit)
            break;
        QString statement = select;
        QVariantList bindings = filter.bindings;
        if (span.start != std::numeric_limits<qint64>::min()) {
            statement += QStringLiteral(" AND i.last_copied_at >= ?");
            bindings << span.start;
        }
        if (span.end != std::numeric_limits<qint64>::max()) {
            statement += QStringLiteral(" AND i.last_copied_at < ?");
            bindings << span.end;
        }
        statement += order();
        if (limit)
            statement += QStringLiteral(" LIMIT %1").arg(*limit - result.size());
        Result<QSqlQuery> selected = m_database->sql().select(statement, bindings);
        // The changes not written yet show even when the stored rows cannot be read, as in a
        // damaged file during its check.
        if (!selected)
            break;
        QSqlQuery query = std::move(selected).value();
        while (query.next())
            result << ClipboardDatabase::item(query);
    }

    bool merged = false;
    for (const ClipboardItem &item : m_pending.items()) {
        if (!filter.accepts || filter.accepts(item)) {
            result << item;
            merged = true;
        }
    }
    if (merged) {
        std::sort(result.begin(), result.end(), &ClipboardItem::recentOrder);
        if (limit && result.size() > *limit)
            result.resize(*limit);
    }
    return result;
}

QList<ClipboardItem> ClipboardQueries::fetchRows(const ClipboardSearch::Scan &scan, int limit) const
{
    if (scan.rows.isEmpty() || limit <= 0)
        return {};
    // Only the newest, and those copied at the same moment as the last of them, whose order
    // their ids tell.
    qsizetype read = std::min<qsizetype>(limit, scan.rows.size());
    while (read < scan.rows.size() && scan.copiedAt[read] == scan.copiedAt[read - 1])
        ++read;
    QByteArray numbers;
    numbers.reserve(read * 8);
    for (qint64 row : scan.rows.first(read))
        numbers += QByteArray::number(row) + ',';
    numbers.chop(1);
    // Read as the file holds them and put in order here: a page of long texts is megabytes,
    // which SQLite's sorter would copy and the driver decode more slowly than Qt does.
    const QByteArray sql = "SELECT " + ClipboardDatabase::columns().toUtf8()
        + " FROM clipboard_item AS i WHERE i.seq IN (" + numbers + ')';
    StoreStatement query(m_database->sql(), sql.constData());
    QList<ClipboardItem> result;
    result.reserve(read);
    while (query.next())
        result << ClipboardDatabase::item(query);
    if (!query.status())
        return {};
    std::sort(result.begin(), result.end(), &ClipboardItem::recentOrder);
    if (result.size() > limit)
        result.resize(limit);
    return result;
}

qint64 ClipboardQueries::tally(const Filter &filter) const
{
    const QString statement = filter.search && m_pending.isEmpty()
        // Nothing is hidden: no entry needs looking up.
        ? QString(QStringLiteral("SELECT count(*) FROM clipboard_item AS i WHERE ") + filter.where)
        : QString(QStringLiteral("SELECT count(*)") + source()
            + (filter.where.isEmpty() ? QStringLiteral("1") : filter.where) + hiddenClause());
    Result<QSqlQuery> selected = m_database->sql().select(statement, filter.bindings + hiddenBindings());
    if (!selected)
        return 0;
    QSqlQuery query = std::move(selected).value();
    if (!query.next())
        return 0;
    qint64 total = query.value(0).toLongLong();
    for (const ClipboardItem &item : m_pending.items()) {
        if (!filter.accepts || filter.accepts(item))
            ++total;
    }
    return total;
}

ClipboardQueries::Filter ClipboardQueries::searchFilter(const QString &query) const
{
    const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
    Filter filter;
    if (!predicate)
        return filter;
    filter.search = true;
    filter.where = QLatin1Char('(') + ClipboardSearch::condition(*predicate) + QLatin1Char(')');
    filter.bindings = ClipboardSearch::bindings(*predicate);
    filter.accepts = [predicate](const ClipboardItem &item) { return predicate->accepts(item); };
    return filter;
}

ClipboardQueries::Filter ClipboardQueries::periodFilter(const ClipboardPending::Range &span)
{
    Filter filter;
    filter.where = QStringLiteral("i.last_copied_at >= ? AND i.last_copied_at < ?");
    filter.bindings << span.start << span.end;
    filter.accepts = [span](const ClipboardItem &item) { return span.holds(item); };
    return filter;
}

QList<ClipboardItem> ClipboardQueries::items(std::optional<int> limit) const
{
    return fetch({}, limit);
}

QList<ClipboardItem> ClipboardQueries::items(const QString &query, int limit) const
{
    return fetch(searchFilter(query), limit);
}

ClipboardQueries::Page ClipboardQueries::page(const QString &query, int limit) const
{
    const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
    if (!predicate)
        return { items(limit), count() };
    if (m_pending.isEmpty()) {
        if (const std::optional<ClipboardSearch::Scan> scan = m_database->search().scan(*predicate, limit))
            return { fetchRows(*scan, limit), scan->count };
    }
    const Filter filter = searchFilter(query);
    return { fetch(filter, limit), tally(filter) };
}

QFuture<std::optional<ClipboardSearch::Scan>> ClipboardQueries::scanInBackground(const QString &query, int limit) const
{
    const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
    if (!predicate || !m_database->search().splits(storedCount()))
        return {};
    // The saved entries that the changes not written yet stand in for or delete are passed
    // over; those changes are laid over the answer once it comes (laidOver).
    ClipboardSearch::Hidden hidden;
    const auto hide = [&hidden](const QUuid &id) { hidden.ids.insert(ClipboardDatabase::idValue(id).toByteArray()); };
    std::for_each(m_pending.items().keyBegin(), m_pending.items().keyEnd(), hide);
    std::for_each(m_pending.deletions().cbegin(), m_pending.deletions().cend(), hide);
    for (const ClipboardPending::Range &span : m_pending.ranges())
        hidden.spans.emplace_back(span.start, span.end);
    return m_database->search().start(*predicate, limit, hidden);
}

ClipboardQueries::Page ClipboardQueries::page(
    const QString &query, const std::optional<ClipboardSearch::Scan> &scan, int limit) const
{
    const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
    if (!scan || !predicate)
        return page(query, limit);
    qint64 added = 0;
    QList<ClipboardItem> rows = laidOver(*scan, *predicate, limit, added);
    return { std::move(rows), scan->count + added };
}

QList<ClipboardItem> ClipboardQueries::items(
    const QString &query, const std::optional<ClipboardSearch::Scan> &scan, int limit) const
{
    const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
    if (!scan || !predicate)
        return items(query, limit);
    qint64 added = 0;
    return laidOver(*scan, *predicate, limit, added);
}

QList<ClipboardItem> ClipboardQueries::laidOver(
    const ClipboardSearch::Scan &scan, const ClipboardItem::Predicate &predicate, int limit, qint64 &added) const
{
    const auto pending
        = [this](const QUuid &id) { return m_pending.items().contains(id) || m_pending.deletions().contains(id); };
    QList<ClipboardItem> result;
    // A saved entry hidden only by a change made since the scan began is left out: the answer
    // asked for after that change counts it rightly.
    for (ClipboardItem &item : fetchRows(scan, limit)) {
        if (!pending(item.id)
            && std::none_of(m_pending.ranges().cbegin(), m_pending.ranges().cend(),
                [&item](const ClipboardPending::Range &span) { return span.holds(item); }))
            result << std::move(item);
    }
    const auto add = [&](const ClipboardItem &item) {
        if (predicate.accepts(item)) {
            result << item;
            ++added;
        }
    };
    std::for_each(m_pending.items().cbegin(), m_pending.items().cend(), add);
    // What the scan passed over and has been written since, read as it is now.
    QList<QUuid> writtenSince;
    for (const QByteArray &id : scan.hidden.ids) {
        if (const QUuid uuid = ClipboardDatabase::idFrom(id); !pending(uuid))
            writtenSince << uuid;
    }
    if (!writtenSince.isEmpty()) {
        const QList<ClipboardItem> written = itemsWithIds(writtenSince);
        std::for_each(written.cbegin(), written.cend(), add);
    }
    if (added > 0) {
        std::sort(result.begin(), result.end(), &ClipboardItem::recentOrder);
        if (result.size() > limit)
            result.resize(limit);
    }
    return result;
}

std::optional<ClipboardItem> ClipboardQueries::item(const QUuid &id) const
{
    if (auto pending = m_pending.items().constFind(id); pending != m_pending.items().cend())
        return *pending;
    if (m_pending.deletions().contains(id))
        return std::nullopt;
    Filter filter;
    filter.where = QStringLiteral("i.id = ?");
    filter.bindings << ClipboardDatabase::idValue(id);
    filter.accepts = [](const ClipboardItem &) { return false; }; // pending ones are handled above
    const QList<ClipboardItem> found = fetch(filter, 1);
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

std::optional<ClipboardItem> ClipboardQueries::itemWithHash(const QString &contentHash) const
{
    for (const ClipboardItem &pending : m_pending.items()) {
        if (pending.contentHash == contentHash)
            return pending;
    }
    Result<QSqlQuery> selected = m_database->sql().select(QStringLiteral("SELECT ")
            + ClipboardDatabase::columns()
            // The index holds the head of each hash.
            + QStringLiteral(" FROM clipboard_item AS i WHERE ") + ClipboardDatabase::hashMatch() + hiddenClause()
            + QStringLiteral(" LIMIT 1"),
        QVariantList { ClipboardDatabase::hashValue(contentHash), ClipboardDatabase::hashValue(contentHash) }
            + hiddenBindings());
    if (!selected)
        return std::nullopt;
    QSqlQuery query = std::move(selected).value();
    if (!query.next())
        return std::nullopt;
    return ClipboardDatabase::item(query);
}

QList<ClipboardItem> ClipboardQueries::itemsWithIds(const QList<QUuid> &ids) const
{
    if (ids.isEmpty())
        return {};
    const QSet<QUuid> wanted(ids.cbegin(), ids.cend());
    Filter filter;
    filter.where = QStringLiteral("i.id IN (");
    for (qsizetype i = 0; i < ids.size(); ++i) {
        filter.where += i == 0 ? QStringLiteral("?") : QStringLiteral(", ?");
        filter.bindings << ClipboardDatabase::idValue(ids.at(i));
    }
    filter.where += u')';
    filter.accepts = [&wanted](const ClipboardItem &item) { return wanted.contains(item.id); };
    QHash<QUuid, ClipboardItem> found;
    for (const ClipboardItem &item : fetch(filter, std::nullopt))
        found.insert(item.id, item);
    QList<ClipboardItem> result;
    result.reserve(found.size());
    for (const QUuid &id : ids) {
        if (auto item = found.constFind(id); item != found.cend())
            result.append(*item);
    }
    return result;
}

qint64 ClipboardQueries::count() const
{
    if (m_pending.isEmpty()) {
        m_shown = storedCount();
        return *m_shown;
    }
    if (!m_shown) {
        // Copies that wait to be written, as after every copy until its save: a new entry adds
        // one, a changed one stands in for its stored row.
        m_shown = m_pending.deletions().isEmpty() && m_pending.ranges().isEmpty() ? storedCount()
                + std::count_if(m_pending.items().keyBegin(), m_pending.items().keyEnd(),
                    [this](const QUuid &id) { return m_pending.created().contains(id); })
                                                                                  : tally({});
    }
    return *m_shown;
}

qint64 ClipboardQueries::count(const QString &query) const
{
    const std::optional<ClipboardItem::Predicate> predicate = ClipboardItem::matching(query);
    if (!predicate)
        return count();
    if (m_pending.isEmpty()) {
        if (const std::optional<ClipboardSearch::Scan> scan = m_database->search().scan(*predicate, 0))
            return scan->count;
    }
    return tally(searchFilter(query));
}

QList<ClipboardItem> ClipboardQueries::items(const ClearRequest &request, const QDateTime &now,
    const ClipboardCalendar &calendar, std::optional<int> limit) const
{
    const std::optional<ClipboardPending::Range> span = ClipboardPending::Range::of(request, now, calendar);
    return span ? fetch(periodFilter(*span), limit) : items(limit);
}

qint64 ClipboardQueries::count(
    const ClearRequest &request, const QDateTime &now, const ClipboardCalendar &calendar) const
{
    const std::optional<ClipboardPending::Range> span = ClipboardPending::Range::of(request, now, calendar);
    return span ? shownIn(*span) : count();
}
