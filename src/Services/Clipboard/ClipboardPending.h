#pragma once

#include "Models/Clipboard/ClearRequest.h"
#include "Models/Clipboard/ClipboardCalendar.h"
#include "Models/Clipboard/ClipboardItem.h"
#include "Services/Clipboard/ClipboardDatabase.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>
#include <QUuid>

#include <optional>
#include <utility>

// The clipboard history's changes not written yet: the latest version of each changed entry
// (and which of them are new), the ids of deleted entries, spans deleted wholesale, and the
// side files to remove once all of it is saved. Reads see them over the stored rows.
class ClipboardPending final
{
public:
    // Last copies from `start` (inclusive) to `end` (exclusive), in milliseconds.
    struct Range
    {
        qint64 start;
        qint64 end;
        bool holds(const ClipboardItem &item) const
        {
            const qint64 at = item.lastCopiedAt.toMSecsSinceEpoch();
            return at >= start && at < end;
        }
        // The span a clear request covers; none for everything.
        static std::optional<Range> of(
            const ClearRequest &request, const QDateTime &now, const ClipboardCalendar &calendar);
    };
    // What a save took from the pending changes: the ids it wrote, which of them were new,
    // the ids it deleted, and how many of the pending spans and side files it dealt with.
    struct Written
    {
        QSet<QUuid> items;
        QSet<QUuid> created;
        QSet<QUuid> deletions;
        qsizetype ranges = 0;
        qsizetype files = 0;
    };

    const QHash<QUuid, ClipboardItem> &items() const { return m_items; }
    const QSet<QUuid> &created() const { return m_created; }
    const QSet<QUuid> &deletions() const { return m_deletions; }
    const QList<Range> &ranges() const { return m_ranges; }
    const QStringList &fileRemovals() const { return m_fileRemovals; }
    bool isEmpty() const { return m_items.isEmpty() && m_deletions.isEmpty() && m_ranges.isEmpty(); }
    // The side files of the pending entries.
    QStringList sideFiles() const;

    // A changed version of an entry, or a new one.
    void stage(const ClipboardItem &item);
    void stageNew(const ClipboardItem &item);
    // A deleted entry; `writing` while a save under way may be writing it now.
    void stageDeletion(const ClipboardItem &item, bool writing);
    // The pending entries in a span deleted wholesale, which go with it.
    QList<ClipboardItem> covered(const Range &span) const;
    void stageRange(const Range &span);
    // Side files to remove once everything pending is saved.
    void removeFilesLater(const QStringList &paths) { m_fileRemovals << paths; }

    // What a save writes, and what it took.
    ClipboardDatabase::Changes changes() const;
    Written taken() const;
    // The spans deleted wholesale, as start and end.
    QList<std::pair<qint64, qint64>> spans() const;
    // The spans of time that none of those covers, newest first: all of time when there are none,
    // nothing once everything is deleted.
    QList<Range> spansLeft() const;
    // Keeps only the entries new since the store opened: what was changed or deleted of the
    // others, and the side files to remove, are forgotten.
    void keepOnlyNew();
    // Forgets what `written` saved, except the entries changed again since (`touched`).
    void settle(const Written &written, const QSet<QUuid> &touched);

    static QStringList sideFiles(const ClipboardItem &item);

private:
    QHash<QUuid, ClipboardItem> m_items;
    QSet<QUuid> m_created;
    QSet<QUuid> m_deletions;
    QList<Range> m_ranges;
    QStringList m_fileRemovals;
};
