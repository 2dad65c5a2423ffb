#include "Services/Transfer/BackupReader.h"

#include "Models/Clipboard/ClipboardKind.h"
#include "Models/Common/Utf8.h"
#include "Models/Transfer/ExportDates.h"
#include "Platform/Logging.h"
#include "Platform/RegularFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFuture>
#include <QThreadPool>
#include <QUuid>
#include <QtConcurrent/QtConcurrentRun>

#include <rapidjson/reader.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace {

// What is read: a file, which the pieces read on other threads share, or bytes in memory.
class Source final
{
public:
    explicit Source(QFile &file)
        : m_file(&file)
        , m_size(file.size())
    {
    }
    explicit Source(const QByteArray &bytes)
        : m_bytes(bytes)
        , m_size(bytes.size())
    {
    }

    // The size when reading began.
    qint64 size() const { return m_size; }

    // Up to `length` bytes from `offset` on; fewer at the end, -1 after an error.
    qint64 read(qint64 offset, char *to, qint64 length) const
    {
        if (!m_file) {
            const qint64 count = std::clamp<qint64>(m_size - offset, 0, length);
            std::memcpy(to, m_bytes.constData() + offset, size_t(count));
            return count;
        }
        const std::lock_guard lock(m_mutex);
        if (!m_file->seek(offset))
            return -1;
        return m_file->read(to, length);
    }

    QString errorString() const
    {
        const std::lock_guard lock(m_mutex);
        return m_file ? m_file->errorString() : QString();
    }

private:
    QFile *m_file = nullptr;
    QByteArray m_bytes;
    qint64 m_size = 0;
    mutable std::mutex m_mutex;
};

// The parser's input on the thread that reads the document from its start, a chunk at a
// time. Like the parser's own file stream, it shows a '\0' once the input is used up; the
// caller checks that every byte was taken, since a '\0' in the input would otherwise pass
// for its end. It can jump ahead, over what the pieces read.
class ChunkStream final
{
public:
    using Ch = char;

    explicit ChunkStream(const Source &source)
        : m_source(source)
        // A small input takes no more room than it needs: a chunk would be cleared for nothing.
        , m_storage(size_t(std::clamp<qint64>(source.size(), 0, chunkSize)) + 1)
    {
        m_chunkStart = m_current = m_last = m_storage.data();
        refill(0);
        skipByteOrderMark();
    }

    Ch Peek() const { return *m_current; }
    Ch Take()
    {
        const Ch c = *m_current;
        advance();
        return c;
    }
    size_t Tell() const { return size_t(offset()); }

    // Never called: the parser writes only when it parses in place.
    Ch *PutBegin() { return nullptr; }
    void Put(Ch) { }
    void Flush() { }
    size_t PutEnd(Ch *) { return 0; }

    qint64 offset() const { return m_chunkOffset + (m_current - m_chunkStart); }
    // Goes on reading at `to`, which is not behind the current place.
    void jump(qint64 to)
    {
        if (to <= m_chunkOffset + (m_last - m_chunkStart)) {
            m_current = m_chunkStart + (to - m_chunkOffset);
            if (m_current == m_last && !m_eof)
                refill(to);
            return;
        }
        refill(to);
    }
    // True once every byte of the input was taken.
    bool atEnd() const { return m_eof && m_current == m_last; }
    // True when the source reported an error before its end.
    bool failed() const { return m_failed; }

private:
    static constexpr qint64 chunkSize = qint64(1) << 20;

    void advance()
    {
        if (m_current < m_last)
            ++m_current;
        if (m_current == m_last && !m_eof)
            refill(offset());
    }

    void refill(qint64 at)
    {
        char *buffer = m_storage.data();
        const qint64 read = m_source.read(at, buffer, qint64(m_storage.size()) - 1);
        const qint64 got = std::max<qint64>(read, 0);
        buffer[got] = '\0';
        m_chunkOffset = at;
        m_chunkStart = m_current = buffer;
        m_last = buffer + got;
        if (got == 0)
            m_eof = true;
        if (read < 0) {
            qCWarning(lcTransfer) << "An export file could not be read to its end:" << m_source.errorString();
            m_failed = true;
        }
    }

    void skipByteOrderMark()
    {
        static constexpr std::array<unsigned char, 3> mark { 0xEF, 0xBB, 0xBF };
        for (const unsigned char byte : mark) {
            if (static_cast<unsigned char>(Peek()) != byte)
                return;
            advance();
        }
    }

    const Source &m_source;
    std::vector<char> m_storage;
    char *m_chunkStart = nullptr;
    char *m_current = nullptr;
    char *m_last = nullptr;
    qint64 m_chunkOffset = 0;
    bool m_eof = false;
    bool m_failed = false;
};

