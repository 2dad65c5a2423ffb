#include "Models/Transfer/ExportEncoder.h"

#include "Models/Transfer/ExportDates.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace {

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

// Whether `text` is UTF-8 that decoding and encoding again gives back as it is: well formed,
// and without a byte order mark at its start, which decoding drops.
bool decodesToItself(QByteArrayView text)
{
    const auto *data = reinterpret_cast<const unsigned char *>(text.data());
    const qsizetype size = text.size();
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
        return false;
    constexpr quint64 tops = 0x8080808080808080ULL;
    const auto continues = [&](qsizetype at, unsigned char low, unsigned char high) {
        return at < size && data[at] >= low && data[at] <= high;
    };
    for (qsizetype i = 0; i < size;) {
        for (quint64 word = 0; i + 8 <= size; i += 8) {
            std::memcpy(&word, data + i, 8);
            if (word & tops)
                break;
        }
        if (i >= size)
            break;
        const unsigned char c = data[i];
        if (c < 0x80) {
            ++i;
        } else if (c >= 0xC2 && c <= 0xDF) {
            if (!continues(i + 1, 0x80, 0xBF))
                return false;
            i += 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            const unsigned char low = c == 0xE0 ? 0xA0 : 0x80;
            const unsigned char high = c == 0xED ? 0x9F : 0xBF;
            if (!continues(i + 1, low, high) || !continues(i + 2, 0x80, 0xBF))
                return false;
            i += 3;
        } else if (c >= 0xF0 && c <= 0xF4) {
            const unsigned char low = c == 0xF0 ? 0x90 : 0x80;
            const unsigned char high = c == 0xF4 ? 0x8F : 0xBF;
            if (!continues(i + 1, low, high) || !continues(i + 2, 0x80, 0xBF) || !continues(i + 3, 0x80, 0xBF))
                return false;
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

// Appends UTF-8 `utf8` as a JSON string to `out`, a QByteArray or a Staging.
template <typename Out> void escape(Out &out, QByteArrayView utf8)
{
    static constexpr char hex[] = "0123456789abcdef";
    out.append('"');
    const char *data = utf8.data();
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
            out.append("\\\"", 2);
            break;
        case '\\':
            out.append("\\\\", 2);
            break;
        case '\b':
            out.append("\\b", 2);
            break;
        case '\f':
            out.append("\\f", 2);
            break;
        case '\n':
            out.append("\\n", 2);
            break;
        case '\r':
            out.append("\\r", 2);
            break;
        case '\t':
            out.append("\\t", 2);
            break;
        default: {
            const char escaped[] = { '\\', 'u', '0', '0', hex[(c >> 4) & 0xF], hex[c & 0xF] };
            out.append(escaped, sizeof escaped);
        }
        }
    }
    out.append(data + run, size - run);
    out.append('"');
}

template <typename Out> void escapeUtf8(Out &out, QByteArrayView text)
{
    if (decodesToItself(text))
        escape(out, text);
    else
        escape(out, QString::fromUtf8(text).toUtf8());
}

// Gathers the small pieces of the text on the stack and appends them to the text at once: an
// append per piece was a sixth of the encoding.
class Staging final
{
public:
    explicit Staging(QByteArray &out)
        : m_out(out)
    {
    }
    ~Staging() { flush(); }
    Staging(const Staging &) = delete;
    Staging &operator=(const Staging &) = delete;

    void append(char c)
    {
        if (m_used == qsizetype(sizeof m_staged))
            flush();
        m_staged[m_used++] = c;
    }
    void append(const char *data, qsizetype size)
    {
        // An empty text's view may hold no pointer at all, which memcpy must not be given.
        if (size == 0)
            return;
        if (m_used + size > qsizetype(sizeof m_staged)) {
            flush();
            if (size > qsizetype(sizeof m_staged)) {
                m_out.append(data, size);
                return;
            }
        }
        std::memcpy(m_staged + m_used, data, size_t(size));
        m_used += size;
    }
    // The text itself, all staged appended.
    QByteArray &text()
    {
        flush();
        return m_out;
    }

private:
    void flush()
    {
        m_out.append(m_staged, m_used);
        m_used = 0;
    }

    QByteArray &m_out;
    char m_staged[2048];
    qsizetype m_used = 0;
};

// Writes the members of one object in the order they are given, which callers keep sorted.
class ObjectWriter final
{
public:
    ObjectWriter(Staging &out, int indent)
        : m_out(out)
        , m_indent(indent)
    {
        m_out.append("{\n", 2);
    }

    Staging &key(const char *name)
    {
        char head[64];
        qsizetype at = 0;
        if (!m_first) {
            head[at++] = ',';
            head[at++] = '\n';
        }
        m_first = false;
        const qsizetype length = qsizetype(std::strlen(name));
        Q_ASSERT(m_indent + length + 8 <= qsizetype(sizeof head));
        const qsizetype spaces = m_indent + 2;
        std::memset(head + at, ' ', size_t(spaces));
        at += spaces;
        head[at++] = '"';
        std::memcpy(head + at, name, size_t(length));
        at += length;
        for (const char c : { '"', ' ', ':', ' ' })
            head[at++] = c;
        m_out.append(head, at);
        return m_out;
    }

    void string(const char *name, const QString &value) { escape(key(name), value.toUtf8()); }
    void utf8(const char *name, QByteArrayView value) { escapeUtf8(key(name), value); }
    void integer(const char *name, qint64 value)
    {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        key(name).append(digits, end - digits);
    }
    void boolean(const char *name, bool value)
    {
        if (value)
            key(name).append("true", 4);
        else
            key(name).append("false", 5);
    }
    void date(const char *name, const QDateTime &value) { date(name, value.toMSecsSinceEpoch()); }
    void date(const char *name, qint64 msecs)
    {
        char text[ExportDates::longest + 2];
        text[0] = '"';
        const qsizetype length = ExportDates::write(text + 1, msecs);
        text[length + 1] = '"';
        key(name).append(text, length + 2);
    }
    // As QUuid writes it without braces, in capitals.
    void uuid(const char *name, const QUuid &value)
    {
        static constexpr char hex[] = "0123456789ABCDEF";
        char text[38];
        int at = 0;
        const auto put = [&](quint64 number, int digits) {
            for (int i = digits - 1; i >= 0; --i)
                text[at++] = hex[(number >> (4 * i)) & 0xF];
        };
        text[at++] = '"';
        put(value.data1, 8);
        text[at++] = '-';
        put(value.data2, 4);
        text[at++] = '-';
        put(value.data3, 4);
        text[at++] = '-';
        put(value.data4[0], 2);
        put(value.data4[1], 2);
        text[at++] = '-';
        for (int i = 2; i < 8; ++i)
            put(value.data4[i], 2);
        text[at++] = '"';
        key(name).append(text, at);
    }

    void close()
    {
        m_out.append('\n');
        for (int i = 0; i < m_indent; ++i)
            m_out.append(' ');
        m_out.append('}');
    }

private:
    Staging &m_out;
    int m_indent;
    bool m_first = true;
};

void appendTodo(Staging &out, const ExportedTodo &todo, int indent)
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

void appendMetadata(Staging &out, const ExportEncoder::Entry::Metadata &metadata, int indent)
{
    ObjectWriter object(out, indent);
    if (metadata.byteCount)
        object.integer("byteCount", *metadata.byteCount);
    if (metadata.pixelHeight)
        object.integer("pixelHeight", *metadata.pixelHeight);
    if (metadata.pixelWidth)
        object.integer("pixelWidth", *metadata.pixelWidth);
    if (metadata.sourceApp)
        object.utf8("sourceApp", *metadata.sourceApp);
    if (metadata.sourceBundleID)
        object.utf8("sourceBundleID", *metadata.sourceBundleID);
    object.close();
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
    Staging staged(out);
    for (qsizetype i = from; i < from + count; ++i) {
        if (i != from)
            staged.append(",\n", 2);
        staged.append("  ", 2);
        appendTodo(staged, todos.at(i), 2);
    }
    return staged.text();
}

EntryBytes::EntryBytes(const ExportedClipboardItem &item)
    : m_type(item.type.toUtf8())
    , m_content(item.content.toUtf8())
{
    m_entry.id = item.id;
    m_entry.type = m_type;
    m_entry.content = m_content;
    m_entry.createdAt = item.createdAt.toMSecsSinceEpoch();
    if (item.lastCopiedAt)
        m_entry.lastCopiedAt = item.lastCopiedAt->toMSecsSinceEpoch();
    m_entry.copyCount = item.copyCount;
    if (item.mimeType) {
        m_mimeType = item.mimeType->toUtf8();
        m_entry.mimeType = m_mimeType;
    }
    if (item.metadata) {
        const ExportedClipboardItem::Metadata &from = *item.metadata;
        Entry::Metadata &metadata = m_entry.metadata.emplace();
        if (from.sourceApp) {
            m_sourceApp = from.sourceApp->toUtf8();
            metadata.sourceApp = m_sourceApp;
        }
        if (from.sourceBundleID) {
            m_sourceBundleID = from.sourceBundleID->toUtf8();
            metadata.sourceBundleID = m_sourceBundleID;
        }
        metadata.pixelWidth = from.pixelWidth;
        metadata.pixelHeight = from.pixelHeight;
        metadata.byteCount = from.byteCount;
    }
    if (item.imageData)
        m_entry.imageData = QByteArrayView(*item.imageData);
}

QByteArray entry(const ExportedClipboardItem &item)
{
    QByteArray out;
    appendEntry(out, item);
    return out;
}

void appendEntry(QByteArray &out, const ExportedClipboardItem &item)
{
    const EntryBytes bytes(item);
    appendEntry(out, bytes.entry());
}

void appendEntry(QByteArray &out, const Entry &item)
{
    // Room for the entry, growing by at least half again: entries appended one after another
    // would otherwise move the text before them at each.
    const qsizetype needed
        = out.size() + 256 + item.content.size() * 9 / 8 + (item.imageData ? item.imageData->size() * 4 / 3 + 4 : 0);
    if (needed > out.capacity())
        out.reserve(std::max(needed, out.capacity() * 3 / 2));
    Staging staged(out);
    ObjectWriter object(staged, 0);
    object.utf8("content", item.content);
    if (item.copyCount)
        object.integer("copyCount", *item.copyCount);
    object.date("createdAt", item.createdAt);
    object.uuid("id", item.id);
    if (item.imageData) {
        QByteArray &text = object.key("imageData").text();
        text += '"';
        appendBase64(text, *item.imageData);
        text += '"';
    }
    if (item.lastCopiedAt)
        object.date("lastCopiedAt", *item.lastCopiedAt);
    if (item.metadata)
        appendMetadata(object.key("metadata"), *item.metadata, 2);
    if (item.mimeType)
        object.utf8("mimeType", *item.mimeType);
    object.utf8("type", item.type);
    object.close();
}

void appendString(QByteArray &out, const QString &text)
{
    escape(out, text.toUtf8());
}

void appendUtf8(QByteArray &out, QByteArrayView text)
{
    escapeUtf8(out, text);
}

void appendBase64(QByteArray &out, QByteArrayView bytes)
{
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    // Two characters per twelve bits, looked up at once.
    static const auto pairs = [] {
        std::array<char, 2 * 4096> table {};
        for (int i = 0; i < 4096; ++i) {
            table[2 * i] = alphabet[i >> 6];
            table[2 * i + 1] = alphabet[i & 63];
        }
        return table;
    }();
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype whole = bytes.size() / 3;
    const qsizetype start = out.size();
    out.resize(start + (bytes.size() + 2) / 3 * 4);
    char *to = out.data() + start;
    for (qsizetype i = 0; i < whole; ++i, data += 3, to += 4) {
        const quint32 group = quint32(data[0]) << 16 | quint32(data[1]) << 8 | data[2];
        std::memcpy(to, &pairs[2 * (group >> 12)], 2);
        std::memcpy(to + 2, &pairs[2 * (group & 0xFFF)], 2);
    }
    const qsizetype left = bytes.size() - whole * 3;
    if (left == 0)
        return;
    const quint32 group = quint32(data[0]) << 16 | (left == 2 ? quint32(data[1]) << 8 : 0);
    to[0] = alphabet[group >> 18];
    to[1] = alphabet[(group >> 12) & 63];
    to[2] = left == 2 ? alphabet[(group >> 6) & 63] : '=';
    to[3] = '=';
}

} // namespace ExportEncoder
