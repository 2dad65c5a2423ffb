#include "Models/Todos/Todo.h"

#include "Models/Todos/Days.h"

Todo::Todo(const QString &title, const std::optional<QDate> &day, qint64 sortOrder, const QDateTime &now)
    : id(QUuid::createUuid())
    , title(title)
    , createdAt(now)
    , updatedAt(now)
    , sortOrder(sortOrder)
{
    if (day)
        this->day = Days::midday(*day);
}

std::optional<QDate> Todo::dayStart() const
{
    if (!day)
        return std::nullopt;
    return Days::dayOf(*day);
}

QDate Todo::listDay(const QDate &today) const
{
    const std::optional<QDate> start = dayStart();
    if (!start || *start <= today)
        return today;
    return *start;
}

QString Todo::idString() const
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

bool Todo::listOrder(const Todo &a, const Todo &b)
{
    if (a.sortOrder != b.sortOrder)
        return a.sortOrder < b.sortOrder;
    if (a.createdAt != b.createdAt)
        return a.createdAt > b.createdAt;
    return a.id < b.id;
}
