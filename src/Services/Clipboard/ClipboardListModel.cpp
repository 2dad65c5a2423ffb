#include "Services/Clipboard/ClipboardListModel.h"

#include "Platform/Clock.h"
#include "Services/Clipboard/ClipboardRowText.h"
#include "Services/Clipboard/ClipboardStore.h"

#include <QLocale>
#include <QScopedValueRollback>
#include <QSet>

namespace {

// Whether a row must be drawn again: any field a row or the preview reads differs.
bool differs(const ClipboardItem &a, const ClipboardItem &b)
{
    return a.lastCopiedAt != b.lastCopiedAt || a.copyCount != b.copyCount || a.sourceAppName != b.sourceAppName
        || a.content != b.content || a.rawKind != b.rawKind || a.thumbnailPath != b.thumbnailPath
        || a.pixelWidth != b.pixelWidth || a.pixelHeight != b.pixelHeight || a.byteCount != b.byteCount;
}

bool isBlankQuery(const QString &query)
{
    return query.trimmed().isEmpty();
}

} // namespace

ClipboardListModel::ClipboardListModel(ClipboardStore &store, const Clock &clock, int limit, QObject *parent)
    : QAbstractListModel(parent)
    , m_store(store)
    , m_clock(clock)
    , m_limit(qMax(1, limit))
    , m_now(clock.now())
{
    connect(&m_store, &ClipboardStore::revisionChanged, this, &ClipboardListModel::scheduleRefresh);
    m_ticker.setInterval(tickInterval);
    connect(&m_ticker, &QTimer::timeout, this, &ClipboardListModel::tick);
    m_ticker.start();
    refresh();
}

ClipboardListModel::~ClipboardListModel()
{
    stopScan();
}

void ClipboardListModel::setQuery(const QString &query)
{
    if (query == m_query)
        return;
    m_query = query;
    // A new answer starts with its first rows.
    m_newAnswer = true;
    refresh();
}

void ClipboardListModel::setLimit(int limit)
{
    limit = qMax(1, limit);
    if (limit == m_limit)
        return;
    const bool grows = limit > m_limit && m_items.size() >= m_limit;
    m_limit = limit;
    if (m_items.size() > m_limit) {
        beginRemoveRows({}, m_limit, int(m_items.size()) - 1);
        m_items.resize(m_limit);
        endRemoveRows();
    }
    // The rows shown stay; the next page's first ones come at once, as asked for.
    const bool hadMore = m_hasMore;
    m_hasMore = m_resultCount > m_limit;
    if (grows && canFetchMore())
        fetchMore();
    if (hadMore != m_hasMore)
        Q_EMIT summaryChanged();
}

bool ClipboardListModel::canFetchMore(const QModelIndex &parent) const
{
    // Not while the next answer is looked for (the rows would be of the one before), nor while
    // rows change: a view may ask from within their signals.
    return !parent.isValid() && !m_exhausted && !m_applying && m_shownQuery == m_queries
        && m_items.size() < qMin<qint64>(m_limit, m_resultCount);
}

void ClipboardListModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    const qsizetype shown = m_items.size();
    const int wanted = int(qMin<qint64>(m_limit, qint64(shown) + moreRows));
    apply(m_store.items(m_query, m_found, wanted));
    m_exhausted = m_items.size() <= shown;
    // Else the views would keep the top row they kept for these rows until a later change.
    Q_EMIT summaryChanged();
}

std::optional<ClipboardItem> ClipboardListModel::item(const QUuid &id) const
{
    const int at = row(id);
    if (at < 0)
        return std::nullopt;
    return m_items.at(at);
}

int ClipboardListModel::row(const QUuid &id) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items.at(i).id == id)
            return i;
    }
    return -1;
}

QList<QUuid> ClipboardListModel::ids() const
{
    QList<QUuid> result;
    result.reserve(m_items.size());
    for (const ClipboardItem &entry : m_items)
        result.append(entry.id);
    return result;
}

QString ClipboardListModel::headerTitle() const
{
    if (m_query.isEmpty())
        return QStringLiteral("Recently Copied");
    return QLocale().toString(m_resultCount)
        + (m_resultCount == 1 ? QStringLiteral(" Result") : QStringLiteral(" Results"));
}

void ClipboardListModel::tick()
{
    m_now = m_clock.now();
    Q_EMIT ticked();
    if (!m_items.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_items.size()) - 1));
}

void ClipboardListModel::setShown(bool shown)
{
    m_shown = shown;
    if (m_shown && m_store.revision() != m_refreshedRevision)
        refresh();
}

