#include "Services/Clipboard/ClipboardSearch.h"

#include "Platform/Logging.h"

#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QPromise>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <lz4.h>
#include <lz4hc.h>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <bit>
#include <bitset>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Below this many rows one scan on the store's own connection is quicker than the hand-off.
constexpr qint64 splitRows = 8192;
// How many virtual machine steps a scan takes between two looks at whether it was cancelled:
// a few hundred rows, well under a millisecond.
constexpr int stepsBetweenLooks = 10000;
// The scan is bound by memory and SQLite's work per row; more spans than this gain little.
constexpr int maximumSpans = 8;
// Each reader's page cache, in KiB: a scan reads every row once, so a cache would not be hit,
// and a small one keeps memory flat however large the history grows. (Mapping the file would
// scan faster, but every page read would then count as the process's own memory.)
constexpr int readerCacheKiB = 128;

// How common a byte is in folded text, roughly: blanks and frequent letters high, everything
// else low.
int commonness(unsigned char byte)
{
    static const char *const byFrequency = " etaoinshrdlcumwfgypbvkjxqz";
    if (const char *at = std::strchr(byFrequency, byte); at && byte != 0)
        return 64 - int(at - byFrequency);
    return 0;
}

// Where a needle is looked for first: its rarest byte, so that memchr() stops least often.
size_t anchorOf(const char *needle, size_t needleSize)
{
    size_t anchor = 0;
    for (size_t i = 1; i < needleSize; ++i) {
        if (commonness(static_cast<unsigned char>(needle[i])) < commonness(static_cast<unsigned char>(needle[anchor])))
            anchor = i;
    }
    return anchor;
}

// Whether `needle` occurs in `haystack`: memchr() for the needle's byte at `anchor`, then a
// compare. Much faster than memmem() on the texts a history holds.
bool containsBytes(const char *haystack, size_t haystackSize, const char *needle, size_t needleSize, size_t anchor)
{
    if (needleSize == 0)
        return true;
    if (needleSize > haystackSize)
        return false;
    const char anchorByte = needle[anchor];
    const char *from = haystack + anchor;
    const char *const last = haystack + (haystackSize - needleSize) + anchor;
    while (from <= last) {
        const void *hit = std::memchr(from, anchorByte, size_t(last - from) + 1);
        if (!hit)
            return false;
        const char *start = static_cast<const char *>(hit) - anchor;
        if (std::memcmp(start, needle, needleSize) == 0)
            return true;
        from = static_cast<const char *>(hit) + 1;
    }
    return false;
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
        // Overlong forms, surrogates and what lies beyond U+10FFFF are not well-formed.
        const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
        const char32_t least = length == 4 ? 0x10000 : length == 3 ? 0x800 : 0x80;
        if (byte < 0xC2 || byte > 0xF4 || size - i < length)
            return std::nullopt;
        char32_t c = byte & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < least || c > 0x10FFFF)
            return std::nullopt;
        const std::optional<QByteArrayView> fold = CharacterFolds::of(c);
        if (!fold)
            return std::nullopt;
        if (out + size_t(fold->size()) > buffer.size())
            buffer.resize(2 * buffer.size() + size_t(fold->size()));
        std::memcpy(buffer.data() + out, fold->data(), size_t(fold->size()));
        out += size_t(fold->size());
        i += length;
    }
    return out;
}

// Text as searchFolded() folds it, in UTF-8: ASCII (most text) quickly, by making capitals
// small, other text a character at a time, what that cannot fold through searchFolded() itself;
// in `buffer`, which the next call reuses.
QByteArrayView foldedText(const char *text, size_t size, std::vector<char> &buffer)
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
        anchor = new size_t(anchorOf(needle, needleSize));
        sqlite3_set_auxdata(context, 0, anchor, [](void *data) { delete static_cast<size_t *>(data); });
        // SQLite may drop it at once (out of memory); it is read again below only if kept.
        anchor = static_cast<size_t *>(sqlite3_get_auxdata(context, 0));
    }
    const size_t at = anchor ? *anchor : anchorOf(needle, needleSize);
    thread_local std::vector<char> buffer;
    for (int i = 1; i < count; ++i) {
        const char *text = reinterpret_cast<const char *>(sqlite3_value_text(arguments[i]));
        if (!text)
            continue;
        const QByteArrayView folded = foldedText(text, size_t(sqlite3_value_bytes(arguments[i])), buffer);
        if (size_t(folded.size()) >= needleSize
            && containsBytes(folded.data(), size_t(folded.size()), needle, needleSize, at)) {
            sqlite3_result_int(context, 1);
            return;
        }
    }
    sqlite3_result_int(context, 0);
}

// One match of a scan: when its entry was last copied, and its row.
struct Hit
{
    qint64 copiedAt;
    qint64 seq;
};

// Keeps the `keep` newest hits and every other one copied at the same moment as the last of them.
void keepNewest(std::vector<Hit> &hits, size_t keep)
{
    if (hits.size() <= keep)
        return;
    if (keep == 0) {
        hits.clear();
        return;
    }
    const auto newer = [](const Hit &a, const Hit &b) { return a.copiedAt > b.copiedAt; };
    std::nth_element(hits.begin(), hits.begin() + std::ptrdiff_t(keep - 1), hits.end(), newer);
    const qint64 last = hits[keep - 1].copiedAt;
    hits.erase(std::partition(hits.begin() + std::ptrdiff_t(keep), hits.end(),
                   [last](const Hit &hit) { return hit.copiedAt >= last; }),
        hits.end());
}

