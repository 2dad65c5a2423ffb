#include "Services/Clipboard/ClipboardSearch.h"

#include "Platform/Logging.h"

#include <QFile>
#include <QFuture>
#include <QPromise>
#include <QStringDecoder>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <lz4.h>
#include <lz4hc.h>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <bitset>
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

struct ColumnTail
{
    quint64 fileId;
    qint64 mark;
    qint64 lastSeq;
    quint64 blockCount;
    quint64 largestPacked;
    char magic[8];
};

constexpr char columnMagic[8] = { 'V', 'c', 'l', 'i', 'p', 'c', 'o', '3' };
// The column is made afresh once this many entries changed since its snapshot (or a hundredth
// of the history, if more): each of them is looked for through SQLite.
constexpr size_t renewAfter = 4096;

QString columnPathOf(const QString &filePath)
{
    return filePath + QStringLiteral("-search");
}

// Which file the column was made from: a file put in its place is another one.
quint64 fileIdOf(const QString &filePath)
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(filePath).constData(), &status) != 0)
        return 0;
    return quint64(status.st_ino);
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
    std::optional<ColumnTail> entries(
        const std::function<bool(const RecordHead &, const QByteArrayView &text, const QByteArrayView &app)> &each)
    {
        std::optional<ColumnTail> tail;
        sqlite3_stmt *mark
            = prepared("SELECT coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'clipboard_change'), 0)");
        if (mark && sqlite3_step(mark) == SQLITE_ROW)
            tail = ColumnTail { 0, sqlite3_column_int64(mark, 0), 0, 0, 0, {} };
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

    // Forgets the changes numbered up to `mark`.
    bool prune(qint64 mark)
    {
        sqlite3_stmt *statement = prepared("DELETE FROM clipboard_change WHERE n <= ?");
        const bool done = statement && sqlite3_bind_int64(statement, 1, mark) == SQLITE_OK
            && sqlite3_step(statement) == SQLITE_DONE;
        finish(statement);
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
// blocks' places and what the snapshot saw. A cache of the file, kept in this machine's byte
// order and made afresh whenever it is missing, damaged or belongs to another file.
struct ClipboardSearch::Column
{
    QString path;
    // The last change logged when the snapshot was taken, and its newest entry.
    qint64 mark = 0;
    qint64 lastSeq = 0;
    // Each block's offset and size in bytes.
    std::vector<std::pair<qint64, qint64>> blocks;
    // The most bytes a compressed text unpacks to.
    quint64 largestPacked = 0;
};

ClipboardSearch::ClipboardSearch(QString filePath)
    : m_filePath(std::move(filePath))
{
    m_background.setMaxThreadCount(1);
    m_maker.setMaxThreadCount(1);
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
    if (!m_columnLookedFor && !m_filePath.isEmpty())
        renewColumn();
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
    if (m_columnLookedFor)
        renewColumn();
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
        // The file found at first may be used; one asked for later is made afresh.
        bool mayLoad = !m_loadedOnce.exchange(true);
        for (;;) {
            makeColumn(mayLoad);
            mayLoad = false;
            // Asked for again only under this lock, so no request is lost.
            const QMutexLocker lock(&m_scanning);
            if (!m_makeAgain.exchange(false) || m_closing) {
                m_making = false;
                return;
            }
        }
    });
}