void ClipboardListModel::scheduleRefresh()
{
    if (m_refreshQueued || !m_shown)
        return;
    m_refreshQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refreshQueued = false;
            // A search typed since the save has already read this revision.
            if (m_shown && m_store.revision() != m_refreshedRevision)
                refresh();
        },
        Qt::QueuedConnection);
}

void ClipboardListModel::refresh()
{
    m_refreshedRevision = m_store.revision();
    m_now = m_clock.now();
    // The first rows of a new answer; as many as are shown of the same search changed.
    const int read = qMin(m_limit, m_newAnswer ? firstRows : qMax(firstRows, int(m_items.size())));
    m_newAnswer = false;
    const quint64 query = ++m_queries;
    // Whatever is still being looked for is of an older query or history.
    stopScan();
    m_scan = m_store.scanInBackground(m_query, m_limit);
    if (!m_scan.isValid()) {
        // The rows and the count of all matches in one pass; a blank search counts everything.
        m_found.reset();
        m_shownQuery = query;
        show(m_store.page(m_query, read));
        return;
    }
    m_scan.then(this, [this, query, read](const std::optional<ClipboardSearch::Scan> &scan) {
        if (query != m_queries)
            return;
        m_found = scan;
        m_shownQuery = query;
        show(m_store.page(m_query, scan, read));
    });
}

void ClipboardListModel::stopScan()
{
    // Only while it runs: a finished scan's continuation is gone, and Qt's cancel would reach
    // for it.
    if (m_scan.isValid() && !m_scan.isFinished())
        m_scan.cancel();
}

void ClipboardListModel::show(const ClipboardStore::Page &page)
{
    const bool hasMore = page.total > m_limit;
    const qint64 results = page.total;
    // The count of everything changes only with the store, not with the search.
    qint64 total = m_totalCount;
    if (isBlankQuery(m_query))
        total = results;
    else if (m_countedRevision != m_refreshedRevision)
        total = m_store.count();
    m_countedRevision = m_refreshedRevision;

    apply(page.items);
    m_exhausted = false;

    m_hasMore = hasMore;
    m_totalCount = total;
    m_resultCount = results;
    // The header depends on the query as well, so the summary is announced every time.
    Q_EMIT summaryChanged();
}

void ClipboardListModel::apply(const QList<ClipboardItem> &fresh)
{
    const QScopedValueRollback applying(m_applying, true);
    QSet<QUuid> wanted;
    wanted.reserve(fresh.size());
    for (const ClipboardItem &entry : fresh)
        wanted.insert(entry.id);

    // Rows that left the page go first, bottom up, a run at a time.
    for (int last = int(m_items.size()) - 1; last >= 0;) {
        if (wanted.contains(m_items.at(last).id)) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && !wanted.contains(m_items.at(first - 1).id))
            --first;
        beginRemoveRows({}, first, last);
        m_items.remove(first, last - first + 1);
        endRemoveRows();
        last = first - 1;
    }

    // What is left is a subset of the fresh page: walk it and bring each place in order.
    QSet<QUuid> present;
    present.reserve(m_items.size());
    for (const ClipboardItem &entry : std::as_const(m_items))
        present.insert(entry.id);

    for (int i = 0; i < fresh.size();) {
        const ClipboardItem &wantedItem = fresh.at(i);
        if (i < m_items.size() && m_items.at(i).id == wantedItem.id) {
            if (differs(m_items.at(i), wantedItem)) {
                m_items[i] = wantedItem;
                Q_EMIT dataChanged(index(i), index(i));
            }
            ++i;
            continue;
        }
        if (!present.contains(wantedItem.id)) {
            int last = i;
            while (last + 1 < fresh.size() && !present.contains(fresh.at(last + 1).id))
                ++last;
            beginInsertRows({}, i, last);
            m_items = m_items.mid(0, i) + fresh.mid(i, last - i + 1) + m_items.mid(i);
            endInsertRows();
            i = last + 1;
            continue;
        }
        // Shown further down (copied again, so newer now): it moves up to its place.
        int from = i + 1;
        while (m_items.at(from).id != wantedItem.id)
            ++from;
        beginMoveRows({}, from, from, {}, i);
        m_items.move(from, i);
        endMoveRows();
        m_items[i] = wantedItem;
        Q_EMIT dataChanged(index(i), index(i));
        ++i;
    }
}

int ClipboardListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant ClipboardListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_items.at(index.row()).title();
    case Qt::AccessibleTextRole:
        return ClipboardRowText::accessibleLabel(m_items.at(index.row()));
    case Qt::AccessibleDescriptionRole:
        return QStringLiteral("Copies it again");
    default:
        return {};
    }
}
