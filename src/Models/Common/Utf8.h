#pragma once

#include <QtGlobal>

#include <cstddef>
#include <cstring>
#include <optional>

// UTF-8 as the stores keep it and a backup's parser checks it: well-formed only, so no overlong
// form, no surrogate, nothing beyond U+10FFFF.
namespace Utf8 {

// The character that starts at `at` with a byte of 0x80 or more, `at` moved past it; none, `at`
// where it was, when the bytes before `end` do not make one.
inline std::optional<char32_t> decode(const unsigned char *&at, const unsigned char *end)
{
    const unsigned char lead = *at;
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (lead < 0xC2 || lead > 0xF4 || size_t(end - at) < length)
        return std::nullopt;
    char32_t c = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((at[k] & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (at[k] & 0x3F);
    }
    const char32_t least = length == 4 ? 0x10000 : length == 3 ? 0x800 : 0x80;
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))
        return std::nullopt;
    at += length;
    return c;
}

// Whether all of the text is well-formed; mostly ASCII goes eight bytes at a time.
inline bool isWellFormed(const char *text, size_t size)
{
    const auto *at = reinterpret_cast<const unsigned char *>(text);
    const unsigned char *const end = at + size;
    while (at < end) {
        if (end - at >= 8) {
            quint64 word = 0;
            std::memcpy(&word, at, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                at += 8;
                continue;
            }
        }
        if (*at < 0x80)
            ++at;
        else if (!decode(at, end))
            return false;
    }
    return true;
}

} // namespace Utf8
