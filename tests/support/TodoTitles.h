#pragma once

#include "Models/Todos/Todo.h"

#include <QList>
#include <QStringList>

// The titles of the todos, in order: what most checks of a listing compare.
inline QStringList titles(const QList<Todo> &todos)
{
    QStringList result;
    for (const Todo &todo : todos)
        result.append(todo.title);
    return result;
}