void ClipboardSearch::makeColumn(bool mayLoad)
{
    const QString path = columnPathOf(m_filePath);
    const QByteArray encoded = QFile::encodeName(path);
    const quint64 fileId = fileIdOf(m_filePath);
    const auto load = [&]() -> std::shared_ptr<Column> {
        const int fd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return nullptr;
        std::shared_ptr<Column> column;
        struct stat status
        {
        };
        ColumnTail tail {};
        const auto tailSize = qint64(sizeof tail);
        if (::fstat(fd, &status) == 0 && status.st_size >= tailSize
            && readExactly(fd, &tail, tailSize, status.st_size - tailSize)
            && std::memcmp(tail.magic, columnMagic, sizeof columnMagic) == 0 && tail.fileId == fileId
            && tail.blockCount <= quint64(status.st_size) / 16) {
            const qint64 tableAt = status.st_size - tailSize - qint64(tail.blockCount) * 16;
            auto found = std::make_shared<Column>();
            found->path = path;
            found->mark = tail.mark;
            found->lastSeq = tail.lastSeq;
            found->largestPacked = tail.largestPacked;
            found->blocks.resize(tail.blockCount);
            qint64 next = 0;
            bool whole = tableAt >= 0
                && readExactly(fd, found->blocks.data(), qint64(tail.blockCount) * 16, tableAt).has_value();
            for (const auto &[offset, size] : found->blocks) {
                whole = whole && offset == next && size > 0;
                next = offset + size;
            }
            if (whole && next == tableAt)
                column = std::move(found);
        }
        ::close(fd);
        return column;
    };

    std::shared_ptr<Column> made;
    {
        const QMutexLocker lock(&m_scanning);
        if (mayLoad && !m_column)
            made = load();
    }
    if (!made) {
        // Written beside it and put in its place whole, so that a reader never sees half of it.
        const QByteArray part = encoded + ".part";
        const int fd = ::open(part.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        Reader reader;
        std::optional<ColumnTail> tail;
        std::vector<std::pair<qint64, qint64>> blocks;
        if (fd >= 0 && reader.open(m_filePath) && reader.begin()) {
            BlockWriter block;
            qint64 written = 0;
            const auto flush = [&] {
                if (block.isEmpty())
                    return true;
                const QByteArray stored = block.take();
                const bool whole
                    = !stored.isEmpty() && ::write(fd, stored.constData(), size_t(stored.size())) == stored.size();
                blocks.emplace_back(written, stored.size());
                written += stored.size();
                return whole;
            };
            tail = reader.entries([&](const RecordHead &head, const QByteArrayView &text, const QByteArrayView &app) {
                block.append(head, text, app);
                return !m_closing && (block.size() < blockBytes || flush());
            });
            reader.end();
            if (tail && flush()) {
                tail->fileId = fileId;
                tail->blockCount = blocks.size();
                tail->largestPacked = block.largestPacked();
                std::memcpy(tail->magic, columnMagic, sizeof columnMagic);
                const auto tableSize = ssize_t(blocks.size() * sizeof blocks.front());
                if (::write(fd, blocks.data(), size_t(tableSize)) != tableSize
                    || ::write(fd, &*tail, sizeof *tail) != ssize_t(sizeof *tail))
                    tail.reset();
            } else {
                tail.reset();
            }
        }
        if (fd >= 0)
            ::close(fd);
        if (!tail || ::rename(part.constData(), encoded.constData()) != 0) {
            ::unlink(part.constData());
            if (!m_closing)
                qCWarning(lcStore) << "search: cannot make the column of" << m_filePath;
            return;
        }
        made = std::make_shared<Column>();
        made->path = path;
        made->mark = tail->mark;
        made->lastSeq = tail->lastSeq;
        made->largestPacked = tail->largestPacked;
        made->blocks = std::move(blocks);
    }
    {
        const QMutexLocker lock(&m_scanning);
        m_column = made;
    }
    // What the column holds needs no log: the scans from now on read only what follows it.
    Reader pruner;
    if (!pruner.open(m_filePath, false) || !pruner.prune(made->mark))
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
    std::optional<std::vector<qint64>> changed = reader.changedSince(column.mark);
    // A history cleared whole since, or changed so much that reading the changes would be slower.
    const size_t stale = std::max(renewAfter, size_t(column.lastSeq / 100));
    if (!changed || (!changed->empty() && changed->front() < 0) || changed->size() > 8 * stale) {
        reader.end();
        renewColumn();
        return changed ? runSpans(predicate, keep, stopped) : std::nullopt;
    }
    // Entries added since count as much: each is read through SQLite.
    const std::optional<std::pair<qint64, qint64>> bounds = reader.bounds();
    const qint64 added = bounds ? std::max<qint64>(bounds->second - 1 - column.lastSeq, 0) : 0;
    if (changed->size() + size_t(added) > stale)
        renewColumn();

    const int fd = ::open(QFile::encodeName(column.path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        reader.end();
        m_column.reset();
        renewColumn();
        return runSpans(predicate, keep, stopped);
    }
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
            const auto [offset, size] = column.blocks[block];
            stored.resize(size_t(size));
            if (!readExactly(fd, stored.data(), size, offset)
                || !needles.scan(stored.data(), size, counts[size_t(thread)], found, unpacked)) {
                damaged = true;
                return;
            }
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
        = reader.select("i.seq > ?", { column.lastSeq }, where, values, newest, recent, stopped);
    const std::optional<qint64> renewed = fresh
        ? reader.select("i.seq <= ? AND i.seq IN (SELECT seq FROM clipboard_change WHERE n > ?)",
            { column.lastSeq, column.mark }, where, values, newest, recent, stopped)
        : std::nullopt;
    reader.end();
    scanBlocks(0);
    for (QFuture<void> &other : others)
        other.waitForFinished();
    ::close(fd);

    if (damaged) {
        qCWarning(lcStore) << "search: the column of" << m_filePath << "is damaged; it is made afresh";
        ::unlink(QFile::encodeName(column.path).constData());
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
