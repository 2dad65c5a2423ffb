#pragma once

#include "Models/Clipboard/ClearRequest.h"
#include "Models/Clipboard/ClipboardCalendar.h"
#include "Models/Clipboard/ClipboardItem.h"
#include "Services/Clipboard/ClipboardPage.h"
#include "Services/Clipboard/ClipboardPending.h"
#include "Services/Clipboard/ClipboardSearch.h"

#include <QDateTime>
#include <QFuture>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>
#include <QVariantList>

#include <functional>
#include <optional>

class ClipboardDatabase;

// The clipboard history's reads on the store's connection: the stored rows with the pending
// changes over them (the stored rows they stand in for hidden through a temporary table, filled
// only when a read of stored rows meets pending changes), pages, counts and searches. Knows how
// many entries are saved, kept up to date by every save, and how many the history shows, kept
// up to date by every change, so that neither count needs a scan.
class ClipboardQueries final
{
public:
    using Page = ClipboardPage;

    explicit ClipboardQueries(const ClipboardPending &pending);

    // How a database's saved entries are counted as it is attached: at once, or, for a file
    // that nothing writes until the next attach, once the count is first needed (a count reads
    // a whole index: milliseconds at a million entries).
    enum class Counting { Now, WhenNeeded };
    // Reads `database` from now on.
    void attach(ClipboardDatabase &database, Counting counting = Counting::Now);
    // The same, with its saved entries counted already.
    void attach(ClipboardDatabase &database, qint64 stored);
    void addStored(qint64 count);
    // After a save: what is still pending is hidden again by the next read.
    void showSaved();
    // The entries shown changed by `by` (none: by what only a count can tell, as when the
    // file's entries are taken in). A save changes nothing shown, only where it is kept.
    void changed(std::optional<qint64> by);
    // How many entries shown a span holds, counted once for each change of the history.
    qint64 shownIn(const ClipboardPending::Range &span) const;

    // The order of the history, newest first, over clipboard_item AS i.
    static const QString &order();

    QList<ClipboardItem> items(std::optional<int> limit) const;
    QList<ClipboardItem> items(const QString &query, int limit) const;
    Page page(const QString &query, int limit) const;
    QFuture<std::optional<ClipboardSearch::Scan>> scanInBackground(const QString &query, int limit) const;
    Page page(const QString &query, const std::optional<ClipboardSearch::Scan> &scan, int limit) const;
    QList<ClipboardItem> items(const QString &query, const std::optional<ClipboardSearch::Scan> &scan, int limit) const;
    std::optional<ClipboardItem> item(const QUuid &id) const;
    std::optional<ClipboardItem> itemWithHash(const QString &contentHash) const;
    QList<ClipboardItem> itemsWithIds(const QList<QUuid> &ids) const;

    qint64 count() const;
    qint64 count(const QString &query) const;
    QList<ClipboardItem> items(const ClearRequest &request, const QDateTime &now, const ClipboardCalendar &calendar,
        std::optional<int> limit) const;
    qint64 count(const ClearRequest &request, const QDateTime &now, const ClipboardCalendar &calendar) const;

private:
    // A condition on stored entries (`where`, over clipboard_item AS i) and the same condition
    // on pending entries (`accepts`; none: all).
    struct Filter
    {
        QString where;
        QVariantList bindings;
        bool search = false;
        std::function<bool(const ClipboardItem &)> accepts;
    };

    Filter searchFilter(const QString &query) const;
    static Filter periodFilter(const ClipboardPending::Range &span);
    QList<ClipboardItem> fetch(const Filter &filter, std::optional<int> limit) const;
    QList<ClipboardItem> fetchRows(const ClipboardSearch::Scan &scan, int limit) const;
    // The newest `limit` of a scan's answer with the changes not written yet laid over it: the
    // pending entries that match, in place of the saved ones it passed over, and those it passed
    // over that were written since it began. `added` counts the entries not in its answer.
    QList<ClipboardItem> laidOver(
        const ClipboardSearch::Scan &scan, const ClipboardItem::Predicate &predicate, int limit, qint64 &added) const;
    qint64 tally(const Filter &filter) const;
    // Puts the ids of the pending changes into the connection's temporary table that hides
    // their stored rows. Only a read of stored rows while changes wait asks for it, so that a
    // copy saved at once never writes the table.
    void hidePending() const;
    // Hides the pending entries' stored rows, and those of the spans being deleted unless the
    // query keeps to the spans left.
    QString hiddenClause(bool spans = true) const;
    QVariantList hiddenBindings() const;

    qint64 storedCount() const;
    void prepareSearch() const;

    const ClipboardPending &m_pending;
    ClipboardDatabase *m_database = nullptr;
    // Unknown only between an attach WhenNeeded and the first need.
    mutable std::optional<qint64> m_storedCount;
    // The ids in the temporary table of the store's connection.
    mutable QSet<QUuid> m_hidden;
    // How many entries the history shows, once known; and the span last counted, with the
    // change of the history it was counted at.
    mutable std::optional<qint64> m_shown;
    struct SpanCount
    {
        qint64 start = 0;
        qint64 end = 0;
        quint64 change = 0;
        qint64 count = 0;
    };
    mutable std::optional<SpanCount> m_spanCount;
    quint64 m_change = 0;
};
