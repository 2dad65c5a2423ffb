#include "Services/Clipboard/ClipboardPending.h"

#include <algorithm>
#include <limits>

std::optional<ClipboardPending::Range> ClipboardPending::Range::of(
    const ClearRequest &request, const QDateTime &now, const ClipboardCalendar &calendar)
{
    if (request.isAll())
        return std::nullopt;
    const DateInterval span = ClipboardPeriods::interval(*request.period(), now, calendar);
    return Range { span.start.toMSecsSinceEpoch(), span.end.toMSecsSinceEpoch() };
}

QStringList ClipboardPending::sideFiles(const ClipboardItem &item)
{
    QStringList paths;
    for (const auto *path : { &item.imagePath, &item.thumbnailPath, &item.textPath }) {
        if (path->has_value())
            paths.append(**path);
    }
    return paths;
}

QStringList ClipboardPending::sideFiles() const
{
    QStringList files;
    for (const ClipboardItem &item : m_items)
        files << sideFiles(item);
    return files;
}

void ClipboardPending::stage(const ClipboardItem &item)
{
    m_items.insert(item.id, item);
    m_deletions.remove(item.id);
}

void ClipboardPending::stageNew(const ClipboardItem &item)
{
    stage(item);
    m_created.insert(item.id);
}

void ClipboardPending::stageDeletion(const ClipboardItem &item, bool writing)
{
    m_items.remove(item.id);
    // One never saved needs no deleting, unless a write under way is saving it now.
    if (!m_created.remove(item.id) || writing)
        m_deletions.insert(item.id);
    m_fileRemovals << sideFiles(item);
}

QList<ClipboardItem> ClipboardPending::covered(const Range &span) const
{
    QList<ClipboardItem> items;
    for (const ClipboardItem &item : m_items) {
        if (span.holds(item))
            items << item;
    }
    return items;
}

void ClipboardPending::stageRange(const Range &span)
{
    m_ranges << span;
}

ClipboardDatabase::Changes ClipboardPending::changes() const
{
    return { m_items.values(), m_deletions, spans() };
}

ClipboardPending::Written ClipboardPending::taken() const
{
    return { QSet<QUuid>(m_items.keyBegin(), m_items.keyEnd()), m_created, m_deletions, m_ranges.size(),
        m_fileRemovals.size() };
}

QList<std::pair<qint64, qint64>> ClipboardPending::spans() const
{
    QList<std::pair<qint64, qint64>> spans;
    spans.reserve(m_ranges.size());
    for (const Range &span : m_ranges)
        spans.append({ span.start, span.end });
    return spans;
}

void ClipboardPending::settle(const Written &written, const QSet<QUuid> &touched)
{
    for (const QUuid &id : written.items) {
        if (!touched.contains(id))
            m_items.remove(id);
    }
    for (const QUuid &id : written.created)
        m_created.remove(id);
    for (const QUuid &id : written.deletions) {
        if (!touched.contains(id))
            m_deletions.remove(id);
    }
    m_ranges.remove(0, written.ranges);
    m_fileRemovals.remove(0, written.files);
}

QList<ClipboardPending::Range> ClipboardPending::spansLeft() const
{
    QList<Range> deleted = m_ranges;
    std::sort(deleted.begin(), deleted.end(), [](const Range &a, const Range &b) { return a.start < b.start; });
    QList<Range> left;
    qint64 from = std::numeric_limits<qint64>::min();
    for (const Range &span : std::as_const(deleted)) {
        if (span.start > from)
            left.prepend({ from, span.start });
        from = std::max(from, span.end);
    }
    if (from < std::numeric_limits<qint64>::max())
        left.prepend({ from, std::numeric_limits<qint64>::max() });
    return left;
}

void ClipboardPending::keepOnlyNew()
{
    m_items.removeIf(
        [this](const QHash<QUuid, ClipboardItem>::iterator &item) { return !m_created.contains(item.key()); });
    m_deletions.clear();
    m_ranges.clear();
    m_fileRemovals.clear();
}
