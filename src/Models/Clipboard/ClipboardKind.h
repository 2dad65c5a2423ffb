#pragma once

#include "Models/Common/EnumTable.h"

#include <QString>

#include <array>
#include <optional>

// What was copied: plain text, a link, code, an image or files. Stored by its raw value.
enum class ClipboardKind { Text, Url, Code, Image, File };

namespace ClipboardKinds {

inline constexpr EnumTable<ClipboardKind, 5> table { { {
    { ClipboardKind::Text, u"text", u"Text", u"text.alignleft" },
    { ClipboardKind::Url, u"url", u"Link", u"link" },
    { ClipboardKind::Code, u"code", u"Code", u"chevron.left.forwardslash.chevron.right" },
    { ClipboardKind::Image, u"image", u"Image", u"photo" },
    { ClipboardKind::File, u"file", u"File", u"doc" },
} } };
inline constexpr std::array<ClipboardKind, 5> all = table.cases();

QString storedValue(ClipboardKind kind);
// Exact, case-sensitive match of a stored value.
std::optional<ClipboardKind> fromStoredValue(const QString &raw);
// The kind a search word names: lower-cased, one trailing "s" dropped, then compared with the
// stored values and then with the display words ("links" and "URLS" both name Url).
std::optional<ClipboardKind> fromSearchWord(const QString &word);
// The display word (the table's title).
QString name(ClipboardKind kind);
// The symbol name of the kind ("text.alignleft", "link", …); views map it to a theme icon.
QString systemImage(ClipboardKind kind);

} // namespace ClipboardKinds