enum class ValueType { String, Integer, Boolean, Date, Uuid, Bytes, Metadata, TodoList, EntryList };

struct FieldRule
{
    const char *name;
    ValueType type;
    bool required;
};

// The records' fields in declaration order: the order in which a damaged file's first fault
// is looked for.
constexpr std::array<FieldRule, 5> topFields { {
    { "app", ValueType::String, false },
    { "version", ValueType::Integer, true },
    { "exportedAt", ValueType::Date, false },
    { "todos", ValueType::TodoList, false },
    { "clipboard", ValueType::EntryList, false },
} };
constexpr std::array<FieldRule, 8> todoFields { {
    { "id", ValueType::Uuid, true },
    { "title", ValueType::String, true },
    { "isCompleted", ValueType::Boolean, true },
    { "createdAt", ValueType::Date, true },
    { "updatedAt", ValueType::Date, false },
    { "completedAt", ValueType::Date, false },
    { "day", ValueType::String, false },
    { "sortOrder", ValueType::Integer, false },
} };
constexpr std::array<FieldRule, 9> entryFields { {
    { "id", ValueType::Uuid, true },
    { "type", ValueType::String, true },
    { "content", ValueType::String, true },
    { "createdAt", ValueType::Date, true },
    { "lastCopiedAt", ValueType::Date, false },
    { "copyCount", ValueType::Integer, false },
    { "mimeType", ValueType::String, false },
    { "metadata", ValueType::Metadata, false },
    { "imageData", ValueType::Bytes, false },
} };
constexpr std::array<FieldRule, 5> metadataFields { {
    { "sourceApp", ValueType::String, false },
    { "sourceBundleID", ValueType::String, false },
    { "pixelWidth", ValueType::Integer, false },
    { "pixelHeight", ValueType::Integer, false },
    { "byteCount", ValueType::Integer, false },
} };

enum class Shape { Top, TodoList, EntryList, Todo, Entry, Metadata, Skip };

std::span<const FieldRule> fieldsOf(Shape shape)
{
    switch (shape) {
    case Shape::Top:
        return topFields;
    case Shape::Todo:
        return todoFields;
    case Shape::Entry:
        return entryFields;
    case Shape::Metadata:
        return metadataFields;
    default:
        return {};
    }
}

enum class FailureKind { TypeMismatch, ValueNotFound, KeyNotFound, DataCorrupted };

struct Failure
{
    FailureKind kind;
    // Field indices and array indices from the top down: the smallest is the fault a
    // decoder that reads the fields in declaration order meets first.
    std::vector<qint64> order;
    // The fields' names along the way; none for an array's index.
    std::vector<const char *> names;
};

QString describe(const Failure &failure)
{
    QString path;
    for (size_t i = 0; i < failure.order.size(); ++i) {
        if (!failure.names[i]) {
            path += u'[' + QString::number(failure.order[i]) + u']';
            continue;
        }
        if (!path.isEmpty())
            path += u'.';
        path += QLatin1StringView(failure.names[i]);
    }
    if (path.isEmpty() && failure.kind == FailureKind::DataCorrupted)
        return QStringLiteral("it isn’t valid JSON.");
    if (path.isEmpty())
        path = QStringLiteral("The file");
    switch (failure.kind) {
    case FailureKind::TypeMismatch:
        return path + QStringLiteral(" has the wrong kind of value.");
    case FailureKind::ValueNotFound:
        return path + QStringLiteral(" is empty.");
    case FailureKind::KeyNotFound:
        return path + QStringLiteral(" is missing.");
    case FailureKind::DataCorrupted:
        return path + QStringLiteral(" can’t be read.");
    }
    return QStringLiteral("it can’t be read.");
}

// One JSON value as the parser hands it over.
struct Token
{
    enum Type { Null, Bool, Integer, BigInteger, Double, String, Object, Array };
    Type type = Null;
    bool boolean = false;
    qint64 integer = 0;
    double real = 0;
    const char *text = nullptr;
    size_t length = 0;

    bool isContainer() const { return type == Object || type == Array; }
};

std::optional<QUuid> uuid(const Token &token)
{
    if (token.length != 36)
        return std::nullopt;
    for (size_t i = 0; i < 36; ++i) {
        const char c = token.text[i];
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (dash ? c != '-' : !hex)
            return std::nullopt;
    }
    return QUuid::fromString(QLatin1StringView(token.text, qsizetype(token.length)));
}

