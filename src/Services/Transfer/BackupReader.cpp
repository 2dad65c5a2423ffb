#include "Services/Transfer/BackupReader.h"

#include "Models/Transfer/ExportDates.h"
#include "Platform/Logging.h"
#include "Platform/RegularFile.h"

#include <QFile>
#include <QUuid>

#include <rapidjson/reader.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <span>
#include <vector>

namespace {

// The parser's input: a file read in chunks, or bytes in memory. Like the parser's own file
// stream, it shows a '\0' once the input is used up; the caller checks that every byte was
// taken, since a '\0' in the input would otherwise pass for its end.
class ChunkStream final
{
public:
    using Ch = char;

    explicit ChunkStream(QIODevice &device)
        : m_device(&device)
        , m_storage(chunkSize + 1)
    {
        m_chunkStart = m_current = m_last = m_storage.data();
        refill();
        skipByteOrderMark();
    }

    explicit ChunkStream(const QByteArray &bytes)
    {
        // QByteArray keeps a '\0' after its last byte.
        m_chunkStart = m_current = const_cast<char *>(bytes.constData()); // NOLINT: never written through
        m_last = m_current + bytes.size();
        m_eof = true;
        skipByteOrderMark();
    }

    Ch Peek() const { return *m_current; }
    Ch Take()
    {
        const Ch c = *m_current;
        advance();
        return c;
    }
    size_t Tell() const { return size_t(m_consumed + (m_current - m_chunkStart)); }

    // Never called: the parser writes only when it parses in place.
    Ch *PutBegin() { return nullptr; }
    void Put(Ch) { }
    void Flush() { }
    size_t PutEnd(Ch *) { return 0; }

    // True once every byte of the input was taken.
    bool atEnd() const { return m_eof && m_current == m_last; }
    // True when the device reported an error before its end.
    bool failed() const { return m_failed; }

private:
    static constexpr qint64 chunkSize = qint64(1) << 20;

    void advance()
    {
        if (m_current < m_last)
            ++m_current;
        if (m_current == m_last && !m_eof)
            refill();
    }

    void refill()
    {
        m_consumed += m_last - m_chunkStart;
        char *buffer = m_storage.data();
        const qint64 read = m_device->read(buffer, chunkSize);
        const qint64 got = std::max<qint64>(read, 0);
        buffer[got] = '\0';
        m_chunkStart = m_current = buffer;
        m_last = buffer + got;
        if (got == 0)
            m_eof = true;
        if (read < 0) {
            qCWarning(lcTransfer) << "An export file could not be read to its end:" << m_device->errorString();
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

    QIODevice *m_device = nullptr;
    std::vector<char> m_storage;
    char *m_chunkStart = nullptr;
    char *m_current = nullptr;
    char *m_last = nullptr;
    qint64 m_consumed = 0;
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
    QString path;
};

QString describe(const Failure &failure)
{
    const QString path = failure.path.isEmpty() ? QStringLiteral("The file") : failure.path;
    switch (failure.kind) {
    case FailureKind::TypeMismatch:
        return path + QStringLiteral(" has the wrong kind of value.");
    case FailureKind::ValueNotFound:
        return path + QStringLiteral(" is empty.");
    case FailureKind::KeyNotFound:
        return path + QStringLiteral(" is missing.");
    case FailureKind::DataCorrupted:
        return failure.path.isEmpty() ? QStringLiteral("it isn’t valid JSON.")
                                      : path + QStringLiteral(" can’t be read.");
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

// Builds the records while the parser walks the file, and notes what the header probe needs
// and the first fault in declaration order. Duplicate keys: the first occurrence counts, for
// the probe and the records alike.
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

    explicit Decoder(const BackupReader::EntrySink &sink)
        : m_sink(sink)
    {
    }

    BackupReader::Outcome outcome(bool parsed);

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

    std::vector<Frame> m_stack;
    int m_depth = 0;
    bool m_tooDeep = false;
    bool m_rootIsObject = false;
    bool m_hasContents = false;
    std::optional<QString> m_probeApp;
    std::optional<qint64> m_probeVersion;
    std::optional<Failure> m_failure;

    const BackupReader::EntrySink &m_sink;
    VemraExport m_document;
    ExportedTodo m_todo;
    ExportedClipboardItem m_entry;
    ExportedClipboardItem::Metadata m_metadata;
};

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
            if (todos)
                m_todo = ExportedTodo {};
            else
                m_entry = ExportedClipboardItem {};
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
        if (!m_sink)
            m_document.clipboard.append(std::move(m_entry));
        else if (!m_sink(std::move(m_entry), m_stack.back().index))
            return false;
        break;
    case Shape::Metadata:
        m_entry.metadata = std::move(m_metadata);
        break;
    default:
        break;
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
            failure.path += u'[' + QString::number(frame.index) + u']';
            continue;
        }
        const int field = i + 1 == m_stack.size() && missingField ? *missingField : frame.field;
        failure.order.push_back(field);
        if (!failure.path.isEmpty())
            failure.path += u'.';
        failure.path += QLatin1StringView(fieldsOf(frame.shape)[size_t(field)].name);
    }
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

BackupReader::Outcome parse(ChunkStream &stream, const BackupReader::EntrySink &sink = {})
{
    // Not the parser's full-precision numbers: they pass 0 to a leading-zero count for a zero
    // with a large exponent (0E89), which the fuzzer found. Integers are exact either way.
    constexpr unsigned flags = rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag;
    auto decoder = std::make_unique<Decoder>(sink);
    rapidjson::Reader reader;
    const bool parsed = !reader.Parse<flags>(stream, *decoder).IsError() && stream.atEnd();
    return decoder->outcome(parsed);
}

} // namespace

namespace BackupReader {

Outcome read(const QString &filePath, const EntrySink &sink, FileStamp *stamp)
{
    RegularFile::Opened opened = RegularFile::openForReading(filePath);
    if (!opened.file)
        return BackupError::unreadable(opened.error);
    QFile &file = *opened.file;
    if (stamp)
        *stamp = FileStamp { file.size(), file.fileTime(QFileDevice::FileModificationTime) };
    if (file.size() > maximumFileSize)
        return BackupError::tooLarge();
    ChunkStream stream(file);
    Outcome outcome = parse(stream, sink);
    if (stream.failed())
        return BackupError::unreadable(file.errorString());
    return outcome;
}

Outcome read(const QByteArray &bytes)
{
    if (bytes.size() > maximumFileSize)
        return BackupError::tooLarge();
    ChunkStream stream(bytes);
    return parse(stream);
}

} // namespace BackupReader