// Blocks are read whole by one thread: large enough for few reads, small enough for many threads.
constexpr qint64 blockBytes = qint64(1) << 20;
// A text this long or longer is kept compressed. The few long texts hold most of a history's
// bytes, and unpacking them costs a scan far less than unpacking everything would.
constexpr qint64 packFrom = 2048;
// Marks a record whose text is compressed, in its kind's byte.
constexpr quint8 packedMark = 0x80;

// What the column keeps of an entry besides its folded text.
struct RecordHead
{
    qint64 seq;
    qint64 copiedAt;
    // The kind's place in ClipboardKinds::all plus one, or 0 for a word no query names.
    quint8 kind;
    quint32 textSize;
};

quint8 kindCode(QByteArrayView raw)
{
    const std::optional<ClipboardKind> kind = ClipboardKinds::fromStoredValue(QString::fromUtf8(raw));
    return kind ? quint8(int(*kind) + 1) : 0;
}

void putNumber(QByteArray &out, quint64 value)
{
    while (value >= 0x80) {
        out.append(char(value | 0x80));
        value >>= 7;
    }
    out.append(char(value));
}

bool takeNumber(const char *&at, const char *end, quint64 &value)
{
    value = 0;
    for (int shift = 0; at < end && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        value |= quint64(byte & 0x7F) << shift;
        if (byte < 0x80)
            return true;
    }
    return false;
}

// The step from one number to the next as a small unsigned number, and back; any two numbers
// (an imported time may be far from the others) wrap around rather than overflow.
quint64 step(qint64 from, qint64 to)
{
    const auto difference = qint64(quint64(to) - quint64(from));
    return (quint64(difference) << 1) ^ quint64(difference >> 63);
}

qint64 stepped(qint64 from, quint64 step)
{
    const quint64 difference = (step >> 1) ^ (0 - (step & 1));
    return qint64(quint64(from) + difference);
}

// A block's records, each its row and last copy as the step from the record before (neighbours
// are close in both), its kind, and the size of the text that follows: a few bytes an entry. A
// long text is compressed, with its size unpacked after its kind.
class BlockWriter
{
public:
    void append(const RecordHead &head, QByteArrayView content, QByteArrayView app)
    {
        putNumber(m_bytes, step(m_seq, head.seq));
        putNumber(m_bytes, step(m_copiedAt, head.copiedAt));
        m_seq = head.seq;
        m_copiedAt = head.copiedAt;
        if (head.textSize >= packFrom) {
            m_text.assign(content.cbegin(), content.cend());
            m_text.push_back('\0');
            m_text.insert(m_text.end(), app.cbegin(), app.cend());
            m_packed.resize(size_t(LZ4_compressBound(int(m_text.size()))));
            const int packed
                = LZ4_compress_HC(m_text.data(), m_packed.data(), int(m_text.size()), int(m_packed.size()), packLevel);
            if (packed > 0 && quint32(packed) < head.textSize) {
                m_bytes.append(char(head.kind | packedMark));
                putNumber(m_bytes, head.textSize);
                m_largestPacked = std::max(m_largestPacked, quint64(head.textSize));
                putNumber(m_bytes, quint64(packed));
                m_bytes.append(m_packed.data(), packed);
                return;
            }
        }
        m_bytes.append(char(head.kind));
        putNumber(m_bytes, head.textSize);
        m_bytes.append(content);
        m_bytes.append('\0');
        m_bytes.append(app);
    }
    qint64 size() const { return m_bytes.size(); }
    bool isEmpty() const { return m_bytes.isEmpty(); }
    // The most bytes a compressed text unpacks to.
    quint64 largestPacked() const { return m_largestPacked; }

    QByteArray take()
    {
        QByteArray block = m_bytes;
        m_bytes.truncate(0);
        m_seq = 0;
        m_copiedAt = 0;
        return block;
    }

private:
    // Slower to write than the fastest, which costs only the column's making, and quicker
    // to unpack, which every scan does.
    static constexpr int packLevel = 4;
    QByteArray m_bytes;
    std::vector<char> m_text;
    std::vector<char> m_packed;
    qint64 m_seq = 0;
    qint64 m_copiedAt = 0;
    quint64 m_largestPacked = 0;
};

// Where a snapshot of the file ends: the last change logged, and its newest entry.
struct Snapshot
{
    qint64 mark = 0;
    qint64 lastSeq = 0;
};

// A block's place in the column and the sum of its bytes.
struct BlockPlace
{
    qint64 offset;
    qint64 size;
    quint64 sum;
};

// Which database state the column belongs to: a random token the file keeps while the column
// is the one made for it (see Reader::pair), so that another file, or an older copy of this one
// put in its place, never matches.
using ColumnToken = std::array<char, 16>;

// The column's last bytes, after its table of blocks.
struct ColumnTail
{
    ColumnToken token;
    Snapshot snapshot;
    quint64 blockCount;
    quint64 largestPacked;
    // Of the table of blocks and of what comes before this in the tail.
    quint64 sum;
    char magic[8];
};

constexpr char columnMagic[8] = { 'V', 'c', 'l', 'i', 'p', 'c', 'o', '4' };
// The column is made afresh once this many entries changed since its snapshot (or a hundredth
// of the history, if more): each of them is looked for through SQLite.
constexpr size_t renewAfter = 4096;

QString columnPathOf(const QString &filePath)
{
    return filePath + QStringLiteral("-search");
}

// Where the column is named before it takes the column's name (and, where the file system has
// no files without a name, written).
QByteArray partPathOf(const QString &filePath)
{
    return QFile::encodeName(columnPathOf(filePath)) + ".part";
}

