#pragma once

#include "Models/Todos/ExportedTodo.h"
#include "Models/Transfer/ExportedClipboardItem.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

// The JSON text of the export's parts, laid out exactly as the file has them: objects and
// arrays open with their bracket and a line feed, each member on its own line two spaces
// deeper as `"key" : value`, members in ascending key order, "/" and non-ASCII unescaped.
namespace ExportEncoder {

// A date as one quoted string.
QByteArray date(const QDateTime &instant);
// The whole todo list, from "[" to "]" (an empty list is "[", an empty line, "]").
QByteArray todos(const QList<ExportedTodo> &todos);
// `count` todos from `from` on, as the list holds them between its brackets: each two spaces
// deep, one after another with ",\n" between them. Runs joined by ",\n" make the list's inside.
QByteArray todoRun(const QList<ExportedTodo> &todos, qsizetype from, qsizetype count);
// One clipboard entry, from "{" to "}", its members two spaces deep.
QByteArray entry(const ExportedClipboardItem &item);
void appendEntry(QByteArray &out, const ExportedClipboardItem &item);
// Appends `text` as a JSON string.
void appendString(QByteArray &out, const QString &text);

} // namespace ExportEncoder
