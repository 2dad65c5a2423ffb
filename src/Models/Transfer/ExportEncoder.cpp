#include "Models/Transfer/ExportEncoder.h"

#include "Models/Transfer/ExportDates.h"

#include <algorithm>
#include <cstring>

namespace {

// Writes the members of one object in the order they are given, which callers keep sorted.
class ObjectWriter final
{
public:
    ObjectWriter(QByteArray &out, int indent)
        : m_out(out)
        , m_indent(indent)
    {
        m_out += "{\n";
    }

    QByteArray &key(const char *name)
    {
        if (!m_first)
            m_out += ",\n";
        m_first = false;
        m_out.append(m_indent + 2, ' ');
        m_out += '"';
        m_out += name;
        m_out += "\" : ";
        return m_out;
    }

    void string(const char *name, const QString &value) { ExportEncoder::appendString(key(name), value); }
    void integer(const char *name, qint64 value) { key(name) += QByteArray::number(value); }
    void boolean(const char *name, bool value) { key(name) += value ? "true" : "false"; }
    void date(const char *name, const QDateTime &value) { key(name) += ExportEncoder::date(value); }
    void uuid(const char *name, const QUuid &value)
    {
        key(name) += '"' + value.toByteArray(QUuid::WithoutBraces).toUpper() + '"';
    }

    void close()
    {
        m_out += '\n';
        m_out.append(m_indent, ' ');
        m_out += '}';
    }

private:
    QByteArray &m_out;
    int m_indent;
    bool m_first = true;
};

void appendTodo(QByteArray &out, const ExportedTodo &todo, int indent)
{
    ObjectWriter object(out, indent);
    if (todo.completedAt)
        object.date("completedAt", *todo.completedAt);
    object.date("createdAt", todo.createdAt);
    if (todo.day)
        object.string("day", *todo.day);
    object.uuid("id", todo.id);
    object.boolean("isCompleted", todo.isCompleted);
    if (todo.sortOrder)
        object.integer("sortOrder", *todo.sortOrder);
    object.string("title", todo.title);
    if (todo.updatedAt)
        object.date("updatedAt", *todo.updatedAt);
    object.close();
}

void appendMetadata(QByteArray &out, const ExportedClipboardItem::Metadata &metadata, int indent)
{
    ObjectWriter object(out, indent);
    if (metadata.byteCount)
        object.integer("byteCount", *metadata.byteCount);
    if (metadata.pixelHeight)
        object.integer("pixelHeight", *metadata.pixelHeight);
    if (metadata.pixelWidth)
        object.integer("pixelWidth", *metadata.pixelWidth);
    if (metadata.sourceApp)
        object.string("sourceApp", *metadata.sourceApp);
    if (metadata.sourceBundleID)
        object.string("sourceBundleID", *metadata.sourceBundleID);
    object.close();
}

// Whether a byte of `word` is below 0x20, a quote or a backslash: whether any byte of x is
// below n (up to 0x80) is whether (x - 0x01..01 * n) & ~x & 0x80..80 is not zero, and a byte
// equal to c is a zero byte of x ^ 0x01..01 * c.
bool mayNeedEscaping(quint64 word)
{
    constexpr quint64 ones = 0x0101010101010101ULL;
    constexpr quint64 tops = 0x8080808080808080ULL;
    const auto below = [](quint64 x, quint64 n) { return (x - ones * n) & ~x & tops; };
    return below(word, 0x20) | below(word ^ (ones * '"'), 1) | below(word ^ (ones * '\\'), 1);
}

} // namespace

namespace ExportEncoder {

QByteArray date(const QDateTime &instant)
{
    return '"' + ExportDates::format(instant) + '"';
}

QByteArray todos(const QList<ExportedTodo> &todos)
{
    return "[\n" + todoRun(todos, 0, todos.size()) + "\n]";
}

QByteArray todoRun(const QList<ExportedTodo> &todos, qsizetype from, qsizetype count)
{
    QByteArray out;
    for (qsizetype i = from; i < from + count; ++i) {
        if (i != from)
            out += ",\n";
        out += "  ";
        appendTodo(out, todos.at(i), 2);
    }
    return out;
}

QByteArray entry(const ExportedClipboardItem &item)
{
    QByteArray out;
    appendEntry(out, item);
    return out;
}

void appendEntry(QByteArray &out, const ExportedClipboardItem &item)
{
    // Room for the entry, growing by at least half again: entries appended one after another
    // would otherwise move the text before them at each.
    const qsizetype needed
        = out.size() + 256 + item.content.size() * 3 / 2 + (item.imageData ? item.imageData->size() * 4 / 3 + 4 : 0);
    if (needed > out.capacity())
        out.reserve(std::max(needed, out.capacity() * 3 / 2));
    ObjectWriter object(out, 0);
    object.string("content", item.content);
    if (item.copyCount)
        object.integer("copyCount", *item.copyCount);
    object.date("createdAt", item.createdAt);
    object.uuid("id", item.id);
    if (item.imageData) {
        QByteArray &text = object.key("imageData");
        text += '"';
        text += item.imageData->toBase64();
        text += '"';
    }
    if (item.lastCopiedAt)
        object.date("lastCopiedAt", *item.lastCopiedAt);
    if (item.metadata)
        appendMetadata(object.key("metadata"), *item.metadata, 2);
    if (item.mimeType)
        object.string("mimeType", *item.mimeType);
    object.string("type", item.type);
    object.close();
}

void appendString(QByteArray &out, const QString &text)
{
    static constexpr char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    out.reserve(out.size() + utf8.size() + 2);
    out += '"';
    const char *data = utf8.constData();
    const qsizetype size = utf8.size();
    qsizetype run = 0;
    for (qsizetype i = 0; i < size; ++i) {
        // Eight bytes at a time while none needs escaping: scanning a byte at a time was a
        // fifth of an export's encoding.
        for (quint64 word = 0; i + 8 <= size; i += 8) {
            std::memcpy(&word, data + i, 8);
            if (mayNeedEscaping(word))
                break;
        }
        if (i >= size)
            break;
        const auto c = static_cast<unsigned char>(data[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        // Text without anything to escape goes in whole.
        out.append(data + run, i - run);
        run = i + 1;
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += "\\u00";
            out += hex[(c >> 4) & 0xF];
            out += hex[c & 0xF];
        }
    }
    out.append(data + run, size - run);
    out += '"';
}

} // namespace ExportEncoder