// A sum of four lanes of eight bytes, each mixed by a multiply and a rotation as xxHash's are:
// several bytes a cycle, so that checking a block as a scan first reads it costs little beside
// the scan, and any byte changed, lost or moved changes it.
quint64 checksumOf(const char *bytes, size_t size, quint64 seed = 0)
{
    constexpr quint64 prime1 = 0x9E3779B185EBCA87ULL;
    constexpr quint64 prime2 = 0xC2B2AE3D27D4EB4FULL;
    const auto round = [](quint64 lane, quint64 word) { return std::rotl(lane + word * prime2, 31) * prime1; };
    std::array<quint64, 4> lanes { seed + prime1, seed + prime2, seed, seed - prime1 };
    size_t at = 0;
    for (; at + 32 <= size; at += 32) {
        for (size_t lane = 0; lane < 4; ++lane) {
            quint64 word = 0;
            std::memcpy(&word, bytes + at + 8 * lane, 8);
            lanes[lane] = round(lanes[lane], word);
        }
    }
    quint64 sum = std::rotl(lanes[0], 1) + std::rotl(lanes[1], 7) + std::rotl(lanes[2], 12) + std::rotl(lanes[3], 18);
    for (; at < size; ++at)
        sum = round(sum, quint64(static_cast<unsigned char>(bytes[at])) + 1);
    sum ^= quint64(size);
    sum ^= sum >> 33;
    sum *= prime2;
    sum ^= sum >> 29;
    return sum;
}

quint64 tableSumOf(const std::vector<BlockPlace> &blocks, const ColumnTail &tail)
{
    const quint64 table = checksumOf(reinterpret_cast<const char *>(blocks.data()), blocks.size() * sizeof(BlockPlace));
    return checksumOf(reinterpret_cast<const char *>(&tail), offsetof(ColumnTail, sum), table);
}

bool writeAll(int fd, const void *bytes, size_t size)
{
    const auto *at = static_cast<const char *>(bytes);
    while (size > 0) {
        const ssize_t written = ::write(fd, at, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        at += written;
        size -= size_t(written);
    }
    return true;
}

std::optional<std::pair<qint64, qint64>> readExactly(int fd, void *into, qint64 size, qint64 offset)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, static_cast<char *>(into) + done, size_t(size - done), off_t(offset + done));
        if (got <= 0)
            return std::nullopt;
        done += got;
    }
    return std::pair { offset, size };
}

// What one scan looks for in the column's blocks.
struct BlockScan
{
    // Entries changed since the snapshot, in order: SQLite tells what they are now.
    const std::vector<qint64> &changed;
    const QByteArray &needle;
    // The code of the kind the query names, or 0.
    quint8 kind;
    size_t anchor;
    size_t newest;
    quint64 largestPacked;

    // Counts the block's matches and keeps the newest, unpacking long texts into `unpacked`;
    // false when the block is damaged.
    bool scan(const char *at, qint64 size, qint64 &count, std::vector<Hit> &hits, std::vector<char> &unpacked) const
    {
        const char *const end = at + size;
        qint64 seq = 0;
        qint64 copiedAt = 0;
        while (at < end) {
            quint64 seqStep = 0;
            quint64 copiedStep = 0;
            quint64 textSize = 0;
            if (!takeNumber(at, end, seqStep) || !takeNumber(at, end, copiedStep) || at == end)
                return false;
            const auto recordKind = static_cast<quint8>(*at++);
            const bool packed = (recordKind & packedMark) != 0;
            if (!takeNumber(at, end, textSize))
                return false;
            quint64 storedSize = textSize;
            if (packed && (!takeNumber(at, end, storedSize) || textSize > largestPacked))
                return false;
            if (quint64(end - at) < storedSize)
                return false;
            const char *text = at;
            at += storedSize;
            seq = stepped(seq, seqStep);
            copiedAt = stepped(copiedAt, copiedStep);
            if (std::binary_search(changed.cbegin(), changed.cend(), seq))
                continue;
            bool match = kind != 0 && (recordKind & ~packedMark) == kind;
            if (!match && packed) {
                unpacked.resize(textSize);
                if (LZ4_decompress_safe(text, unpacked.data(), int(storedSize), int(textSize)) != int(textSize))
                    return false;
                text = unpacked.data();
            }
            match = match || containsBytes(text, textSize, needle.constData(), size_t(needle.size()), anchor);
            if (!match)
                continue;
            ++count;
            if (newest == 0)
                continue;
            hits.push_back({ copiedAt, seq });
            if (hits.size() >= 4 * newest + 1024)
                keepNewest(hits, newest);
        }
        return true;
    }
};

} // namespace

// A read-only connection to the store's file that scans one span of search rows, used by one
// thread at a time.
class ClipboardSearch::Reader final
{
public:
    Reader() = default;
    ~Reader() { sqlite3_close_v2(m_handle); }
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    bool open(const QString &path, bool readOnly = true)
    {
        const int mode = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_handle, mode | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
            return false;
        const QByteArray pragmas
            = "PRAGMA busy_timeout = 2000; PRAGMA cache_size = -" + QByteArray::number(readerCacheKiB);
        return sqlite3_exec(m_handle, pragmas.constData(), nullptr, nullptr, nullptr) == SQLITE_OK && install(m_handle);
    }

    // The first and one past the last `seq` of the search rows; absent when there are none.
    std::optional<std::pair<qint64, qint64>> bounds()
    {
        sqlite3_stmt *statement = prepared("SELECT (SELECT min(seq) FROM clipboard_item), "
                                           "(SELECT max(seq) FROM clipboard_item)");
        std::optional<std::pair<qint64, qint64>> result;
        if (statement && sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_type(statement, 0) != SQLITE_NULL)
            result = std::pair { sqlite3_column_int64(statement, 0), sqlite3_column_int64(statement, 1) + 1 };
        finish(statement);
        return result;
    }

