#pragma once

#include "Models/Clipboard/ClipboardItem.h"
#include "Services/Clipboard/ClipboardStore.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QFuture>
#include <QList>
#include <QString>
#include <QTimer>
#include <QUuid>

#include <optional>

class Clock;

// One page of the clipboard history for a search, newest first, kept in step with the store.
// It holds only the rows it shows, and of the page only the first screenful or so until the
// view or the keys reach further (canFetchMore/fetchMore); the count of all matches tells
// whether more exist than the page. Store changes are taken as one query per turn of the event loop, however many saves
// arrive in it; a new search or page size is queried at once, a large history on another
// thread, and each new query cancels the scan still under way. Every new result is applied as
// a difference by id (rows removed, moved, inserted, changed), never as a reset, so a view
// keeps its scroll position and the tab its selection.
class ClipboardListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    // How often the rows' relative copy times are worded afresh.
    static constexpr int tickInterval = 30'000;
    // The rows read with a new answer (a tall window's screenful and some), and how many more
    // each fetch brings.
    static constexpr int firstRows = 40;
    static constexpr int moreRows = 100;

    ClipboardListModel(ClipboardStore &store, const Clock &clock, int limit, QObject *parent = nullptr);
    ~ClipboardListModel() override;

    QString query() const { return m_query; }
    void setQuery(const QString &query);
    int limit() const { return m_limit; }
    void setLimit(int limit);

    // The rows shown, newest first.
    const QList<ClipboardItem> &items() const { return m_items; }
    const ClipboardItem &item(int row) const { return m_items.at(row); }
    std::optional<ClipboardItem> item(const QUuid &id) const;
    // The row of an id; -1 when it is not shown.
    int row(const QUuid &id) const;
    QList<QUuid> ids() const;

    // More entries match than the page shows.
    bool hasMore() const { return m_hasMore; }
    // Rows of the page not read yet, which fetchMore() reads.
    bool canFetchMore(const QModelIndex &parent = {}) const override;
    void fetchMore(const QModelIndex &parent = {}) override;
    // Every entry that matches the search, and every stored entry.
    qint64 resultCount() const { return m_resultCount; }
    qint64 totalCount() const { return m_totalCount; }
    // "Recently Copied" for the empty search (a search of spaces is not empty here), else
    // "N Result(s)" with the locale's digit grouping.
    QString headerTitle() const;

    // The moment the rows' copy times are worded against; renewed by the tick.
    QDateTime now() const { return m_now; }
    void tick();

    // Queries the store now and applies the difference.
    void refresh();
    // While not shown, a change of the history only leaves the page stale; it is fetched when the
    // list shows again.
    void setShown(bool shown);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

Q_SIGNALS:
    // The counts, hasMore or the header changed, or more rows were read: every change of the
    // rows ends with it, and views keep their top row until then.
    void summaryChanged();
    // The copy times should be worded against now() afresh.
    void ticked();

private:
    void scheduleRefresh();
    void stopScan();
    void show(const ClipboardStore::Page &page);
    void apply(const QList<ClipboardItem> &fresh);

    ClipboardStore &m_store;
    const Clock &m_clock;
    QString m_query;
    int m_limit;
    QList<ClipboardItem> m_items;
    bool m_hasMore = false;
    qint64 m_resultCount = 0;
    qint64 m_totalCount = 0;
    QDateTime m_now;
    QTimer m_ticker;
    bool m_refreshQueued = false;
    bool m_shown = true;
    qint64 m_refreshedRevision = -1;
    qint64 m_countedRevision = -1;
    // The scan of the latest search, while it runs on another thread; its answer is taken only
    // when no other query came after it.
    QFuture<std::optional<ClipboardSearch::Scan>> m_scan;
    quint64 m_queries = 0;
    // The answer of the scan shown, whose further rows fetchMore() reads; none when the store
    // answered on its own connection.
    std::optional<ClipboardSearch::Scan> m_found;
    // A fetch found no more rows than were shown: none is tried again until the next answer.
    bool m_exhausted = false;
    bool m_applying = false;
    // The query whose answer is shown, and whether the next one is of a new search.
    quint64 m_shownQuery = 0;
    bool m_newAnswer = true;
};
