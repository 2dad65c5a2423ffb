#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>

// A SHA-256 content hash held as its 32 bytes: what an import's plan compares by the hundred
// thousand, without allocating and hashing a 64-character text for each. All zero when none
// was worked out.
struct ContentDigest
{
    std::array<quint8, 32> bytes {};

    // The SHA-256 of `data`.
    static ContentDigest of(QByteArrayView data);
    // From the 32 bytes a store keeps, or from the text form (64 hexadecimal digits); zero
    // for anything else.
    static ContentDigest fromStored(QByteArrayView stored);
    static ContentDigest fromHex(QStringView hex);
    // Lower-case hexadecimal, as ClipboardItem::contentHash holds it.
    QString toHex() const;
    bool isNull() const { return *this == ContentDigest {}; }

    friend bool operator==(const ContentDigest &, const ContentDigest &) = default;
};

size_t qHash(const ContentDigest &digest, size_t seed = 0) noexcept;
