#include "Models/Transfer/ContentDigest.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QHashFunctions>

#include <cstring>
#include <tuple>

ContentDigest ContentDigest::of(QByteArrayView data)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(data);
    return fromStored(hash.resultView());
}

namespace {

constexpr qsizetype digestBytes = std::tuple_size_v<decltype(ContentDigest::bytes)>;

} // namespace

ContentDigest ContentDigest::fromStored(QByteArrayView stored)
{
    ContentDigest digest;
    if (stored.size() == digestBytes) {
        std::memcpy(digest.bytes.data(), stored.data(), digest.bytes.size());
        return digest;
    }
    if (stored.size() != 2 * digestBytes)
        return digest;
    const QByteArray bytes = QByteArray::fromHex(stored.toByteArray());
    return bytes.size() == digestBytes ? fromStored(bytes) : ContentDigest {};
}

ContentDigest ContentDigest::fromHex(QStringView hex)
{
    return hex.size() == 2 * digestBytes ? fromStored(hex.toLatin1()) : ContentDigest {};
}

QString ContentDigest::toHex() const
{
    return QString::fromLatin1(
        QByteArray::fromRawData(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())).toHex());
}

size_t qHash(const ContentDigest &digest, size_t seed) noexcept
{
    return qHashBits(digest.bytes.data(), digest.bytes.size(), seed);
}
