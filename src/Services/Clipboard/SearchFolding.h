#pragma once

#include <QByteArrayView>

#include <cstddef>
#include <cstring>
#include <vector>

struct sqlite3;

// Text folded as ClipboardItem::searchFolded() folds it, in UTF-8, and looked for byte by byte:
// once both sides are folded, UTF-8 byte containment is character containment. Made for the
// scans' inner loops, so ASCII (most text) and the characters that fold alone never go through
// QString.
namespace SearchFolding {

// Where a needle is looked for first: its rarest byte, so that memchr() stops least often.
size_t anchorOf(const char *needle, size_t size);

// Where `needle` first occurs in `haystack`, or null: memchr() for the needle's byte at
// `anchor`, then a compare. Much faster than memmem() on the texts a history holds.
inline const char *find(const char *haystack, size_t haystackSize, const char *needle, size_t needleSize, size_t anchor)
{
    if (needleSize == 0)
        return haystack;
    if (needleSize > haystackSize)
        return nullptr;
    const char anchorByte = needle[anchor];
    const char *from = haystack + anchor;
    const char *const last = haystack + (haystackSize - needleSize) + anchor;
    while (from <= last) {
        const void *hit = std::memchr(from, anchorByte, size_t(last - from) + 1);
        if (!hit)
            return nullptr;
        const char *start = static_cast<const char *>(hit) - anchor;
        if (std::memcmp(start, needle, needleSize) == 0)
            return start;
        from = static_cast<const char *>(hit) + 1;
    }
    return nullptr;
}

// Whether `needle` occurs in `haystack` (see find).
inline bool contains(const char *haystack, size_t haystackSize, const char *needle, size_t needleSize, size_t anchor)
{
    return find(haystack, haystackSize, needle, needleSize, anchor) != nullptr;
}

// The text folded, in `buffer`, which the next call reuses.
QByteArrayView folded(const char *text, size_t size, std::vector<char> &buffer);

// Adds contains_folded(needle, text, …) to a connection: whether the folded needle occurs in
// any of the texts once folded. False when it cannot.
bool install(sqlite3 *handle);

} // namespace SearchFolding
