#include "Services/Clipboard/SearchFolding.h"

#include "Models/Clipboard/ClipboardItem.h"
#include "Models/Common/Utf8.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <sqlite3.h>

#include <array>
#include <atomic>
#include <bitset>
#include <memory>
#include <optional>

namespace {

// How common a byte is in folded text, roughly: blanks and frequent letters high, everything
// else low.
int commonness(unsigned char byte)
{
    static const char *const byFrequency = " etaoinshrdlcumwfgypbvkjxqz";
    if (const char *at = std::strchr(byFrequency, byte); at && byte != 0)
        return 64 - int(at - byFrequency);
    return 0;
}

// ASCII text with its capitals made small, as searchFolded() folds it, in `buffer`, which the
// next call reuses; eight bytes at a time.
const char *lowered(const char *text, size_t size, std::vector<char> &buffer)
{
    constexpr quint64 high = 0x8080808080808080ULL;
    if (buffer.size() < size)
        buffer.resize(size);
    char *out = buffer.data();
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word = 0;
        std::memcpy(&word, text + i, 8);
        // A byte's high bit set by adding: at least 'A', and not yet one past 'Z'.
        const quint64 capitals = (word + 0x3F3F3F3F3F3F3F3FULL) & ~(word + 0x2525252525252525ULL) & high;
        word |= capitals >> 2;
        std::memcpy(out + i, &word, 8);
    }
    for (; i < size; ++i)
        out[i] = text[i] >= 'A' && text[i] <= 'Z' ? char(text[i] | 0x20) : text[i];
    return out;
}

// searchFolded() of each character beyond ASCII on its own, in UTF-8, made a page of 256
// characters at a time as texts first use them: most histories touch a few pages only.
class CharacterFolds
{
public:
    // The fold of `c`, or nothing when it depends on the characters around it.
    static std::optional<QByteArrayView> of(char32_t c)
    {
        const Page &page = pageOf(c);
        const size_t at = c & 0xFF;
        if (page.contextual[at])
            return std::nullopt;
        return QByteArrayView(page.bytes.data() + page.starts[at], page.starts[at + 1] - page.starts[at]);
    }

private:
    struct Page
    {
        std::vector<char> bytes;
        std::array<quint32, 257> starts {};
        std::bitset<256> contextual;
    };

    static const Page &pageOf(char32_t c)
    {
        static std::array<std::atomic<const Page *>, 0x1100> pages {};
        std::atomic<const Page *> &slot = pages[c >> 8];
        const Page *page = slot.load(std::memory_order_acquire);
        if (page)
            return *page;
        // Two threads may make the same page; one of them is kept, for good.
        auto made = std::make_unique<Page>(make(c & ~char32_t(0xFF)));
        if (slot.compare_exchange_strong(page, made.get(), std::memory_order_acq_rel))
            page = made.release();
        return *page;
    }

    static Page make(char32_t first)
    {
        Page page;
        for (size_t at = 0; at < 256; ++at) {
            const char32_t c = first + char32_t(at);
            page.starts[at] = quint32(page.bytes.size());
            page.contextual[at] = !foldsAlone(c);
            if (page.contextual[at])
                continue;
            const QByteArray folded = ClipboardItem::searchFolded(QString::fromUcs4(&c, 1)).toUtf8();
            page.bytes.insert(page.bytes.end(), folded.cbegin(), folded.cend());
        }
        page.starts[256] = quint32(page.bytes.size());
        return page;
    }

    // Whether searchFolded() of any text folds `c` as it folds it alone. It composes the text
    // first, but decomposes all of it again except Hangul syllables, which only the joining
    // letters compose into; it drops the marks, and of what is left only a character of a
    // nonzero combining class could be put in another order by what surrounds it; case folding
    // takes one character at a time.
    static bool foldsAlone(char32_t c)
    {
        if ((c >= 0xD800 && c < 0xE000) || (c >= 0x1100 && c < 0x1200))
            return false;
        const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
        for (const char32_t part : decomposed.toUcs4()) {
            const QChar::Category category = QChar::category(part);
            if (QChar::combiningClass(part) != 0 && category != QChar::Mark_NonSpacing
                && category != QChar::Mark_Enclosing)
                return false;
        }
        return true;
    }
};

