#pragma once

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

// One todo as the export file carries it; absent optionals are left out of the file.
struct ExportedTodo
{
    QUuid id;
    QString title;
    bool isCompleted = false;
    QDateTime createdAt;
    std::optional<QDateTime> updatedAt;
    std::optional<QDateTime> completedAt;
    // The day string ("%04d-%02d-%02d") of the planned day.
    std::optional<QString> day;
    std::optional<qint64> sortOrder;

    friend bool operator==(const ExportedTodo &, const ExportedTodo &) = default;
};