    // How many rows with first <= seq < end `condition` accepts, and the newest `keep` of them
    // (see keepNewest); absent on any failure.
    std::optional<qint64> scan(const QByteArray &condition, const QVariantList &bindings, qint64 first, qint64 end,
        size_t keep, std::vector<Hit> &hits, const Stopped &stopped)
    {
        return select("i.seq >= ? AND i.seq < ?", { first, end }, condition, bindings, keep, hits, stopped);
    }

    // The same for the rows that `rows` (on clipboard_item AS i, with `leading` bound) picks.
    std::optional<qint64> select(const QByteArray &rows, const QVariantList &leading, const QByteArray &condition,
        const QVariantList &bindings, size_t keep, std::vector<Hit> &hits, const Stopped &stopped)
    {
        // A cancelled scan is interrupted where it is; its statement then fails.
        m_stopped = stopped;
        sqlite3_progress_handler(
            m_handle, stepsBetweenLooks, [](void *stop) { return (*static_cast<Stopped *>(stop))() ? 1 : 0; },
            &m_stopped);
        sqlite3_stmt *statement = prepared(
            "SELECT i.seq, i.last_copied_at FROM clipboard_item AS i WHERE " + rows + " AND (" + condition + ')');
        std::optional<qint64> count;
        if (bind(statement, leading + bindings)) {
            qint64 found = 0;
            int code = SQLITE_ROW;
            while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
                ++found;
                if (keep == 0)
                    continue;
                hits.push_back({ sqlite3_column_int64(statement, 1), sqlite3_column_int64(statement, 0) });
                // Trimmed now and then, so that a common term holds little.
                if (hits.size() >= 4 * keep + 1024)
                    keepNewest(hits, keep);
            }
            if (code == SQLITE_DONE)
                count = found;
        }
        finish(statement);
        sqlite3_progress_handler(m_handle, 0, nullptr, nullptr);
        keepNewest(hits, keep);
        return count;
    }

    // Holds one view of the file over several statements, or lets it go.
    bool begin() { return sqlite3_exec(m_handle, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK; }
    void end() { sqlite3_exec(m_handle, "COMMIT", nullptr, nullptr, nullptr); }

    // The entries changed or deleted since the change numbered `since`, in order; absent on a
    // failure.
    std::optional<std::vector<qint64>> changedSince(qint64 since)
    {
        sqlite3_stmt *statement = prepared("SELECT seq FROM clipboard_change WHERE n > ? ORDER BY seq");
        std::optional<std::vector<qint64>> result;
        if (statement && sqlite3_bind_int64(statement, 1, since) == SQLITE_OK) {
            std::vector<qint64> seqs;
            int code = SQLITE_ROW;
            while ((code = sqlite3_step(statement)) == SQLITE_ROW)
                seqs.push_back(sqlite3_column_int64(statement, 0));
            if (code == SQLITE_DONE)
                result = std::move(seqs);
        }
        finish(statement);
        return result;
    }

    // Hands `each` every entry in one view of the file with what the column keeps of it, until
    // it says stop; the last change logged and the newest entry, absent on a failure or a stop.
    std::optional<Snapshot> entries(
        const std::function<bool(const RecordHead &, const QByteArrayView &text, const QByteArrayView &app)> &each)
    {
        std::optional<Snapshot> tail;
        sqlite3_stmt *mark
            = prepared("SELECT coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'clipboard_change'), 0)");
        if (mark && sqlite3_step(mark) == SQLITE_ROW)
            tail = Snapshot { sqlite3_column_int64(mark, 0), 0 };
        finish(mark);
        sqlite3_stmt *rows
            = prepared("SELECT i.seq, i.last_copied_at, k.name, i.content, a.name FROM clipboard_item AS i "
                       "LEFT JOIN clipboard_name AS k ON k.code = i.kind_code "
                       "LEFT JOIN clipboard_name AS a ON a.code = i.app_name_code");
        if (!rows || !tail) {
            finish(rows);
            return std::nullopt;
        }
        const auto bytes = [rows](int column) {
            const auto *text = static_cast<const char *>(sqlite3_column_blob(rows, column));
            return QByteArrayView(text, text ? sqlite3_column_bytes(rows, column) : 0);
        };
        std::vector<char> content;
        std::vector<char> app;
        const auto folded = [&](int column, std::vector<char> &buffer) {
            const QByteArrayView text = bytes(column);
            return foldedText(text.data(), size_t(text.size()), buffer);
        };
        int code = SQLITE_ROW;
        while ((code = sqlite3_step(rows)) == SQLITE_ROW) {
            const QByteArrayView text = folded(3, content);
            const QByteArrayView name = folded(4, app);
            const RecordHead head { sqlite3_column_int64(rows, 0), sqlite3_column_int64(rows, 1), kindCode(bytes(2)),
                quint32(text.size() + 1 + name.size()) };
            tail->lastSeq = std::max(tail->lastSeq, head.seq);
            if (!each(head, text, name))
                break;
        }
        finish(rows);
        if (code != SQLITE_DONE)
            return std::nullopt;
        return tail;
    }

    // The token of the column made for the file as it is (see pair), or none.
    std::optional<ColumnToken> token()
    {
        sqlite3_stmt *kept = prepared("SELECT count(*) FROM sqlite_master WHERE name = 'clipboard_column_token'");
        const bool keeps = kept && sqlite3_step(kept) == SQLITE_ROW && sqlite3_column_int(kept, 0) > 0;
        finish(kept);
        if (!keeps)
            return std::nullopt;
        sqlite3_stmt *statement = prepared("SELECT token FROM clipboard_column_token");
        std::optional<ColumnToken> token;
        if (statement && sqlite3_step(statement) == SQLITE_ROW
            && sqlite3_column_bytes(statement, 0) == int(sizeof(ColumnToken))) {
            token.emplace();
            std::memcpy(token->data(), sqlite3_column_blob(statement, 0), token->size());
        }
        finish(statement);
        return token;
    }

    // Whether an entry of `snapshot` was deleted since (or the whole history cleared): its
    // text must not be read again. True on a failure.
    bool lostSince(const Snapshot &snapshot)
    {
        sqlite3_stmt *statement = prepared("SELECT EXISTS (SELECT 1 FROM clipboard_change AS c WHERE c.n > ? "
                                           "AND c.seq <= ? AND NOT EXISTS (SELECT 1 FROM clipboard_item AS i "
                                           "WHERE i.seq = c.seq))");
        const bool kept = statement && sqlite3_bind_int64(statement, 1, snapshot.mark) == SQLITE_OK
            && sqlite3_bind_int64(statement, 2, snapshot.lastSeq) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW
            && sqlite3_column_int(statement, 0) == 0;
        finish(statement);
        return !kept;
    }

    // Makes `token` the file's, whose column holds the entries up to the change numbered `mark`,
    // and forgets those changes, in one transaction: the changes since a column are kept for
    // as long as the file holds its token. (A column of an older token, or a file of another
    // one, matches no more.)
    bool pair(const ColumnToken &token, qint64 mark)
    {
        if (sqlite3_exec(m_handle,
                "BEGIN IMMEDIATE; CREATE TABLE IF NOT EXISTS clipboard_column_token (token BLOB NOT NULL); "
                "DELETE FROM clipboard_column_token",
                nullptr, nullptr, nullptr)
            != SQLITE_OK) {
            sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
        sqlite3_stmt *keep = prepared("INSERT INTO clipboard_column_token (token) VALUES (?)");
        bool done = keep && sqlite3_bind_blob(keep, 1, token.data(), int(token.size()), SQLITE_STATIC) == SQLITE_OK
            && sqlite3_step(keep) == SQLITE_DONE;
        finish(keep);
        sqlite3_stmt *prune = prepared("DELETE FROM clipboard_change WHERE n <= ?");
        done = done && prune && sqlite3_bind_int64(prune, 1, mark) == SQLITE_OK && sqlite3_step(prune) == SQLITE_DONE;
        finish(prune);
        done = done && sqlite3_exec(m_handle, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!done)
            sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
        return done;
    }

private:
    sqlite3_stmt *prepared(const QByteArray &sql)
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_handle, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
            qCWarning(lcStore) << "search:" << sqlite3_errmsg(m_handle);
        return statement;
    }

    static bool bind(sqlite3_stmt *statement, const QVariantList &bindings)
    {
        bool bound = statement != nullptr;
        for (qsizetype i = 0; bound && i < bindings.size(); ++i) {
            const QVariant &value = bindings[i];
            if (value.typeId() == QMetaType::QString) {
                const QByteArray text = value.toString().toUtf8();
                bound = sqlite3_bind_text64(statement, int(i) + 1, text.constData(), sqlite3_uint64(text.size()),
                            SQLITE_TRANSIENT, SQLITE_UTF8)
                    == SQLITE_OK;
            } else {
                bound = sqlite3_bind_int64(statement, int(i) + 1, value.toLongLong()) == SQLITE_OK;
            }
        }
        return bound;
    }

    // Ends the statement and with it the read transaction, so the file is never held open.
    static void finish(sqlite3_stmt *statement) { sqlite3_finalize(statement); }

    sqlite3 *m_handle = nullptr;
    Stopped m_stopped;
};

