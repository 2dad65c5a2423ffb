#include "Services/Transfer/BackupRules.h"

#include "Models/Common/Utf8.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace BackupRules {

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

std::optional<qsizetype> bytesSize(const Token &token)
{
    const size_t length = token.length;
    if (length % 4 != 0)
        return std::nullopt;
    size_t padding = 0;
    for (size_t i = 0; i < length; ++i) {
        const char c = token.text[i];
        const bool letter
            = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
        const bool pad = c == '=' && (i == length - 1 || (i == length - 2 && token.text[length - 1] == '='));
        if (!letter && !pad)
            return std::nullopt;
        padding += pad ? 1 : 0;
    }
    return qsizetype(length / 4 * 3 - padding);
}

std::optional<QByteArray> bytes(const Token &token)
{
    const size_t length = token.length;
    if (!bytesSize(token))
        return std::nullopt;
    auto decoded = QByteArray::fromBase64Encoding(
        QByteArray::fromRawData(token.text, qsizetype(length)), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return std::move(decoded.decoded);
}

size_t shortened(const FieldRule &rule, const Token &token)
{
    const std::string_view name(rule.name);
    if (name == "title" || name == "content" || token.length <= size_t(maximumShortField))
        return token.length;
    size_t length = size_t(maximumShortField);
    while (length > 0 && (static_cast<unsigned char>(token.text[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

qint64 bounded(const FieldRule &rule, qint64 value)
{
    const std::string_view name(rule.name);
    if (name != "copyCount" && name != "sortOrder")
        return value;
    return std::clamp(value, -maximumCount, maximumCount);
}

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

ContentDigest textHash(const char *text, size_t length)
{
    const bool asIs = Utf8::isWellFormed(text, length) && !(length >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0);
    const QByteArray bytes
        = asIs ? QByteArray::fromRawData(text, qsizetype(length)) : QString::fromUtf8(text, qsizetype(length)).toUtf8();
    return ContentDigest::of(bytes);
}

} // namespace BackupRules
