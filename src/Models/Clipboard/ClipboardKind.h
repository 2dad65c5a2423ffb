#pragma once

#include <QString>

#include <array>
#include <optional>

// What was copied: plain text, a link, code, an image or files. Stored by its raw value.
enum class ClipboardKind { Text, Url, Code, Image, File };

namespace ClipboardKinds {

inline constexpr std::array<ClipboardKind, 5> all { ClipboardKind::Text, ClipboardKind::Url, ClipboardKind::Code,
    ClipboardKind::Image, ClipboardKind::File };

// "text", "url", "code", "image" or "file".
QString storedValue(ClipboardKind kind);
// Exact, case-sensitive match of a raw value.
std::optional<ClipboardKind> fromStoredValue(const QString &raw);
// The kind a search word names: lower-cased, one trailing "s" dropped, then compared with the
// raw values and then with the display words ("links" and "URLS" both name Url).
std::optional<ClipboardKind> fromSearchWord(const QString &word);
// The display word: "Text", "Link", "Code", "Image", "File".
QString name(ClipboardKind kind);
// The symbol name of the kind ("text.alignleft", "link", …); views map it to a theme icon.
QString systemImage(ClipboardKind kind);

} // namespace ClipboardKinds