// The column beside the file: blocks of records, each an entry's kind, folded text (its
// content's, a zero byte, its source name's; a long one compressed) and last copy, then the
// blocks' places with the sums of their bytes, the token of the file it was made for and what
// its snapshot saw. A cache of the file, kept in this machine's byte order and made afresh
// whenever it is missing, damaged, made for another file or older than a deletion. It holds
// its file open: what a scan reads is this column's, whatever takes its name meanwhile.
struct ClipboardSearch::Column
{
    Column() = default;
    ~Column()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Column(const Column &) = delete;
    Column &operator=(const Column &) = delete;

    // Whether `path` names this column's file.
    bool isAt(const QByteArray &path) const
    {
        struct stat own
        {
        };
        struct stat named
        {
        };
        return ::fstat(fd, &own) == 0 && ::stat(path.constData(), &named) == 0 && own.st_dev == named.st_dev
            && own.st_ino == named.st_ino;
    }

    int fd = -1;
    ColumnToken token {};
    Snapshot snapshot;
    std::vector<BlockPlace> blocks;
    // Whether each block's bytes were found to match their sum: once, as a scan first reads it.
    std::unique_ptr<std::atomic<bool>[]> checked;
    // The most bytes a compressed text unpacks to.
    quint64 largestPacked = 0;
};

ClipboardSearch::ClipboardSearch(QString filePath)
    : m_filePath(std::move(filePath))
{
    m_background.setMaxThreadCount(1);
    m_maker.setMaxThreadCount(1);
    if (!m_filePath.isEmpty())
        m_column = found();
}

ClipboardSearch::~ClipboardSearch()
{
    m_closing = true;
    m_maker.waitForDone();
    m_background.waitForDone();
    m_pool.waitForDone();
}

bool ClipboardSearch::install(sqlite3 *handle)
{
    return handle
        && sqlite3_create_function_v2(handle, "contains_folded", -1,
               SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr, &containsFolded, nullptr, nullptr,
               nullptr)
        == SQLITE_OK;
}

QString ClipboardSearch::condition(const ClipboardItem::Predicate &predicate)
{
    // The few names are looked through once, not at every entry.
    QString where = QStringLiteral("contains_folded(?, i.content) OR i.app_name_code IN "
                                   "(SELECT code FROM clipboard_name WHERE contains_folded(?, name))");
    if (!predicate.kindWord.isEmpty())
        where += QStringLiteral(" OR i.kind_code = (SELECT code FROM clipboard_name WHERE name = ?)");
    return where;
}

