#include "Models/Todos/TodoSection.h"

#include <algorithm>

QList<TodoSection> TodoSection::sections(
    const QList<Todo> &todos, const std::optional<QDate> &filter, const QDate &today)
{
    QList<Todo> sorted = todos;
    // The store's todos come in list order already; checking costs less than sorting again.
    if (!std::is_sorted(sorted.cbegin(), sorted.cend(), &Todo::listOrder))
        std::stable_sort(sorted.begin(), sorted.end(), &Todo::listOrder);

    if (filter && *filter > today) {
        TodoSection section { *filter, {} };
        for (const Todo &todo : std::as_const(sorted)) {
            if (todo.dayStart() == *filter)
                section.todos.append(todo);
        }
        if (section.todos.isEmpty())
            return {};
        return { section };
    }

    QMap<QDate, QList<Todo>> groups;
    for (const Todo &todo : std::as_const(sorted))
        groups[todo.listDay(today)].append(todo);
    QList<TodoSection> result;
    result.reserve(groups.size());
    for (auto it = groups.cbegin(); it != groups.cend(); ++it)
        result.append(TodoSection { it.key(), it.value() });
    return result;
}

QMap<QDate, bool> TodoSection::marks(const QList<Todo> &todos, const QDate &today)
{
    QMap<QDate, bool> result;
    for (const Todo &todo : todos) {
        bool &open = result[todo.listDay(today)];
        open = open || !todo.isCompleted;
    }
    return result;
}
