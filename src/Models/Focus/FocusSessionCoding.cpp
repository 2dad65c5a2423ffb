#include "Models/Focus/FocusSessionCoding.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <cmath>
#include <cstdlib>

namespace {

// Seconds from the Unix epoch to 1 January 2001 00:00:00 UTC, the stored times' reference.
constexpr qint64 referenceMs = 978'307'200'000;
// Stored times beyond about 3,000 years either side of the reference are damage.
constexpr double timeBound = 1e11;
constexpr double minimumDuration = 60;
constexpr double maximumDuration = 86'400;
constexpr qint64 endToleranceMs = 1;

const QString pendingKey = QStringLiteral("pending");
const QString noneKey = QStringLiteral("none");
const QString turnedOnKey = QStringLiteral("turnedOn");
const QString alreadyOnKey = QStringLiteral("alreadyOn");
const QString failedKey = QStringLiteral("failed");
const QString focusKey = QStringLiteral("focus");
const QString turningOnKey = QStringLiteral("turningOn");
const QString notificationIdKey = QStringLiteral("notificationId");

Error failure(const QString &message)
{
    return Error { message, {} };
}

double storedTime(const QDateTime &time)
{
    return double(time.toMSecsSinceEpoch() - referenceMs) / 1000.0;
}

// Stored seconds as the whole milliseconds they are kept as.
qint64 storedMs(double seconds)
{
    return std::llround(seconds * 1000.0);
}

QDateTime timeFromStored(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(storedMs(seconds) + referenceMs, Qt::UTC);
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Exactly 36 characters, groups of 8, 4, 4, 4 and 12 hexadecimal digits joined by "-", in
// either case. QUuid alone would also take braces and other forms.
std::optional<QUuid> strictUuid(const QString &text)
{
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != u'-' : !isHexDigit(text[i]))
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

std::optional<double> finiteNumber(const QJsonValue &value)
{
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return std::nullopt;
    return value.toDouble();
}

Result<FocusSilencing> decodeSilencing(const QJsonValue &value)
{
    if (!value.isObject())
        return failure(QStringLiteral("The silencing is not an object."));
    const QJsonObject object = value.toObject();
    const std::array<QString, 5> cases { pendingKey, noneKey, turnedOnKey, alreadyOnKey, failedKey };
    QString found;
    int count = 0;
    for (const QString &name : cases) {
        if (object.contains(name)) {
            found = name;
            ++count;
        }
    }
    if (count != 1)
        return failure(QStringLiteral("Invalid number of keys found, expected one."));
    const QJsonValue payload = object.value(found);
    if (!payload.isObject())
        return failure(QStringLiteral("The silencing case is not an object."));
    if (found == turnedOnKey || found == alreadyOnKey) {
        const QJsonValue focus = payload.toObject().value(focusKey);
        if (!focus.isString())
            return failure(QStringLiteral("The silencing has no mode name."));
        return found == turnedOnKey ? FocusSilencing::turnedOn(focus.toString())
                                    : FocusSilencing::alreadyOn(focus.toString());
    }
    if (found == pendingKey)
        return payload.toObject().value(turningOnKey).toBool() ? FocusSilencing::turningOn()
                                                               : FocusSilencing::pending();
    if (found == noneKey)
        return FocusSilencing::none();
    return FocusSilencing::failed();
}

QJsonObject encodeSilencing(const FocusSilencing &silencing)
{
    QJsonObject payload;
    QString key;
    switch (silencing.kind()) {
    case FocusSilencing::Kind::Pending:
        key = pendingKey;
        if (silencing.isTurningOn())
            payload.insert(turningOnKey, true);
        break;
    case FocusSilencing::Kind::None:
        key = noneKey;
        break;
    case FocusSilencing::Kind::TurnedOn:
        key = turnedOnKey;
        payload.insert(focusKey, silencing.focus());
        break;
    case FocusSilencing::Kind::AlreadyOn:
        key = alreadyOnKey;
        payload.insert(focusKey, silencing.focus());
        break;
    case FocusSilencing::Kind::Failed:
        key = failedKey;
        break;
    }
    return QJsonObject { { key, payload } };
}

} // namespace

namespace FocusSessionCoding {

std::optional<QByteArray> encode(const FocusSession &session)
{
    if (!session.startedAt.isValid() || !session.endsAt.isValid() || !std::isfinite(session.duration)
        || (session.endedAt && !session.endedAt->isValid()))
        return std::nullopt;
    QJsonObject object {
        { QStringLiteral("id"), session.id.toString(QUuid::WithoutBraces).toUpper() },
        { QStringLiteral("startedAt"), storedTime(session.startedAt) },
        { QStringLiteral("endsAt"), storedTime(session.endsAt) },
        { QStringLiteral("duration"), session.duration },
        { QStringLiteral("isActive"), session.isActive },
        { QStringLiteral("silencing"), encodeSilencing(session.silencing) },
    };
    if (session.endedAt)
        object.insert(QStringLiteral("endedAt"), storedTime(*session.endedAt));
    if (session.notificationId != 0)
        object.insert(notificationIdKey, qint64(session.notificationId));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

Result<FocusSession> decode(const QByteArray &bytes)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return failure(QStringLiteral("The stored focus session is not a JSON object."));
    const QJsonObject object = document.object();

    const QJsonValue id = object.value(QStringLiteral("id"));
    const std::optional<QUuid> uuid = id.isString() ? strictUuid(id.toString()) : std::nullopt;
    if (!uuid)
        return failure(QStringLiteral("The session's id is not a UUID."));

    const std::optional<double> startedAt = finiteNumber(object.value(QStringLiteral("startedAt")));
    const std::optional<double> endsAt = finiteNumber(object.value(QStringLiteral("endsAt")));
    const std::optional<double> duration = finiteNumber(object.value(QStringLiteral("duration")));
    if (!startedAt || !endsAt || !duration)
        return failure(QStringLiteral("A time or the length of the session is missing or not a number."));

    const QJsonValue isActive = object.value(QStringLiteral("isActive"));
    if (!isActive.isBool())
        return failure(QStringLiteral("The session's active flag is not a Boolean."));

    Result<FocusSilencing> silencing = decodeSilencing(object.value(QStringLiteral("silencing")));
    if (!silencing)
        return silencing.error();

    std::optional<double> endedAt;
    const QJsonValue endedValue = object.value(QStringLiteral("endedAt"));
    if (!endedValue.isUndefined() && !endedValue.isNull()) {
        endedAt = finiteNumber(endedValue);
        if (!endedAt)
            return failure(QStringLiteral("The session's end is not a number."));
    }

    // Checks of what a running system writes, each before any number becomes an integer.
    if (std::fabs(*startedAt) > timeBound || std::fabs(*endsAt) > timeBound
        || (endedAt && std::fabs(*endedAt) > timeBound))
        return failure(QStringLiteral("A time of the session is out of range."));
    if (*duration < minimumDuration || *duration > maximumDuration)
        return failure(QStringLiteral("The session's length is out of range."));
    // Compared as kept, in whole milliseconds, so that what is accepted once is accepted again
    // after it was saved.
    if (std::llabs(storedMs(*endsAt) - storedMs(*startedAt) - storedMs(*duration)) > endToleranceMs)
        return failure(QStringLiteral("The session's planned end is not its start plus its length."));
    if (endedAt.has_value() == isActive.toBool())
        return failure(QStringLiteral("The session's end disagrees with its active flag."));

    FocusSession session;
    session.id = *uuid;
    session.startedAt = timeFromStored(*startedAt);
    session.endsAt = timeFromStored(*endsAt);
    session.duration = *duration;
    session.isActive = isActive.toBool();
    session.silencing = std::move(silencing).value();
    if (endedAt)
        session.endedAt = timeFromStored(*endedAt);
    // Only a hint for the desktop: a value that is no notification id is dropped, not refused.
    const std::optional<double> notificationId = finiteNumber(object.value(notificationIdKey));
    if (notificationId && *notificationId >= 1 && *notificationId <= 0xFFFF'FFFF
        && std::trunc(*notificationId) == *notificationId)
        session.notificationId = quint32(*notificationId);
    return session;
}

} // namespace FocusSessionCoding
