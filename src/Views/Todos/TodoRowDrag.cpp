#include "Views/Todos/TodoRowDrag.h"

std::optional<TodoRowDrag> TodoRowDrag::update(
    const QUuid &id, qreal dy, const QList<QUuid> &peers, const QHash<QUuid, QRectF> &frames)
{
    const auto frame = frames.constFind(id);
    if (frame == frames.cend() || peers.isEmpty())
        return std::nullopt;
    const int from = int(peers.indexOf(id));
    if (from < 0)
        return std::nullopt;
    const auto first = frames.constFind(peers.first());
    const auto last = frames.constFind(peers.last());
    if (first == frames.cend() || last == frames.cend())
        return std::nullopt;
    const qreal lower = first->top() - frame->top();
    const qreal upper = last->bottom() - frame->bottom();
    const qreal t = qMin(upper, qMax(lower, dy));
    const qreal movedMid = frame->center().y() + t;
    int to = 0;
    for (int i = 0; i < peers.size(); ++i) {
        if (i == from)
            continue;
        const qreal mid = frames.value(peers.at(i)).center().y();
        if ((i < from && mid < movedMid) || (i > from && mid <= movedMid))
            ++to;
    }
    return TodoRowDrag { id, from, to, t };
}

QHash<QUuid, qreal> TodoRowDrag::offsets(const QList<QUuid> &peers, const QHash<QUuid, QRectF> &frames) const
{
    QHash<QUuid, qreal> result;
    const auto frame = frames.constFind(id);
    if (frame == frames.cend())
        return result;
    const qreal step = frame->height() + rowGap;
    result.insert(id, translation);
    for (int i = 0; i < peers.size(); ++i) {
        if (from < i && i <= to)
            result.insert(peers.at(i), -step);
        else if (to <= i && i < from)
            result.insert(peers.at(i), step);
    }
    return result;
}
