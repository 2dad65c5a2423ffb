#pragma once

#include "Models/Transfer/ContentDigest.h"

#include <QByteArray>
#include <QString>
#include <QUuid>

#include <array>
#include <optional>
#include <span>
#include <vector>

// What the export reader holds a document to: the records' fields and the kind of value each
// takes, how a fault is placed and told, and how a value read is checked and kept.
namespace BackupRules {

// Short fields (application names and identifiers, MIME types, kinds, days) are cut to this
// many bytes, at a character's edge.
inline constexpr qsizetype maximumShortField = 256;
// Copy counts and sort orders are bounded to ±this: far beyond any real count, and far enough
// from the integers' end that counting on never overflows.
inline constexpr qint64 maximumCount = qint64(1) << 53;

enum class ValueType { String, Integer, Boolean, Date, Uuid, Bytes, Metadata, TodoList, EntryList };

struct FieldRule
{
    const char *name;
    ValueType type;
    bool required;
};

// The records' fields in declaration order: the order in which a damaged file's first fault
// is looked for.
inline constexpr std::array<FieldRule, 5> topFields { {
    { "app", ValueType::String, false },
    { "version", ValueType::Integer, true },
    { "exportedAt", ValueType::Date, false },
    { "todos", ValueType::TodoList, false },
    { "clipboard", ValueType::EntryList, false },
} };
inline constexpr std::array<FieldRule, 8> todoFields { {
    { "id", ValueType::Uuid, true },
    { "title", ValueType::String, true },
    { "isCompleted", ValueType::Boolean, true },
    { "createdAt", ValueType::Date, true },
    { "updatedAt", ValueType::Date, false },
    { "completedAt", ValueType::Date, false },
    { "day", ValueType::String, false },
    { "sortOrder", ValueType::Integer, false },
} };
inline constexpr std::array<FieldRule, 9> entryFields { {
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
inline constexpr std::array<FieldRule, 5> metadataFields { {
    { "sourceApp", ValueType::String, false },
    { "sourceBundleID", ValueType::String, false },
    { "pixelWidth", ValueType::Integer, false },
    { "pixelHeight", ValueType::Integer, false },
    { "byteCount", ValueType::Integer, false },
} };

enum class Shape { Top, TodoList, EntryList, Todo, Entry, Metadata, Skip };

std::span<const FieldRule> fieldsOf(Shape shape);

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

QString describe(const Failure &failure);

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

std::optional<QUuid> uuid(const Token &token);

// Standard base64 with its padding, nothing else (no white space, no line breaks).
std::optional<QByteArray> bytes(const Token &token);
// The size of what bytes() would decode, without decoding it.
std::optional<qsizetype> bytesSize(const Token &token);

// The text's length in bytes, cut at a character's edge for a short field: the todo's title
// and the entry's content are kept whole.
size_t shortened(const FieldRule &rule, const Token &token);

// Counts and orders within ±maximumCount; the version and the sizes as written.
qint64 bounded(const FieldRule &rule, qint64 value);

// Whether a text is empty once white space is trimmed, as QString::trimmed() sees it; ASCII
// is looked at as it stands.
bool isBlank(const char *text, size_t length);

// The SHA-256 of the text as the store keeps it: of its UTF-8 as it
// stands, unless going through QString would change the bytes (a byte order mark at the
// start, a lone surrogate written as an escape).
ContentDigest textHash(const char *text, size_t length);

} // namespace BackupRules
