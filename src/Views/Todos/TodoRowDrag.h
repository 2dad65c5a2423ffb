#pragma once

#include <QHash>
#include <QList>
#include <QRectF>
#include <QUuid>

#include <optional>

// A row of the todo list being dragged within its day section: where it started among the
// section's todos (`from`), where it would land if dropped now (`to`) and how far it has moved
// from its laid-out place (`translation`, pixels, positive downwards, clamped to the section).
struct TodoRowDrag
{
    QUuid id;
    int from = 0;
    int to = 0;
    qreal translation = 0;

    // The drag of row `id` moved `dy` from its place among `peers` (the ids of its section, in
    // order), given each row's laid-out frame. The row stops at the first peer's top and at the
    // last peer's bottom, and passes a neighbour once its middle reaches the neighbour's
    // middle. Nothing when a frame it needs is missing or the row is not among its peers.
    static std::optional<TodoRowDrag> update(
        const QUuid &id, qreal dy, const QList<QUuid> &peers, const QHash<QUuid, QRectF> &frames);

    // How far each row is shifted from its place now: the dragged row by its translation, the
    // peers it passed by one slot (its height plus the gap between rows) the other way.
    QHash<QUuid, qreal> offsets(const QList<QUuid> &peers, const QHash<QUuid, QRectF> &frames) const;

    static constexpr qreal rowGap = 2;

    friend bool operator==(const TodoRowDrag &, const TodoRowDrag &) = default;
};