QVariantList ClipboardSearch::bindings(const ClipboardItem::Predicate &predicate)
{
    QVariantList values { predicate.folded, predicate.folded };
    if (!predicate.kindWord.isEmpty())
        values << predicate.kindWord;
    return values;
}

bool ClipboardSearch::splits(qint64 rows) const
{
    return !m_filePath.isEmpty() && rows >= splitRows && QThread::idealThreadCount() >= 2;
}

std::optional<ClipboardSearch::Scan> ClipboardSearch::scan(const ClipboardItem::Predicate &predicate, qint64 keep)
{
    const QMutexLocker lock(&m_scanning);
    return run(predicate, keep, [] { return false; });
}

QFuture<std::optional<ClipboardSearch::Scan>> ClipboardSearch::start(
    const ClipboardItem::Predicate &predicate, qint64 keep)
{
    return QtConcurrent::run(&m_background, [this, predicate, keep](QPromise<std::optional<Scan>> &promise) {
        const QMutexLocker lock(&m_scanning);
        if (promise.isCanceled())
            return;
        std::optional<Scan> found = run(predicate, keep, [&promise] { return promise.isCanceled(); });
        if (!promise.isCanceled())
            promise.addResult(std::move(found));
    });
}

void ClipboardSearch::prepare()
{
    const QMutexLocker lock(&m_scanning);
    if (!m_columnLookedFor && !m_filePath.isEmpty() && !m_column)
        renewColumn();
    m_columnLookedFor = true;
}

bool ClipboardSearch::waitForColumn()
{
    m_maker.waitForDone();
    const QMutexLocker lock(&m_scanning);
    return m_column != nullptr;
}

void ClipboardSearch::forget()
{
    const QMutexLocker lock(&m_scanning);
    ++m_forgotten;
    // The deleted text leaves the disk now: a scan reads the column through its own descriptor
    // and leaves out what the file logged as deleted since.
    if (::unlink(QFile::encodeName(columnPathOf(m_filePath)).constData()) != 0 && errno != ENOENT) {
        const int error = errno;
        qCWarning(lcStore) << "search: cannot remove the column of" << m_filePath << ":" << std::strerror(error);
    }
    if (m_columnLookedFor)
        renewColumn();
    else
        m_column.reset();
}

void ClipboardSearch::renewColumn()
{
    m_columnLookedFor = true;
    // Asked for under m_scanning, as the maker's last look is.
    if (m_making.exchange(true)) {
        m_makeAgain = true;
        return;
    }
    m_maker.start([this] {
        for (;;) {
            makeColumn();
            // Asked for again only under this lock, so no request is lost.
            const QMutexLocker lock(&m_scanning);
            if (!m_makeAgain.exchange(false) || m_closing) {
                m_making = false;
                return;
            }
        }
    });
}

std::shared_ptr<ClipboardSearch::Column> ClipboardSearch::found() const
{
    const QByteArray path = QFile::encodeName(columnPathOf(m_filePath));
    // What a making cut short left.
    ::unlink(partPathOf(m_filePath).constData());
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return nullptr;
    auto column = std::make_shared<Column>();
    column->fd = fd;
    struct stat status
    {
    };
    ColumnTail tail {};
    const auto tailSize = qint64(sizeof tail);
    bool whole = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size >= tailSize
        && readExactly(fd, &tail, tailSize, status.st_size - tailSize)
        && std::memcmp(tail.magic, columnMagic, sizeof columnMagic) == 0
        && tail.blockCount <= quint64(status.st_size) / sizeof(BlockPlace);
    const auto tableSize = qint64(tail.blockCount * sizeof(BlockPlace));
    const qint64 tableAt = status.st_size - tailSize - tableSize;
    if (whole && tableAt >= 0) {
        column->blocks.resize(tail.blockCount);
        whole = readExactly(fd, column->blocks.data(), tableSize, tableAt)
            && tableSumOf(column->blocks, tail) == tail.sum;
        qint64 next = 0;
        for (const BlockPlace &block : column->blocks) {
            whole = whole && block.offset == next && block.size > 0;
            next = block.offset + block.size;
        }
        whole = whole && next == tableAt;
    } else {
        whole = false;
    }
    bool current = false;
    Reader reader;
    if (whole && reader.open(m_filePath) && reader.begin()) {
        const std::optional<ColumnToken> token = reader.token();
        current = token && *token == tail.token && !reader.lostSince(tail.snapshot);
        reader.end();
    }
    if (!current) {
        qCDebug(lcStore) << "search: the column of" << m_filePath << "is not the file's; it is made afresh";
        if (::unlink(path.constData()) != 0) {
            const int error = errno;
            qCWarning(lcStore) << "search: cannot remove the column of" << m_filePath << ":" << std::strerror(error);
        }
        return nullptr;
    }
    column->token = tail.token;
    column->snapshot = tail.snapshot;
    column->largestPacked = tail.largestPacked;
    column->checked = std::make_unique<std::atomic<bool>[]>(column->blocks.size());
    return column;
}

