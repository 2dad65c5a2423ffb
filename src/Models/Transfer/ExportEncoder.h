#pragma once

#include "Models/Todos/ExportedTodo.h"
#include "Models/Transfer/ExportedClipboardItem.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QUuid>

#include <optional>

// The JSON text of the export's parts, laid out exactly as the file has them: objects and
// arrays open with their bracket and a line feed, each member on its own line two spaces
// deeper as `"key" : value`, members in ascending key order, "/" and non-ASCII unescaped.
namespace ExportEncoder {

// One clipboard entry's members over bytes held elsewhere, as they are stored: texts in UTF-8,
// instants in milliseconds since the epoch. Absent optionals are left out of the file.
struct Entry
{
    struct Metadata
    {
        std::optional<QByteArrayView> sourceApp;
        std::optional<QByteArrayView> sourceBundleID;
        std::optional<qint64> pixelWidth;
        std::optional<qint64> pixelHeight;
        std::optional<qint64> byteCount;
    };

    QUuid id;
    QByteArrayView type;
    QByteArrayView content;
    qint64 createdAt = 0;
    std::optional<qint64> lastCopiedAt;
    std::optional<qint64> copyCount;
    std::optional<QByteArrayView> mimeType;
    std::optional<Metadata> metadata;
    std::optional<QByteArrayView> imageData;
};

// An entry's record as an `Entry`, over the UTF-8 of its texts, which this holds.
class EntryBytes final
{
public:
    explicit EntryBytes(const ExportedClipboardItem &item);
    EntryBytes(const EntryBytes &) = delete;
    EntryBytes &operator=(const EntryBytes &) = delete;

    const Entry &entry() const { return m_entry; }

private:
    QByteArray m_type;
    QByteArray m_content;
    QByteArray m_mimeType;
    QByteArray m_sourceApp;
    QByteArray m_sourceBundleID;
    Entry m_entry;
};

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
void appendEntry(QByteArray &out, const Entry &entry);
// Appends `text` as a JSON string.
void appendString(QByteArray &out, const QString &text);
// Appends the text that the UTF-8 `text` decodes to as a JSON string, exactly as appendString
// would: bytes that are not UTF-8, and a leading byte order mark, as decoding makes them.
void appendUtf8(QByteArray &out, QByteArrayView text);
// Appends `bytes` in Base64 with padding.
void appendBase64(QByteArray &out, QByteArrayView bytes);

} // namespace ExportEncoder
