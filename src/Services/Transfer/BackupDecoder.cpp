#include "Services/Transfer/BackupDecoder.h"

#include "Models/Clipboard/ClipboardKind.h"
#include "Models/Common/Utf8.h"
#include "Models/Transfer/ExportDates.h"
#include "Services/Transfer/BackupChunkStream.h"
#include "Services/Transfer/BackupSource.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <span>

using namespace BackupRules;

BackupDecoder::BackupDecoder(Reading reading, const BackupReader::KeySink *keys, BackupChunkStream &stream,
    const PieceTaker *pieces, const BackupReader::KnownId *known, const BackupReader::TodoSink *todos)
    : m_reading(reading)
    , m_keySink(keys)
    , m_known(known)
    , m_todoSink(todos)
    , m_stream(&stream)
    , m_pieces(pieces)
{
}

BackupDecoder::BackupDecoder(Reading reading, Piece &piece, const rapidjson::StringStream &stream, qint64 base,
    const BackupReader::KnownId *known)
    : m_reading(reading)
    , m_known(known)
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

BackupReader::Outcome BackupDecoder::read(const BackupSource &source, Reading reading,
    const BackupReader::KeySink *keys, const PieceTaker &pieces, bool *failed, const BackupReader::KnownId *known,
    const BackupReader::TodoSink *todos)
{
    // Not the parser's full-precision numbers: they pass 0 to a leading-zero count for a zero
    // with a large exponent (0E89), which the fuzzer found. Integers are exact either way.
    constexpr unsigned flags = rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag;
    BackupChunkStream stream(source);
    auto decoder = std::make_unique<BackupDecoder>(reading, keys, stream, pieces ? &pieces : nullptr, known, todos);
    rapidjson::Reader reader;
    const bool parsed = !reader.Parse<flags>(stream, *decoder).IsError() && stream.atEnd();
    if (failed)
        *failed = stream.failed();
    return decoder->outcome(parsed);
}

bool BackupDecoder::readElements(
    const char *bytes, qint64 length, qint64 base, Reading reading, Piece &piece, const BackupReader::KnownId *known)
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
    BackupDecoder decoder(reading, piece, stream, base, known);
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

std::optional<ExportedClipboardItem> BackupDecoder::readEntry(QByteArrayView bytes)
{
    Piece piece;
    if (!readElements(bytes.constData(), bytes.size(), 0, Reading::Records, piece) || piece.count != 1 || piece.failure
        || piece.entries.size() != 1)
        return std::nullopt;
    return std::move(piece.entries.first());
}

qint64 BackupDecoder::offset() const
{
    return m_stream ? m_stream->offset() : m_base + qint64(m_local->Tell());
}

bool BackupDecoder::Key(const char *text, rapidjson::SizeType length, bool)
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

void BackupDecoder::startEntry()
{
    // The parser takes the '{' once its handler has returned.
    m_entryStart = offset();
    m_entry = ExportedClipboardItem {};
    m_content.clear();
    m_contentBlank = true;
    m_image.reset();
    m_imageSize.reset();
}

bool BackupDecoder::value(const Token &token)
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
                m_splice = (*m_pieces)(offset());
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

bool BackupDecoder::keepText(const FieldRule &rule, const Token &token)
{
    if (m_reading != Reading::Keys || m_stack.back().shape != Shape::Entry || std::string_view(rule.name) != "content")
        return false;
    m_content.resize(qsizetype(token.length));
    std::memcpy(m_content.data(), token.text, token.length);
    m_contentBlank = isBlank(token.text, token.length);
    return true;
}

bool BackupDecoder::keepBytes(const Token &token)
{
    if (m_reading != Reading::Keys)
        return false;
    // The picture of an entry whose id the history holds, given before it, is never hashed:
    // it is only checked.
    constexpr quint32 idField = 1u << 0;
    if ((m_stack.back().seen & idField) && m_known && *m_known && (*m_known)(m_entry.id)) {
        m_imageSize = bytesSize(token);
    } else if (std::optional<QByteArray> data = bytes(token)) {
        m_imageSize = data->size();
        m_image = std::move(data);
    }
    if (!m_imageSize)
        fail(FailureKind::DataCorrupted);
    return true;
}

void BackupDecoder::field(const FieldRule &rule, const Token &token)
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

template <typename T> void BackupDecoder::store(T value)
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

bool BackupDecoder::close()
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
        Piece piece = std::move(*m_splice);
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
    case Shape::TodoList:
        if (m_todoSink && *m_todoSink)
            (*m_todoSink)(m_document.todos);
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

bool BackupDecoder::handOver(qint64 index)
{
    if (m_reading == Reading::Keys) {
        const std::optional<ClipboardKind> kind = ClipboardKinds::fromStoredValue(m_entry.type);
        const bool image = kind == ClipboardKind::Image;
        // The parser takes the '}' once its handler has returned.
        const EntryPlace place { index, m_entryStart, offset() + 1 - m_entryStart };
        EntryKey key { place, kind && (image ? m_imageSize.value_or(0) > 0 : !m_contentBlank), m_entry.id, {} };
        // An entry the history holds by its id is skipped whatever its content.
        if (key.valid && !(m_known && *m_known && (*m_known)(key.id))) {
            key.hash = image && m_image ? ContentDigest::of(*m_image)
                                        : textHash(m_content.constData(), size_t(m_content.size()));
        }
        if (m_piece) {
            m_piece->keys.append(key);
            return true;
        }
        return !m_keySink || (*m_keySink)(key);
    }
    if (m_piece) {
        m_piece->entries.append(std::move(m_entry));
        m_piece->places.append(index);
        return true;
    }
    m_document.clipboard.append(std::move(m_entry));
    return true;
}

bool BackupDecoder::splice(Piece piece)
{
    // The list's index already counts the piece's first element.
    Frame &list = m_stack.back();
    const qint64 first = list.index;
    list.index = first + piece.count - 1;
    for (qsizetype i = 0; i < std::max(piece.entries.size(), piece.keys.size()) && !m_failure; ++i) {
        if (m_reading == Reading::Keys) {
            EntryKey &key = piece.keys[i];
            key.place.index += first;
            if (m_keySink && !(*m_keySink)(key))
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

void BackupDecoder::fail(FailureKind kind, std::optional<int> missingField)
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

void BackupDecoder::keep(Failure failure)
{
    if (!m_failure || failure.order < m_failure->order) {
        m_failure = std::move(failure);
        // Nothing of a damaged file is returned: let its records go now.
        m_document.todos.clear();
        m_document.clipboard.clear();
    }
}

BackupReader::Outcome BackupDecoder::outcome(bool parsed)
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
