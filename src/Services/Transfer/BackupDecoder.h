#pragma once

#include "Models/Transfer/EntryKey.h"
#include "Models/Transfer/ExportedClipboardItem.h"
#include "Models/Transfer/VemraExport.h"
#include "Services/Transfer/BackupReading.h"
#include "Services/Transfer/BackupRules.h"

#include <QByteArrayView>
#include <QList>

#include <rapidjson/reader.h>

#include <functional>
#include <limits>
#include <optional>
#include <vector>

class BackupChunkStream;
class BackupSource;

// Builds the records while the parser walks the file, and notes what the header probe needs
// and the first fault in declaration order. Duplicate keys: the first occurrence counts, for
// the probe and the records alike. Reads on the calling thread alone.
//
// The same decoder reads a piece of the entries' list on its own, as if it stood in the list.
class BackupDecoder final
{
public:
    enum class Reading {
        Records, // the entries as records
        Keys, // only what an import's plan weighs of each entry
    };

    // What a piece of the entries' list, read on another thread, hands to the reading from the
    // start when that reaches it.
    struct Piece
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
        std::optional<BackupRules::Failure> failure;
    };

    // The piece read ahead that starts at `offset` in the file, if one does and can stand for
    // what is there.
    using PieceTaker = std::function<std::optional<Piece>(qint64 offset)>;

    // Reads the whole document from `source`, taking what `pieces` (when given) read in its
    // place. `failed`, when given, tells whether the source failed before its end.
    static BackupReader::Outcome read(const BackupSource &source, Reading reading, const BackupReader::KeySink *keys,
        const PieceTaker &pieces = {}, bool *failed = nullptr, const BackupReader::KnownId *known = nullptr,
        const BackupReader::TodoSink *todos = nullptr);
    // Reads `length` bytes at `base` in the file as elements of the entries' list, each but the
    // last followed by a comma, the last by the end or by the list's end. False when they are
    // not: then nothing of `piece` counts.
    static bool readElements(const char *bytes, qint64 length, qint64 base, Reading reading, Piece &piece,
        const BackupReader::KnownId *known = nullptr);
    // One whole entry as the elements' reading reads it; nothing when the bytes are not one.
    static std::optional<ExportedClipboardItem> readEntry(QByteArrayView bytes);

    // The parser's handler interface.
    bool Null() { return value(BackupRules::Token {}); }
    bool Bool(bool b) { return value(BackupRules::Token { BackupRules::Token::Bool, b }); }
    bool Int(int i) { return Int64(i); }
    bool Uint(unsigned u) { return Int64(u); }
    bool Int64(int64_t i) { return value(BackupRules::Token { BackupRules::Token::Integer, false, i }); }
    bool Uint64(uint64_t u)
    {
        if (u <= uint64_t(std::numeric_limits<qint64>::max()))
            return Int64(int64_t(u));
        return value(BackupRules::Token { BackupRules::Token::BigInteger });
    }
    bool Double(double d) { return value(BackupRules::Token { BackupRules::Token::Double, false, 0, d }); }
    bool RawNumber(const char *, rapidjson::SizeType, bool) { return false; }
    bool String(const char *text, rapidjson::SizeType length, bool)
    {
        return value(BackupRules::Token { BackupRules::Token::String, false, 0, 0, text, length });
    }
    bool StartObject() { return open() && value(BackupRules::Token { BackupRules::Token::Object }); }
    bool StartArray() { return open() && value(BackupRules::Token { BackupRules::Token::Array }); }
    bool Key(const char *text, rapidjson::SizeType length, bool);
    bool EndObject(rapidjson::SizeType) { return close(); }
    bool EndArray(rapidjson::SizeType) { return close(); }

    // Reads the whole document from `stream`, taking what `pieces` read in its place.
    BackupDecoder(Reading reading, const BackupReader::KeySink *keys, BackupChunkStream &stream,
        const PieceTaker *pieces, const BackupReader::KnownId *known = nullptr,
        const BackupReader::TodoSink *todos = nullptr);
    // Reads elements of the entries' list from `stream`, whose start is at `base` in the file,
    // into `piece`.
    BackupDecoder(Reading reading, Piece &piece, const rapidjson::StringStream &stream, qint64 base,
        const BackupReader::KnownId *known = nullptr);

    BackupReader::Outcome outcome(bool parsed);
    // The list's elements a piece's decoder has read.
    qint64 elements() const { return m_stack.size() >= 2 ? m_stack[1].index + 1 : 0; }
    std::optional<BackupRules::Failure> takeFailure() { return std::move(m_failure); }

private:
    struct Frame
    {
        BackupRules::Shape shape;
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
    bool value(const BackupRules::Token &token);
    void field(const BackupRules::FieldRule &rule, const BackupRules::Token &token);
    template <typename T> void store(T value);
    void push(BackupRules::Shape shape) { m_stack.push_back(Frame { shape }); }
    void mismatch(const BackupRules::Token &token)
    {
        fail(BackupRules::FailureKind::TypeMismatch);
        if (token.isContainer())
            m_stack.push_back(Frame { BackupRules::Shape::Skip, -1, 0, -1, 1 });
    }
    void fail(BackupRules::FailureKind kind, std::optional<int> missingField = std::nullopt);
    void keep(BackupRules::Failure failure);
    void startEntry();
    bool keepText(const BackupRules::FieldRule &rule, const BackupRules::Token &token);
    bool keepBytes(const BackupRules::Token &token);
    // Hands over the entry just read, at `index` among the document's entries.
    bool handOver(qint64 index);
    bool splice(Piece piece);
    qint64 offset() const;

    std::vector<Frame> m_stack;
    int m_depth = 0;
    bool m_tooDeep = false;
    bool m_rootIsObject = false;
    bool m_hasContents = false;
    std::optional<QString> m_probeApp;
    std::optional<qint64> m_probeVersion;
    std::optional<BackupRules::Failure> m_failure;

    const Reading m_reading;
    const BackupReader::KeySink *m_keySink = nullptr;
    const BackupReader::KnownId *m_known = nullptr;
    const BackupReader::TodoSink *m_todoSink = nullptr;
    BackupChunkStream *m_stream = nullptr;
    const PieceTaker *m_pieces = nullptr;
    Piece *m_piece = nullptr;
    const rapidjson::StringStream *m_local = nullptr;
    qint64 m_base = 0;
    // Where the entry being read starts in the file.
    qint64 m_entryStart = 0;
    // The piece that stands for the entry being read, if any.
    std::optional<Piece> m_splice;

    VemraExport m_document;
    ExportedTodo m_todo;
    ExportedClipboardItem m_entry;
    ExportedClipboardItem::Metadata m_metadata;
    // What Reading::Keys keeps of the entry's content and image instead of them, hashed once
    // the entry's id is known too (it follows the content in the file).
    QByteArray m_content;
    bool m_contentBlank = true;
    std::optional<QByteArray> m_image;
    std::optional<qsizetype> m_imageSize;
};
