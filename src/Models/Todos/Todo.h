#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

// One todo as stored. A plain value: the todo store makes every change and views hold copies,
// naming a todo to the store by its id.
struct Todo
{
    QUuid id;
    QString title;
    bool isCompleted = false;
    QDateTime createdAt;
    QDateTime updatedAt;
    std::optional<QDateTime> completedAt;
    qint64 sortOrder = 0;
    // The planned day, always held as 12:00 local time of that day so that a change of time
    // zone or a daylight-saving shift never moves it to a neighbouring day.
    std::optional<QDateTime> day;

    Todo() = default;
    // A new open todo with a fresh id; the title is kept as given.
    Todo(const QString &title, const std::optional<QDate> &day, qint64 sortOrder, const QDateTime &now);

    // The planned day as a day; nothing when undated.
    std::optional<QDate> dayStart() const;

    // The day the todo is listed under: its own day when that is after today, otherwise today
    // (undated and overdue todos list under today).
    QDate listDay(const QDate &today) const;

    // The id as stored and exported: upper-case, without braces.
    QString idString() const;

    // The one ordering of todos: sortOrder ascending, then the newest createdAt first (the id
    // settles exact ties so the order never depends on storage order).
    static bool listOrder(const Todo &a, const Todo &b);

    friend bool operator==(const Todo &, const Todo &) = default;
};

// A list of thousands of todos grows by moving their bytes rather than copying each todo.
Q_DECLARE_TYPEINFO(Todo, Q_RELOCATABLE_TYPE);