// Standard base64 with its padding, nothing else (no white space, no line breaks).
std::optional<QByteArray> bytes(const Token &token)
{
    const size_t length = token.length;
    if (length % 4 != 0)
        return std::nullopt;
    for (size_t i = 0; i < length; ++i) {
        const char c = token.text[i];
        const bool letter
            = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
        const bool padding = c == '=' && (i == length - 1 || (i == length - 2 && token.text[length - 1] == '='));
        if (!letter && !padding)
            return std::nullopt;
    }
    auto decoded = QByteArray::fromBase64Encoding(
        QByteArray::fromRawData(token.text, qsizetype(length)), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return std::move(decoded.decoded);
}

// The text's length in bytes, cut at a character's edge for a short field: the todo's title
// and the entry's content are kept whole.
size_t shortened(const FieldRule &rule, const Token &token)
{
    const std::string_view name(rule.name);
    if (name == "title" || name == "content" || token.length <= size_t(BackupReader::maximumShortField))
        return token.length;
    size_t length = size_t(BackupReader::maximumShortField);
    while (length > 0 && (static_cast<unsigned char>(token.text[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

// Counts and orders within ±maximumCount; the version and the sizes as written.
qint64 bounded(const FieldRule &rule, qint64 value)
{
    const std::string_view name(rule.name);
    if (name != "copyCount" && name != "sortOrder")
        return value;
    return std::clamp(value, -BackupReader::maximumCount, BackupReader::maximumCount);
}

// Whether a text is empty once white space is trimmed, as QString::trimmed() sees it; ASCII
// is looked at as it stands.
bool isBlank(const char *text, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80)
            return QString::fromUtf8(text, qsizetype(length)).trimmed().isEmpty();
        if (c != ' ' && (c < '\t' || c > '\r'))
            return false;
    }
    return true;
}

// The lower-case hexadecimal SHA-256 of the text as the store keeps it: of its UTF-8 as it
// stands, unless going through QString would change the bytes (a byte order mark at the
// start, a lone surrogate written as an escape).
QString textHash(const char *text, size_t length)
{
    const bool asIs = Utf8::isWellFormed(text, length) && !(length >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0);
    const QByteArray bytes
        = asIs ? QByteArray::fromRawData(text, qsizetype(length)) : QString::fromUtf8(text, qsizetype(length)).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// What a piece of the entries' list, read on another thread, hands to the reading from the
// start when that reaches it.
struct PieceResult
{
    // False when the piece is not a run of whole entries that ends where the next piece
    // starts or where the list ends: the reading from the start reads it itself.
    bool usable = false;
    // The offset of the '}' that closes the piece's last entry.
    qint64 lastClose = 0;
    // The list's elements in the piece.
    qint64 count = 0;
    // What was read of the entries until the piece's first fault, with their places within
    // the piece.
    QList<ExportedClipboardItem> entries;
    QList<qint64> places;
    QList<EntryKey> keys;
    std::optional<Failure> failure;
};

class Pieces;

enum class Reading {
    Records, // the entries as records
    Keys, // only what an import's plan weighs of each entry
};

// Builds the records while the parser walks the file, and notes what the header probe needs
// and the first fault in declaration order. Duplicate keys: the first occurrence counts, for
// the probe and the records alike.
//
// The same decoder reads a piece of the entries' list on its own, as if it stood in the list.
class Decoder final
{
public:
    // The parser's handler interface.
    bool Null() { return value(Token {}); }
    bool Bool(bool b) { return value(Token { Token::Bool, b }); }
    bool Int(int i) { return Int64(i); }
    bool Uint(unsigned u) { return Int64(u); }
    bool Int64(int64_t i) { return value(Token { Token::Integer, false, i }); }
    bool Uint64(uint64_t u)
    {
        if (u <= uint64_t(std::numeric_limits<qint64>::max()))
            return Int64(int64_t(u));
        return value(Token { Token::BigInteger });
    }
    bool Double(double d) { return value(Token { Token::Double, false, 0, d }); }
    bool RawNumber(const char *, rapidjson::SizeType, bool) { return false; }
    bool String(const char *text, rapidjson::SizeType length, bool)
    {
        return value(Token { Token::String, false, 0, 0, text, length });
    }
    bool StartObject() { return open() && value(Token { Token::Object }); }
    bool StartArray() { return open() && value(Token { Token::Array }); }
    bool Key(const char *text, rapidjson::SizeType length, bool);
    bool EndObject(rapidjson::SizeType) { return close(); }
    bool EndArray(rapidjson::SizeType) { return close(); }

    // Reads the whole document from `stream`, taking what `pieces` read in its place.
    Decoder(Reading reading, const BackupReader::KeySink *keys, ChunkStream &stream, Pieces *pieces)
        : m_reading(reading)
        , m_keySink(keys)
        , m_stream(&stream)
        , m_pieces(pieces)
    {
    }
    // Reads elements of the entries' list from `stream`, whose start is at `base` in the file,
    // into `piece`.
    Decoder(Reading reading, PieceResult &piece, const rapidjson::StringStream &stream, qint64 base)
        : m_reading(reading)
        , m_piece(&piece)
        , m_local(&stream)
        , m_base(base)
    {
        m_rootIsObject = true;
        m_depth = 2;
        const auto clipboard = int(topFields.size() - 1);
        m_stack.push_back(Frame { Shape::Top, clipboard, 1u << clipboard });
        push(Shape::EntryList);
    }

    BackupReader::Outcome outcome(bool parsed);
    // The list's elements a piece's decoder has read.
    qint64 elements() const { return m_stack.size() >= 2 ? m_stack[1].index + 1 : 0; }
    std::optional<Failure> takeFailure() { return std::move(m_failure); }

private:
    struct Frame
    {
        Shape shape;
        int field = -1;
        quint32 seen = 0;
        qint64 index = -1;
        int skipDepth = 0;
    };

    bool open()
    {
        if (++m_depth > BackupReader::maximumDepth) {
            m_tooDeep = true;
            return false;
        }
        return true;
    }
    bool close();
    bool value(const Token &token);
    void field(const FieldRule &rule, const Token &token);
    template <typename T> void store(T value);
    void push(Shape shape) { m_stack.push_back(Frame { shape }); }
    void mismatch(const Token &token)
    {
        fail(FailureKind::TypeMismatch);
        if (token.isContainer())
            m_stack.push_back(Frame { Shape::Skip, -1, 0, -1, 1 });
    }
    void fail(FailureKind kind, std::optional<int> missingField = std::nullopt);
    void keep(Failure failure);
    void startEntry();
    bool keepText(const FieldRule &rule, const Token &token);
    bool keepBytes(const Token &token);
    // Hands over the entry just read, at `index` among the document's entries.
    bool handOver(qint64 index);
    bool splice(PieceResult piece);
    qint64 offset() const;

    std::vector<Frame> m_stack;
    int m_depth = 0;
    bool m_tooDeep = false;
    bool m_rootIsObject = false;
    bool m_hasContents = false;
    std::optional<QString> m_probeApp;
    std::optional<qint64> m_probeVersion;
    std::optional<Failure> m_failure;

    const Reading m_reading;
    const BackupReader::KeySink *m_keySink = nullptr;
    ChunkStream *m_stream = nullptr;
    Pieces *m_pieces = nullptr;
    PieceResult *m_piece = nullptr;
    const rapidjson::StringStream *m_local = nullptr;
    qint64 m_base = 0;
    // Where the entry being read starts in the file.
    qint64 m_entryStart = 0;
    // The piece that stands for the entry being read, if any.
    std::optional<PieceResult> m_splice;

    VemraExport m_document;
    ExportedTodo m_todo;
    ExportedClipboardItem m_entry;
    ExportedClipboardItem::Metadata m_metadata;
    // What Reading::Keys keeps of the entry's content and image instead of them.
    QString m_contentHash;
    bool m_contentBlank = true;
    std::optional<QString> m_imageHash;
    bool m_imageEmpty = true;
};

// Reads `length` bytes at `base` in the file as elements of the entries' list, each but the
// last followed by a comma, the last by the end or by the list's end. False when they are not:
// then nothing of `piece` counts.
bool parseElements(const char *bytes, qint64 length, qint64 base, Reading reading, PieceResult &piece)
{
    // Checked here as a whole, the encoding need not be checked again string by string.
    if (!Utf8::isWellFormed(bytes, size_t(length)))
        return false;
    // Room after the end for the parser's wide reads, which never pass a 16-byte boundary.
    constexpr qsizetype padding = 16;
    std::vector<char> buffer(size_t(length + padding), '\0');
    std::memcpy(buffer.data(), bytes, size_t(length));
    constexpr unsigned flags = rapidjson::kParseIterativeFlag | rapidjson::kParseStopWhenDoneFlag;
    rapidjson::StringStream stream(buffer.data());
    Decoder decoder(reading, piece, stream, base);
    rapidjson::Reader reader;
    const auto at = [&] { return qint64(stream.Tell()); };
    const auto skipSpace = [&] {
        while (at() < length && std::strchr(" \n\r\t", stream.Peek()) && stream.Peek() != '\0')
            stream.Take();
    };
    while (true) {
        if (reader.Parse<flags>(stream, decoder).IsError() || at() > length)
            return false;
        const qint64 close = at() - 1;
        skipSpace();
        const char next = at() < length ? stream.Peek() : '\0';
        if (next == ',') {
            stream.Take();
            skipSpace();
            if (at() < length)
                continue;
        } else if (next != ']' && at() < length) {
            return false;
        }
        // Only an object's end can be jumped to as if it were that of the entry begun there.
        if (buffer[size_t(close)] != '}')
            return false;
        piece.usable = true;
        piece.lastClose = base + close;
        piece.count = decoder.elements();
        piece.failure = decoder.takeFailure();
        return true;
    }
}

// The entries' list split into pieces at the lines that start with '{', which the export
// writer starts each entry with: a raw line break never stands inside a JSON string, so each
// piece starts between two values. Each piece is read on the pool, a few ahead of the reading
// from the start, which takes a piece's entries when it reaches the piece's start inside the
// list and jumps to the piece's end. A place that turns out not to start an entry of the list
// is read from the start as usual: the pieces change how fast a file is read, never what is
// read from it.
class Pieces final
{
public:
    Pieces(const Source &source, Reading reading, const BackupReader::Splitting &splitting)
        : m_source(source)
        , m_reading(reading)
        , m_ahead(std::max(2, 2 * QThreadPool::globalInstance()->maxThreadCount()))
    {
        const qint64 size = source.size();
        const qint64 pieceBytes = std::max<qint64>(splitting.pieceBytes, 1);
        QByteArray window(qsizetype(std::max<qint64>(splitting.searchBytes, 2)), Qt::Uninitialized);
        for (qint64 at = pieceBytes; at < size; at += pieceBytes) {
            if (!m_starts.empty() && at <= m_starts.back())
                continue;
            const qint64 got = source.read(at - 1, window.data(), window.size());
            const qsizetype found
                = got > 1 ? QByteArrayView(window.constData(), got).indexOf(QByteArrayView("\n{")) : -1;
            if (found >= 0)
                m_starts.push_back(at - 1 + found + 1);
        }
        m_results.resize(m_starts.size());
        launch();
    }

    ~Pieces()
    {
        for (QFuture<PieceResult> &result : m_results)
            result.waitForFinished();
        for (QFuture<PieceResult> &result : m_released)
            result.waitForFinished();
    }
    Pieces(const Pieces &) = delete;
    Pieces &operator=(const Pieces &) = delete;

    // The piece that starts at `offset`, read; nothing when none starts there or it can't
    // stand for what is there. The pieces before `offset` are let go.
    std::optional<PieceResult> take(qint64 offset)
    {
        while (m_next < m_starts.size() && m_starts[m_next] < offset)
            release(m_next++);
        // More pieces may have been passed than were read ahead: those are never read.
        m_launched = std::max(m_launched, m_next);
        launch();
        if (m_next == m_starts.size() || m_starts[m_next] != offset)
            return std::nullopt;
        PieceResult piece = m_results[m_next].result();
        release(m_next++);
        launch();
        if (!piece.usable)
            return std::nullopt;
        return piece;
    }

private:
    void launch()
    {
        for (; m_launched < m_starts.size() && m_launched < m_next + m_ahead; ++m_launched) {
            const qint64 start = m_starts[m_launched];
            const qint64 end = m_launched + 1 < m_starts.size() ? m_starts[m_launched + 1] : m_source.size();
            m_results[m_launched] = QtConcurrent::run([this, start, end] { return read(start, end); });
        }
    }
    // Lets a piece's result go; one still being read is kept until it ends, since it reads
    // from the source.
    void release(size_t piece)
    {
        std::erase_if(m_released, [](const QFuture<PieceResult> &result) { return result.isFinished(); });
        if (!m_results[piece].isFinished())
            m_released.push_back(std::move(m_results[piece]));
        m_results[piece] = {};
    }

    PieceResult read(qint64 start, qint64 end) const;

    const Source &m_source;
    const Reading m_reading;
    const size_t m_ahead;
    std::vector<qint64> m_starts;
    std::vector<QFuture<PieceResult>> m_results;
    std::vector<QFuture<PieceResult>> m_released;
    size_t m_next = 0;
    size_t m_launched = 0;
};

PieceResult Pieces::read(qint64 start, qint64 end) const
{
    PieceResult piece;
    const qint64 length = end - start;
    std::vector<char> buffer(static_cast<size_t>(length));
    if (m_source.read(start, buffer.data(), length) != length
        || !parseElements(buffer.data(), length, start, m_reading, piece))
        return PieceResult();
    return piece;
}

qint64 Decoder::offset() const
{
    return m_stream ? m_stream->offset() : m_base + qint64(m_local->Tell());
}

bool Decoder::Key(const char *text, rapidjson::SizeType length, bool)
{
    Frame &frame = m_stack.back();
    if (frame.shape == Shape::Skip)
        return true;
    const std::string_view key(text, length);
    const std::span<const FieldRule> fields = fieldsOf(frame.shape);
    frame.field = -1;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (key != fields[i].name)
            continue;
        const quint32 bit = 1u << i;
        if (!(frame.seen & bit)) {
            frame.seen |= bit;
            frame.field = int(i);
        }
        break;
    }
    if (frame.shape == Shape::Top && (key == "todos" || key == "clipboard"))
        m_hasContents = true;
    return true;
}

void Decoder::startEntry()
{
    // The parser takes the '{' once its handler has returned.
    m_entryStart = offset();
    m_entry = ExportedClipboardItem {};
    m_contentHash.clear();
    m_contentBlank = true;
    m_imageHash.reset();
    m_imageEmpty = true;
}

bool Decoder::value(const Token &token)
{
    if (m_stack.empty()) {
        if (token.type != Token::Object)
            return false;
        m_rootIsObject = true;
        push(Shape::Top);
        return true;
    }
    Frame &frame = m_stack.back();
    switch (frame.shape) {
    case Shape::Skip:
        if (token.isContainer())
            ++frame.skipDepth;
        return true;
    case Shape::TodoList:
    case Shape::EntryList:
        ++frame.index;
        if (token.type == Token::Object) {
            const bool todos = frame.shape == Shape::TodoList;
            push(todos ? Shape::Todo : Shape::Entry);
            if (todos) {
                m_todo = ExportedTodo {};
            } else if (m_pieces) {
                // The parser takes the '{' once this returns: it takes the byte before the
                // piece's last '}' instead, which then ends this entry.
                m_splice = m_pieces->take(offset());
                if (m_splice)
                    m_stream->jump(m_splice->lastClose - 1);
                else
                    startEntry();
            } else {
                startEntry();
            }
        } else if (token.type == Token::Null) {
            fail(FailureKind::ValueNotFound);
        } else {
            mismatch(token);
        }
        return true;
    default:
        break;
    }
    if (frame.field < 0) {
        if (token.isContainer())
            m_stack.push_back(Frame { Shape::Skip, -1, 0, -1, 1 });
        return true;
    }
    field(fieldsOf(frame.shape)[size_t(frame.field)], token);
    return true;
}

bool Decoder::keepText(const FieldRule &rule, const Token &token)
{
    if (m_reading != Reading::Keys || m_stack.back().shape != Shape::Entry || std::string_view(rule.name) != "content")
        return false;
    m_contentHash = textHash(token.text, token.length);
    m_contentBlank = isBlank(token.text, token.length);
    return true;
}

bool Decoder::keepBytes(const Token &token)
{
    if (m_reading != Reading::Keys)
        return false;
    if (std::optional<QByteArray> data = bytes(token)) {
        m_imageEmpty = data->isEmpty();
        m_imageHash = QString::fromLatin1(QCryptographicHash::hash(*data, QCryptographicHash::Sha256).toHex());
    } else {
        fail(FailureKind::DataCorrupted);
    }
    return true;
}

void Decoder::field(const FieldRule &rule, const Token &token)
{
    if (token.type == Token::Null) {
        if (rule.required)
            fail(FailureKind::ValueNotFound);
        return;
    }
    switch (rule.type) {
    case ValueType::String:
        if (token.type != Token::String)
            return mismatch(token);
        if (keepText(rule, token))
            return;
        return store(QString::fromUtf8(token.text, qsizetype(shortened(rule, token))));
    case ValueType::Integer:
        if (token.type == Token::Integer)
            return store(bounded(rule, token.integer));
        if (token.type == Token::Double) {
            // An integral number written with a fraction or an exponent still counts.
            constexpr double limit = 9223372036854775808.0;
            if (std::trunc(token.real) == token.real && token.real >= -limit && token.real < limit)
                return store(bounded(rule, qint64(token.real)));
            return fail(FailureKind::DataCorrupted);
        }
        if (token.type == Token::BigInteger)
            return fail(FailureKind::DataCorrupted);
        return mismatch(token);
    case ValueType::Boolean:
        if (token.type != Token::Bool)
            return mismatch(token);
        return store(token.boolean);
    case ValueType::Date:
        if (token.type != Token::String)
            return mismatch(token);
        if (auto date = ExportDates::parse(std::string_view(token.text, token.length)))
            return store(*date);
        return fail(FailureKind::DataCorrupted);
    case ValueType::Uuid:
        if (token.type != Token::String)
            return mismatch(token);
        if (auto id = uuid(token))
            return store(*id);
        return fail(FailureKind::DataCorrupted);
    case ValueType::Bytes:
        if (token.type != Token::String)
            return mismatch(token);
        if (keepBytes(token))
            return;
        if (auto data = bytes(token))
            return store(std::move(*data));
        return fail(FailureKind::DataCorrupted);
    case ValueType::Metadata:
        if (token.type != Token::Object)
            return mismatch(token);
        m_metadata = {};
        return push(Shape::Metadata);
    case ValueType::TodoList:
    case ValueType::EntryList:
        if (token.type != Token::Array)
            return mismatch(token);
        return push(rule.type == ValueType::TodoList ? Shape::TodoList : Shape::EntryList);
    }
}

template <typename T> void Decoder::store(T value)
{
    const Frame &frame = m_stack.back();
    const int field = frame.field;
    if constexpr (std::is_same_v<T, QString>) {
        switch (frame.shape) {
        case Shape::Top:
            m_probeApp = value;
            m_document.app = std::move(value);
            return;
        case Shape::Todo:
            (field == 1 ? m_todo.title : m_todo.day.emplace()) = std::move(value);
            return;
        case Shape::Entry:
            (field == 1 ? m_entry.type : field == 2 ? m_entry.content : m_entry.mimeType.emplace()) = std::move(value);
            return;
        case Shape::Metadata:
            (field == 0 ? m_metadata.sourceApp : m_metadata.sourceBundleID) = std::move(value);
            return;
        default:
            return;
        }
    } else if constexpr (std::is_same_v<T, qint64>) {
        switch (frame.shape) {
        case Shape::Top:
            m_probeVersion = value;
            m_document.version = value;
            return;
        case Shape::Todo:
            m_todo.sortOrder = value;
            return;
        case Shape::Entry:
            m_entry.copyCount = value;
            return;
        case Shape::Metadata:
            (field == 2 ? m_metadata.pixelWidth : field == 3 ? m_metadata.pixelHeight : m_metadata.byteCount) = value;
            return;
        default:
            return;
        }
    } else if constexpr (std::is_same_v<T, bool>) {
        m_todo.isCompleted = value;
    } else if constexpr (std::is_same_v<T, QDateTime>) {
        switch (frame.shape) {
        case Shape::Top:
            m_document.exportedAt = value;
            return;
        case Shape::Todo:
            (field == 3          ? m_todo.createdAt
                    : field == 4 ? m_todo.updatedAt.emplace()
                                 : m_todo.completedAt.emplace())
                = value;
            return;
        case Shape::Entry:
            (field == 3 ? m_entry.createdAt : m_entry.lastCopiedAt.emplace()) = value;
            return;
        default:
            return;
        }
    } else if constexpr (std::is_same_v<T, QUuid>) {
        (frame.shape == Shape::Todo ? m_todo.id : m_entry.id) = value;
    } else if constexpr (std::is_same_v<T, QByteArray>) {
        m_entry.imageData = std::move(value);
    }
}

bool Decoder::close()
{
    --m_depth;
    Frame &frame = m_stack.back();
    if (frame.shape == Shape::Skip) {
        if (--frame.skipDepth == 0)
            m_stack.pop_back();
        return true;
    }
    if (m_splice && frame.shape == Shape::Entry) {
        m_stack.pop_back();
        PieceResult piece = std::move(*m_splice);
        m_splice.reset();
        return splice(std::move(piece));
    }
    const std::span<const FieldRule> fields = fieldsOf(frame.shape);
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].required && !(frame.seen & (1u << i))) {
            fail(FailureKind::KeyNotFound, int(i));
            break;
        }
    }
    const Shape shape = frame.shape;
    m_stack.pop_back();
    if (m_failure)
        return true;
    switch (shape) {
    case Shape::Todo:
        m_document.todos.append(std::move(m_todo));
        break;
    case Shape::Entry:
        return handOver(m_stack.back().index);
    case Shape::Metadata:
        m_entry.metadata = std::move(m_metadata);
        break;
    default:
        break;
    }
    return true;
}

bool Decoder::handOver(qint64 index)
{
    if (m_reading == Reading::Keys) {
        const std::optional<ClipboardKind> kind = ClipboardKinds::fromStoredValue(m_entry.type);
        const bool image = kind == ClipboardKind::Image;
        // The parser takes the '}' once its handler has returned.
        const EntryPlace place { index, m_entryStart, offset() + 1 - m_entryStart };
        EntryKey key { place, kind && (image ? !m_imageEmpty : !m_contentBlank), m_entry.id,
            image && m_imageHash ? *m_imageHash : m_contentHash };
        if (m_piece) {
            m_piece->keys.append(std::move(key));
            return true;
        }
        return !m_keySink || (*m_keySink)(std::move(key));
    }
    if (m_piece) {
        m_piece->entries.append(std::move(m_entry));
        m_piece->places.append(index);
        return true;
    }
    m_document.clipboard.append(std::move(m_entry));
    return true;
}

bool Decoder::splice(PieceResult piece)
{
    // The list's index already counts the piece's first element.
    Frame &list = m_stack.back();
    const qint64 first = list.index;
    list.index = first + piece.count - 1;
    for (qsizetype i = 0; i < std::max(piece.entries.size(), piece.keys.size()) && !m_failure; ++i) {
        if (m_reading == Reading::Keys) {
            EntryKey &key = piece.keys[i];
            key.place.index += first;
            if (m_keySink && !(*m_keySink)(std::move(key)))
                return false;
            continue;
        }
        m_entry = std::move(piece.entries[i]);
        if (!handOver(first + piece.places[i]))
            return false;
    }
    if (piece.failure) {
        piece.failure->order[1] += first;
        keep(std::move(*piece.failure));
    }
    return true;
}

void Decoder::fail(FailureKind kind, std::optional<int> missingField)
{
    Failure failure { kind, {}, {} };
    for (size_t i = 0; i < m_stack.size(); ++i) {
        const Frame &frame = m_stack[i];
        if (frame.shape == Shape::TodoList || frame.shape == Shape::EntryList) {
            failure.order.push_back(frame.index);
            failure.names.push_back(nullptr);
            continue;
        }
        const int field = i + 1 == m_stack.size() && missingField ? *missingField : frame.field;
        failure.order.push_back(field);
        failure.names.push_back(fieldsOf(frame.shape)[size_t(field)].name);
    }
    keep(std::move(failure));
}

void Decoder::keep(Failure failure)
{
    if (!m_failure || failure.order < m_failure->order) {
        m_failure = std::move(failure);
        // Nothing of a damaged file is returned: let its records go now.
        m_document.todos.clear();
        m_document.clipboard.clear();
    }
}

BackupReader::Outcome Decoder::outcome(bool parsed)
{
    if (!parsed || m_tooDeep || !m_rootIsObject)
        return BackupError::notAnExport();
    if ((m_probeApp && *m_probeApp != QLatin1StringView("Vemra")) || !m_probeVersion || !m_hasContents)
        return BackupError::notAnExport();
    if (*m_probeVersion > VemraExport::formatVersion)
        return BackupError::newerVersion(*m_probeVersion);
    if (*m_probeVersion < VemraExport::formatVersion)
        return BackupError::notAnExport();
    if (m_failure)
        return BackupError::damaged(describe(*m_failure));
    if (!m_document.exportedAt.isValid())
        m_document.exportedAt = VemraExport::distantPast();
    return std::move(m_document);
}

BackupReader::Outcome parse(const Source &source, Reading reading, const BackupReader::KeySink *keys,
    const BackupReader::Splitting &splitting, bool *failed = nullptr)
{
    // Not the parser's full-precision numbers: they pass 0 to a leading-zero count for a zero
    // with a large exponent (0E89), which the fuzzer found. Integers are exact either way.
    constexpr unsigned flags = rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag;
    ChunkStream stream(source);
    Pieces pieces(source, reading, splitting);
    auto decoder = std::make_unique<Decoder>(reading, keys, stream, &pieces);
    rapidjson::Reader reader;
    const bool parsed = !reader.Parse<flags>(stream, *decoder).IsError() && stream.atEnd();
    if (failed)
        *failed = stream.failed();
    return decoder->outcome(parsed);
}

BackupReader::Outcome readFile(const QString &filePath, Reading reading, const BackupReader::KeySink *keys,
    BackupReader::FileStamp *stamp, const BackupReader::Splitting &splitting)
{
    RegularFile::Opened opened = RegularFile::openForReading(filePath);
    if (!opened.file)
        return BackupError::unreadable(opened.error);
    QFile &file = *opened.file;
    if (stamp)
        *stamp = BackupReader::FileStamp { file.size(), file.fileTime(QFileDevice::FileModificationTime) };
    if (file.size() > BackupReader::maximumFileSize)
        return BackupError::tooLarge();
    const Source source(file);
    bool failed = false;
    BackupReader::Outcome outcome = parse(source, reading, keys, splitting, &failed);
    if (failed)
        return BackupError::unreadable(source.errorString());
    return outcome;
}

} // namespace

namespace BackupReader {

Outcome read(const QString &filePath, const Splitting &splitting)
{
    return readFile(filePath, Reading::Records, nullptr, nullptr, splitting);
}

Outcome readKeys(const QString &filePath, const KeySink &sink, FileStamp *stamp, const Splitting &splitting)
{
    return readFile(filePath, Reading::Keys, &sink, stamp, splitting);
}

Outcome read(const QByteArray &bytes, const Splitting &splitting)
{
    if (bytes.size() > maximumFileSize)
        return BackupError::tooLarge();
    return parse(Source(bytes), Reading::Records, nullptr, splitting);
}

Outcome readKeys(const QByteArray &bytes, const KeySink &sink, const Splitting &splitting)
{
    if (bytes.size() > maximumFileSize)
        return BackupError::tooLarge();
    return parse(Source(bytes), Reading::Keys, &sink, splitting);
}

std::optional<ExportedClipboardItem> readEntry(QByteArrayView bytes)
{
    PieceResult piece;
    if (!parseElements(bytes.constData(), bytes.size(), 0, Reading::Records, piece) || piece.count != 1 || piece.failure
        || piece.entries.size() != 1)
        return std::nullopt;
    return std::move(piece.entries.first());
}

} // namespace BackupReader