// Text beyond ASCII folded a character at a time, as searchFolded() folds it but many times
// quicker than through QString, at the start of `buffer`; its size, or nothing when a
// character's fold depends on its neighbours (see CharacterFolds) or the text is not
// well-formed UTF-8, which QString reads otherwise.
std::optional<size_t> foldedByCharacter(const char *text, size_t size, std::vector<char> &buffer)
{
    if (buffer.size() < size + 64)
        buffer.resize(size + 64);
    size_t out = 0;
    for (size_t i = 0; i < size;) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if (out == buffer.size())
                buffer.resize(2 * buffer.size());
            buffer[out++] = byte >= 'A' && byte <= 'Z' ? char(byte | 0x20) : char(byte);
            ++i;
            continue;
        }
        const auto *at = reinterpret_cast<const unsigned char *>(text + i);
        const auto *from = at;
        const std::optional<char32_t> c = Utf8::decode(at, reinterpret_cast<const unsigned char *>(text + size));
        if (!c)
            return std::nullopt;
        const std::optional<QByteArrayView> fold = CharacterFolds::of(*c);
        if (!fold)
            return std::nullopt;
        if (out + size_t(fold->size()) > buffer.size())
            buffer.resize(2 * buffer.size() + size_t(fold->size()));
        std::memcpy(buffer.data() + out, fold->data(), size_t(fold->size()));
        out += size_t(fold->size());
        i += size_t(at - from);
    }
    return out;
}

// contains_folded(needle, text, …): whether the UTF-8 needle occurs in any text once folded.
// Both sides are folded then, and UTF-8 byte containment is character containment, so a byte
// search serves; it is many times faster than instr(), which counts characters as it goes.
void containsFolded(sqlite3_context *context, int count, sqlite3_value **arguments)
{
    const char *needle = count > 0 ? reinterpret_cast<const char *>(sqlite3_value_text(arguments[0])) : nullptr;
    const auto needleSize = size_t(count > 0 ? sqlite3_value_bytes(arguments[0]) : 0);
    if (!needle) {
        sqlite3_result_int(context, 0);
        return;
    }
    // The needle is the same for every row of a statement: its anchor is worked out once.
    auto *anchor = static_cast<size_t *>(sqlite3_get_auxdata(context, 0));
    if (!anchor) {
        anchor = new size_t(SearchFolding::anchorOf(needle, needleSize));
        sqlite3_set_auxdata(context, 0, anchor, [](void *data) { delete static_cast<size_t *>(data); });
        // SQLite may drop it at once (out of memory); it is read again below only if kept.
        anchor = static_cast<size_t *>(sqlite3_get_auxdata(context, 0));
    }
    const size_t at = anchor ? *anchor : SearchFolding::anchorOf(needle, needleSize);
    thread_local std::vector<char> buffer;
    for (int i = 1; i < count; ++i) {
        const char *stored = reinterpret_cast<const char *>(sqlite3_value_text(arguments[i]));
        if (!stored)
            continue;
        const QByteArrayView text = SearchFolding::folded(stored, size_t(sqlite3_value_bytes(arguments[i])), buffer);
        if (size_t(text.size()) >= needleSize
            && SearchFolding::contains(text.data(), size_t(text.size()), needle, needleSize, at)) {
            sqlite3_result_int(context, 1);
            return;
        }
    }
    sqlite3_result_int(context, 0);
}

} // namespace

namespace SearchFolding {

size_t anchorOf(const char *needle, size_t needleSize)
{
    size_t anchor = 0;
    for (size_t i = 1; i < needleSize; ++i) {
        if (commonness(static_cast<unsigned char>(needle[i])) < commonness(static_cast<unsigned char>(needle[anchor])))
            anchor = i;
    }
    return anchor;
}

// ASCII (most text) quickly, by making capitals small, other text a character at a time, what
// that cannot fold through searchFolded() itself.
QByteArrayView folded(const char *text, size_t size, std::vector<char> &buffer)
{
    size_t i = 0;
    quint64 high = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word = 0;
        std::memcpy(&word, text + i, 8);
        high |= word;
    }
    for (; i < size; ++i)
        high |= quint64(static_cast<unsigned char>(text[i]));
    if ((high & 0x8080808080808080ULL) == 0)
        return { lowered(text, size, buffer), qsizetype(size) };
    if (const std::optional<size_t> folded = foldedByCharacter(text, size, buffer))
        return { buffer.data(), qsizetype(*folded) };
    // A leading byte order mark is part of the text, as it is of the entry's content.
    QStringDecoder decoder(
        QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    const QString decoded = decoder.decode(QByteArrayView(text, qsizetype(size)));
    const QByteArray folded = ClipboardItem::searchFolded(decoded).toUtf8();
    buffer.assign(folded.cbegin(), folded.cend());
    return { buffer.data(), folded.size() };
}

bool install(sqlite3 *handle)
{
    return handle
        && sqlite3_create_function_v2(handle, "contains_folded", -1,
               SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr, &containsFolded, nullptr, nullptr,
               nullptr)
        == SQLITE_OK;
}

} // namespace SearchFolding
