#pragma once

#include "Models/Todos/Todo.h"

#include <QList>
#include <QMap>

#include <optional>

// One day section of the todo list: a day and the todos listed under it, in list order.
struct TodoSection
{
    QDate day;
    QList<Todo> todos;

    // The sections to show. A filter on a day after today gives that day's own todos as one
    // section (or none when it has none); otherwise every todo is grouped under its listing
    // day, earliest day first, so undated and overdue todos stand under today.
    static QList<TodoSection> sections(
        const QList<Todo> &todos, const std::optional<QDate> &filter, const QDate &today);

    // The calendar's marks: for each day that lists a todo, true while any todo listed there is
    // open and false when all of them are done.
    static QMap<QDate, bool> marks(const QList<Todo> &todos, const QDate &today);

    friend bool operator==(const TodoSection &, const TodoSection &) = default;
};