std::shared_ptr<ClipboardSearch::Column> ClipboardSearch::written() const
{
    const QByteArray folder = QFile::encodeName(QFileInfo(m_filePath).absolutePath());
    int fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    // A file system without files of no name: the column is written under the part's name.
    const QByteArray part = partPathOf(m_filePath);
    if (fd < 0)
        fd = ::open(part.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    auto column = std::make_shared<Column>();
    column->fd = fd;
    Reader reader;
    std::optional<Snapshot> snapshot;
    BlockWriter block;
    if (reader.open(m_filePath) && reader.begin()) {
        qint64 written = 0;
        const auto flush = [&] {
            if (block.isEmpty())
                return true;
            const QByteArray stored = block.take();
            column->blocks.push_back({ written, stored.size(), checksumOf(stored.constData(), size_t(stored.size())) });
            written += stored.size();
            return !stored.isEmpty() && writeAll(fd, stored.constData(), size_t(stored.size()));
        };
        snapshot = reader.entries([&](const RecordHead &head, const QByteArrayView &text, const QByteArrayView &app) {
            block.append(head, text, app);
            return !m_closing && (block.size() < blockBytes || flush());
        });
        reader.end();
        if (snapshot && !flush())
            snapshot.reset();
    }
    bool whole = snapshot.has_value();
    if (whole) {
        ColumnTail tail {};
        QRandomGenerator::system()->generate(tail.token.begin(), tail.token.end());
        tail.snapshot = *snapshot;
        tail.blockCount = column->blocks.size();
        tail.largestPacked = block.largestPacked();
        tail.sum = tableSumOf(column->blocks, tail);
        std::memcpy(tail.magic, columnMagic, sizeof columnMagic);
        whole = writeAll(fd, column->blocks.data(), column->blocks.size() * sizeof(BlockPlace))
            && writeAll(fd, &tail, sizeof tail);
        column->token = tail.token;
        column->snapshot = tail.snapshot;
        column->largestPacked = tail.largestPacked;
    }
    if (!whole) {
        place(*column, false);
        return nullptr;
    }
    // Its blocks were summed as they were written.
    column->checked = std::make_unique<std::atomic<bool>[]>(column->blocks.size());
    for (size_t i = 0; i < column->blocks.size(); ++i)
        column->checked[i] = true;
    return column;
}

bool ClipboardSearch::place(const Column &column, bool named) const
{
    const QByteArray path = QFile::encodeName(columnPathOf(m_filePath));
    const QByteArray part = partPathOf(m_filePath);
    struct stat status
    {
    };
    const bool atPart = ::fstat(column.fd, &status) != 0 || status.st_nlink > 0;
    if (!named) {
        if (atPart)
            ::unlink(part.constData());
        return true;
    }
    // Through the process's own link to the file, which needs no privilege, unlike naming the
    // descriptor itself; then over the column before, at once.
    if (!atPart) {
        ::unlink(part.constData());
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(column.fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, part.constData(), AT_SYMLINK_FOLLOW) != 0)
            return false;
    }
    if (::rename(part.constData(), path.constData()) == 0)
        return true;
    ::unlink(part.constData());
    return false;
}

void ClipboardSearch::makeColumn()
{
    quint64 forgotten = 0;
    {
        const QMutexLocker lock(&m_scanning);
        forgotten = m_forgotten;
    }
    const std::shared_ptr<Column> made = written();
    {
        const QMutexLocker lock(&m_scanning);
        // Named under the lock the scans take. One whose snapshot may hold an entry deleted
        // since is never named, and serves until the one made after the deletion is ready.
        if (!made || !place(*made, m_forgotten == forgotten)) {
            if (!m_closing)
                qCWarning(lcStore) << "search: cannot make the column of" << m_filePath;
            return;
        }
        m_column = made;
    }
    // What the column holds needs no log: the scans from now on read only what follows it.
    Reader pairer;
    if (!pairer.open(m_filePath, false) || !pairer.pair(made->token, made->snapshot.mark))
        qCDebug(lcStore) << "search: the change log of" << m_filePath << "is kept for now";
}

std::optional<ClipboardSearch::Scan> ClipboardSearch::run(
    const ClipboardItem::Predicate &predicate, qint64 keep, const Stopped &stopped)
{
    if (m_filePath.isEmpty() || std::min(QThread::idealThreadCount(), maximumSpans) < 2)
        return std::nullopt;
    // Held here: a damaged column is let go of during its scan.
    const std::shared_ptr<const Column> column = m_column;
    if (!column) {
        if (!m_columnLookedFor)
            renewColumn();
        return runSpans(predicate, keep, stopped);
    }
    return runColumn(*column, predicate, keep, stopped);
}

bool ClipboardSearch::openReaders(int count)
{
    while (int(m_readers.size()) < count) {
        auto reader = std::make_unique<Reader>();
        if (!reader->open(m_filePath)) {
            qCWarning(lcStore) << "search: cannot open a reader of" << m_filePath;
            return false;
        }
        m_readers.push_back(std::move(reader));
    }
    return true;
}

std::optional<ClipboardSearch::Scan> ClipboardSearch::runSpans(
    const ClipboardItem::Predicate &predicate, qint64 keep, const Stopped &stopped)
{
    const int spans = std::min(QThread::idealThreadCount(), maximumSpans);
    if (!openReaders(spans))
        return std::nullopt;
    const std::optional<std::pair<qint64, qint64>> bounds = m_readers.front()->bounds();
    if (!bounds || bounds->second - bounds->first < splitRows)
        return std::nullopt;
    m_pool.setMaxThreadCount(spans - 1);

    const QByteArray where = condition(predicate).toUtf8();
    const QVariantList values = bindings(predicate);
    const auto newest = size_t(std::max<qint64>(keep, 0));
    const qint64 width = (bounds->second - bounds->first + spans - 1) / spans;
    std::vector<std::optional<qint64>> counts(static_cast<size_t>(spans));
    std::vector<std::vector<Hit>> hits(static_cast<size_t>(spans));
    auto scanSpan = [&](int span) {
        const qint64 from = bounds->first + width * span;
        counts[size_t(span)] = m_readers[size_t(span)]->scan(
            where, values, from, std::min(from + width, bounds->second), newest, hits[size_t(span)], stopped);
    };
    QList<QFuture<void>> others;
    for (int span = 1; span < spans; ++span)
        others << QtConcurrent::run(&m_pool, scanSpan, span);
    scanSpan(0);
    for (QFuture<void> &other : others)
        other.waitForFinished();

    Scan total;
    std::vector<Hit> merged;
    for (size_t span = 0; span < counts.size(); ++span) {
        if (!counts[span])
            return std::nullopt;
        total.count += *counts[span];
        merged.insert(merged.end(), hits[span].begin(), hits[span].end());
    }
    keepNewest(merged, newest);
    total.rows.reserve(qsizetype(merged.size()));
    for (const Hit &hit : merged)
        total.rows.append(hit.seq);
    return total;
}

