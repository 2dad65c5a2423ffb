#pragma once

#include "Models/Todos/ExportedTodo.h"
#include "Models/Transfer/ExportedClipboardItem.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The whole export document, format version 1.
struct VemraExport
{
    // The format version this program writes and reads.
    static constexpr qint64 formatVersion = 1;

    std::optional<QString> app;
    qint64 version = formatVersion;
    // 0001-01-01T00:00:00Z when the file does not say.
    QDateTime exportedAt;
    QList<ExportedTodo> todos;
    QList<ExportedClipboardItem> clipboard;

    // The export time of a file that names none.
    static QDateTime distantPast() { return QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC); }

    friend bool operator==(const VemraExport &, const VemraExport &) = default;
};