std::optional<ClipboardSearch::Scan> ClipboardSearch::runColumn(
    const Column &column, const ClipboardItem::Predicate &predicate, qint64 keep, const Stopped &stopped)
{
    const QByteArray needle = predicate.folded.toUtf8();
    // A zero byte parts an entry's content from its source name in the column.
    if (needle.contains('\0') || !openReaders(1))
        return runSpans(predicate, keep, stopped);
    Reader &reader = *m_readers.front();
    if (!reader.begin())
        return std::nullopt;
    std::optional<std::vector<qint64>> changed = reader.changedSince(column.snapshot.mark);
    // A history cleared whole since, or changed so much that reading the changes would be slower.
    const size_t stale = std::max(renewAfter, size_t(column.snapshot.lastSeq / 100));
    if (!changed || (!changed->empty() && changed->front() < 0) || changed->size() > 8 * stale) {
        reader.end();
        renewColumn();
        return changed ? runSpans(predicate, keep, stopped) : std::nullopt;
    }
    // Entries added since count as much: each is read through SQLite.
    const std::optional<std::pair<qint64, qint64>> bounds = reader.bounds();
    const qint64 added = bounds ? std::max<qint64>(bounds->second - 1 - column.snapshot.lastSeq, 0) : 0;
    if (changed->size() + size_t(added) > stale)
        renewColumn();

    const int threads = std::min(QThread::idealThreadCount(), maximumSpans);
    m_pool.setMaxThreadCount(threads - 1);
    const auto newest = size_t(std::max<qint64>(keep, 0));
    const BlockScan needles { *changed, needle,
        predicate.kindWord.isEmpty() ? quint8(0) : kindCode(predicate.kindWord.toUtf8()),
        anchorOf(needle.constData(), size_t(needle.size())), newest, column.largestPacked };
    std::atomic<size_t> next = 0;
    std::atomic<bool> damaged = false;
    std::atomic<bool> halted = false;
    std::vector<qint64> counts(static_cast<size_t>(threads), 0);
    std::vector<std::vector<Hit>> hits(static_cast<size_t>(threads));
    auto scanBlocks = [&](int thread) {
        std::vector<char> stored;
        std::vector<char> unpacked;
        std::vector<Hit> &found = hits[size_t(thread)];
        for (size_t block = 0; !damaged && !halted && (block = next++) < column.blocks.size();) {
            if (stopped()) {
                halted = true;
                return;
            }
            const BlockPlace &place = column.blocks[block];
            stored.resize(size_t(place.size));
            std::atomic<bool> &checked = column.checked[block];
            if (!readExactly(column.fd, stored.data(), place.size, place.offset)
                || (!checked.load(std::memory_order_relaxed) && checksumOf(stored.data(), stored.size()) != place.sum)
                || !needles.scan(stored.data(), place.size, counts[size_t(thread)], found, unpacked)) {
                damaged = true;
                return;
            }
            checked.store(true, std::memory_order_relaxed);
        }
        keepNewest(found, newest);
    };
    QList<QFuture<void>> others;
    for (int thread = 1; thread < threads; ++thread)
        others << QtConcurrent::run(&m_pool, scanBlocks, thread);

    // Meanwhile, the entries added or changed since the snapshot, as they are now.
    const QByteArray where = condition(predicate).toUtf8();
    const QVariantList values = bindings(predicate);
    std::vector<Hit> recent;
    const std::optional<qint64> fresh
        = reader.select("i.seq > ?", { column.snapshot.lastSeq }, where, values, newest, recent, stopped);
    const std::optional<qint64> renewed = fresh
        ? reader.select("i.seq <= ? AND i.seq IN (SELECT seq FROM clipboard_change WHERE n > ?)",
            { column.snapshot.lastSeq, column.snapshot.mark }, where, values, newest, recent, stopped)
        : std::nullopt;
    reader.end();
    scanBlocks(0);
    for (QFuture<void> &other : others)
        other.waitForFinished();

    if (damaged) {
        qCWarning(lcStore) << "search: the column of" << m_filePath << "is damaged; it is made afresh";
        // Only its own file: a column made since may have its name.
        const QByteArray path = QFile::encodeName(columnPathOf(m_filePath));
        if (column.isAt(path))
            ::unlink(path.constData());
        m_column.reset();
        renewColumn();
        return halted ? std::nullopt : runSpans(predicate, keep, stopped);
    }
    if (halted || !fresh || !renewed)
        return std::nullopt;
    Scan total;
    total.count = *fresh + *renewed;
    std::vector<Hit> merged = std::move(recent);
    for (size_t thread = 0; thread < hits.size(); ++thread) {
        total.count += counts[thread];
        merged.insert(merged.end(), hits[thread].begin(), hits[thread].end());
    }
    keepNewest(merged, newest);
    total.rows.reserve(qsizetype(merged.size()));
    for (const Hit &hit : merged)
        total.rows.append(hit.seq);
    return total;
}
