#include "Services/Clipboard/SearchColumn.h"

#include "Models/Clipboard/ClipboardKind.h"
#include "Platform/Logging.h"
#include "Services/Clipboard/SearchFolding.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <limits>

#include <xxhash.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Blocks are read whole by one thread: large enough for few reads, small enough for many threads,
// each holding one in memory while the search runs (a megabyte each came to a tenth of the
// application's memory).
constexpr qint64 blockBytes = qint64(1) << 18;
// Raised whenever the columns made before are to be made afresh: their layout, their sums or
// the size of their blocks changed.
constexpr char columnMagic[8] = { 'V', 'c', 'l', 'i', 'p', 'c', 'o', '7' };

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

// XXH3: many bytes a cycle, so that checking a block as a scan first reads it costs little
// beside the scan, and any byte changed, lost or moved changes it.
quint64 checksumOf(const char *bytes, size_t size, quint64 seed = 0)
{
    return XXH3_64bits_withSeed(bytes, size, seed);
}

bool writeAt(int fd, const void *bytes, size_t size, qint64 offset)
{
    const auto *at = static_cast<const char *>(bytes);
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, at, size, off_t(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        at += written;
        offset += written;
        size -= size_t(written);
    }
    return true;
}

bool readExactly(int fd, void *into, qint64 size, qint64 offset)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, static_cast<char *>(into) + done, size_t(size - done), off_t(offset + done));
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

// Where a column is named before it takes the column's name (and, where the file system has no
// files without a name, written).
QByteArray partPathOf(const QString &filePath)
{
    return QFile::encodeName(SearchColumn::pathOf(filePath)) + ".part";
}

bool unlinked(const QByteArray &path)
{
    if (::unlink(path.constData()) == 0 || errno == ENOENT)
        return true;
    const int error = errno;
    qCWarning(lcStore) << "search: cannot remove" << path << ":" << std::strerror(error);
    return false;
}

} // namespace

// The column's last bytes, after its table of blocks.
struct SearchColumn::Tail
{
    Token token;
    Snapshot snapshot;
    quint64 blockCount;
    // Of the table of blocks and of what comes before this in the tail.
    quint64 sum;
    char magic[8];
};

SearchColumn::~SearchColumn()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString SearchColumn::pathOf(const QString &filePath)
{
    return filePath + QStringLiteral("-search");
}

quint64 SearchColumn::sumOf(const std::vector<Block> &blocks, const Tail &tail)
{
    const quint64 table = checksumOf(reinterpret_cast<const char *>(blocks.data()), blocks.size() * sizeof(Block));
    return checksumOf(reinterpret_cast<const char *>(&tail), offsetof(Tail, sum), table);
}

std::shared_ptr<SearchColumn> SearchColumn::found(const QString &filePath)
{
    unlinked(partPathOf(filePath));
    const QByteArray path = QFile::encodeName(pathOf(filePath));
    // Written too: a deletion erases its entries' records in place.
    const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return nullptr;
    std::shared_ptr<SearchColumn> column(new SearchColumn);
    column->m_fd = fd;
    struct stat status
    {
    };
    Tail tail {};
    const auto tailSize = qint64(sizeof tail);
    bool whole = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size >= tailSize
        && readExactly(fd, &tail, tailSize, status.st_size - tailSize)
        && std::memcmp(tail.magic, columnMagic, sizeof columnMagic) == 0
        && tail.blockCount <= quint64(status.st_size) / sizeof(Block);
    const auto tableSize = qint64(tail.blockCount * sizeof(Block));
    const qint64 tableAt = status.st_size - tailSize - tableSize;
    whole = whole && tableAt >= 0;
    if (whole) {
        column->m_blocks.resize(tail.blockCount);
        whole
            = readExactly(fd, column->m_blocks.data(), tableSize, tableAt) && sumOf(column->m_blocks, tail) == tail.sum;
        qint64 next = 0;
        for (const Block &block : column->m_blocks) {
            whole = whole && block.offset == next && block.size > 0;
            next = block.offset + block.size;
        }
        whole = whole && next == tableAt;
    }
    if (!whole) {
        qCDebug(lcStore) << "search: the column of" << filePath << "is not whole; it is made afresh";
        unlinked(path);
        return nullptr;
    }
    column->m_token = tail.token;
    column->m_snapshot = tail.snapshot;
    column->m_tableAt = tableAt;
    column->m_checked = std::make_unique<std::atomic<bool>[]>(column->m_blocks.size());
    return column;
}

bool SearchColumn::removeAt(const QString &filePath)
{
    return unlinked(QFile::encodeName(pathOf(filePath)));
}

quint8 SearchColumn::kindCode(QByteArrayView word)
{
    const std::optional<ClipboardKind> kind = ClipboardKinds::fromStoredValue(QString::fromUtf8(word));
    return kind ? quint8(int(*kind) + 1) : 0;
}

void SearchColumn::keepNewest(std::vector<Hit> &hits, size_t keep)
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

bool SearchColumn::place(const QString &filePath, bool named) const
{
    const QByteArray part = partPathOf(filePath);
    struct stat status
    {
    };
    const bool atPart = ::fstat(m_fd, &status) != 0 || status.st_nlink > 0;
    if (!named)
        return !atPart || unlinked(part);
    // Through the process's own link to the file, which needs no privilege, unlike naming the
    // descriptor itself; then over the column before, at once.
    if (!atPart) {
        unlinked(part);
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, part.constData(), AT_SYMLINK_FOLLOW) != 0)
            return false;
    }
    if (::rename(part.constData(), QFile::encodeName(pathOf(filePath)).constData()) == 0)
        return true;
    unlinked(part);
    return false;
}

void SearchColumn::remove(const QString &filePath) const
{
    const QByteArray path = QFile::encodeName(pathOf(filePath));
    struct stat own
    {
    };
    struct stat named
    {
    };
    if (::fstat(m_fd, &own) == 0 && ::stat(path.constData(), &named) == 0 && own.st_dev == named.st_dev
        && own.st_ino == named.st_ino)
        unlinked(path);
}

bool SearchColumn::verify(size_t index, std::vector<char> &buffer) const
{
    const Block &block = m_blocks[index];
    std::atomic<bool> &checked = m_checked[index];
    if (checked.load(std::memory_order_relaxed))
        return true;
    buffer.resize(size_t(block.size));
    if (!readExactly(m_fd, buffer.data(), block.size, block.offset)
        || checksumOf(buffer.data(), size_t(block.size)) != block.sum)
        return false;
    checked.store(true, std::memory_order_relaxed);
    return true;
}

bool SearchColumn::scan(
    size_t index, const Needles &needles, qint64 &count, std::vector<Hit> &hits, std::vector<char> &buffer) const
{
    const Block &block = m_blocks[index];
    buffer.resize(size_t(block.size));
    if (!readExactly(m_fd, buffer.data(), block.size, block.offset))
        return false;
    const char *const stored = buffer.data();
    std::atomic<bool> &checked = m_checked[index];
    if (!checked.load(std::memory_order_relaxed)) {
        if (checksumOf(stored, size_t(block.size)) != block.sum)
            return false;
        checked.store(true, std::memory_order_relaxed);
    }
    const char *at = stored;
    const char *const end = at + block.size;
    const char *const needle = needles.text.constData();
    const auto needleSize = size_t(needles.text.size());
    // The needle is looked for in the whole block rather than text by text: `found`, the next
    // place it occurs from the text on, skips at once every text that does not hold it. A
    // place that straddles a record's end is no match, and the search goes on past it.
    const auto next = [&](const char *from) {
        return SearchFolding::find(from, size_t(end - from), needle, needleSize, needles.anchor);
    };
    const char *found = next(at);
    qint64 seq = 0;
    qint64 copiedAt = 0;
    // Once the needle occurs no more, only a kind's match is left to find.
    while (at < end && (found || needles.kind != 0)) {
        quint64 seqStep = 0;
        quint64 copiedStep = 0;
        quint64 textSize = 0;
        if (!takeNumber(at, end, seqStep) || !takeNumber(at, end, copiedStep) || at == end)
            return false;
        const auto recordKind = static_cast<quint8>(*at++);
        if (!takeNumber(at, end, textSize) || quint64(end - at) < textSize)
            return false;
        const char *const text = at;
        at += textSize;
        seq = stepped(seq, seqStep);
        copiedAt = stepped(copiedAt, copiedStep);
        if (found && found < text)
            found = next(text);
        bool match = found && found + needleSize <= at;
        if (found && found < at)
            found = next(at);
        match = match || (needles.kind != 0 && recordKind == needles.kind);
        if (!match || std::binary_search(needles.changed.cbegin(), needles.changed.cend(), seq)
            || holds(needles.hiddenSpans, copiedAt))
            continue;
        ++count;
        if (needles.newest == 0)
            continue;
        hits.push_back({ copiedAt, seq });
        if (hits.size() >= 4 * needles.newest + 1024)
            keepNewest(hits, needles.newest);
    }
    return true;
}

bool SearchColumn::writeTable() const
{
    Tail tail {};
    tail.token = m_token;
    tail.snapshot = m_snapshot;
    tail.blockCount = m_blocks.size();
    tail.sum = sumOf(m_blocks, tail);
    std::memcpy(tail.magic, columnMagic, sizeof columnMagic);
    const size_t tableSize = m_blocks.size() * sizeof(Block);
    return writeAt(m_fd, m_blocks.data(), tableSize, m_tableAt)
        && writeAt(m_fd, &tail, sizeof tail, m_tableAt + qint64(tableSize));
}

bool SearchColumn::erase(const std::vector<qint64> &seqs)
{
    if (seqs.empty())
        return true;
    if (m_firstRows.empty()) {
        for (size_t index = 0; index < m_blocks.size(); ++index) {
            std::array<char, 10> head {};
            const qint64 size = std::min<qint64>(qint64(head.size()), m_blocks[index].size);
            quint64 first = 0;
            const char *at = head.data();
            if (!readExactly(m_fd, head.data(), size, m_blocks[index].offset) || !takeNumber(at, at + size, first))
                return false;
            m_firstRows.emplace_back(stepped(0, first), index);
        }
        std::sort(m_firstRows.begin(), m_firstRows.end());
    }
    std::vector<char> buffer;
    auto next = seqs.cbegin();
    for (size_t place = 0; place < m_firstRows.size() && next != seqs.cend(); ++place) {
        const qint64 end
            = place + 1 < m_firstRows.size() ? m_firstRows[place + 1].first : std::numeric_limits<qint64>::max();
        next = std::lower_bound(next, seqs.cend(), m_firstRows[place].first);
        if (next == seqs.cend() || *next >= end)
            continue;
        const size_t index = m_firstRows[place].second;
        Block &block = m_blocks[index];
        buffer.resize(size_t(block.size));
        // A block that does not match its sum is not summed afresh as if it were whole.
        if (!readExactly(m_fd, buffer.data(), block.size, block.offset)
            || checksumOf(buffer.data(), size_t(block.size)) != block.sum)
            return false;
        const char *at = buffer.data();
        const char *const stop = at + block.size;
        qint64 seq = 0;
        while (at < stop && next != seqs.cend() && *next < end) {
            quint64 seqStep = 0;
            quint64 copiedStep = 0;
            quint64 textSize = 0;
            if (!takeNumber(at, stop, seqStep) || !takeNumber(at, stop, copiedStep) || at == stop)
                return false;
            char *const kind = buffer.data() + (at - buffer.data());
            ++at;
            if (!takeNumber(at, stop, textSize) || quint64(stop - at) < textSize)
                return false;
            seq = stepped(seq, seqStep);
            while (next != seqs.cend() && *next < seq)
                ++next;
            if (next != seqs.cend() && *next == seq) {
                *kind = 0;
                std::memset(buffer.data() + (at - buffer.data()), 0, size_t(textSize));
                ++m_erased;
                ++next;
            }
            at += textSize;
        }
        block.sum = checksumOf(buffer.data(), size_t(block.size));
        m_checked[index] = true;
        if (!writeAt(m_fd, buffer.data(), size_t(block.size), block.offset))
            return false;
    }
    // Another token: the file pairs with the column erased, no copy of it from before.
    QRandomGenerator::system()->generate(m_token.begin(), m_token.end());
    return writeTable() && ::fdatasync(m_fd) == 0;
}

SearchColumn::Writer::Writer(const QString &filePath)
    : m_filePath(filePath)
    , m_column(new SearchColumn)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(filePath).absolutePath());
    m_column->m_fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_column->m_fd < 0)
        m_column->m_fd = ::open(partPathOf(filePath).constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    m_failed = m_column->m_fd < 0;
}

SearchColumn::Writer::~Writer()
{
    if (m_column && m_column->m_fd >= 0)
        m_column->place(m_filePath, false);
}

bool SearchColumn::Writer::put(const QByteArray &block)
{
    if (m_failed)
        return false;
    const auto size = qint64(block.size());
    const quint64 sum = checksumOf(block.constData(), size_t(size));
    qint64 offset = 0;
    {
        const QMutexLocker lock(&m_placing);
        offset = m_written;
        m_written += size;
        m_column->m_blocks.push_back({ offset, size, sum });
    }
    if (!writeAt(m_column->m_fd, block.constData(), size_t(size), offset))
        m_failed = true;
    return !m_failed;
}

std::shared_ptr<SearchColumn> SearchColumn::Writer::finish(const Snapshot &snapshot)
{
    if (m_failed)
        return nullptr;
    SearchColumn &column = *m_column;
    QRandomGenerator::system()->generate(column.m_token.begin(), column.m_token.end());
    column.m_snapshot = snapshot;
    column.m_tableAt = m_written;
    if (!column.writeTable())
        return nullptr;
    // Its blocks were summed as they were written.
    column.m_checked = std::make_unique<std::atomic<bool>[]>(column.m_blocks.size());
    for (size_t i = 0; i < column.m_blocks.size(); ++i)
        column.m_checked[i] = true;
    return std::exchange(m_column, nullptr);
}

SearchColumn::Blocks::Blocks(Writer &writer)
    : m_writer(writer)
{
}

// A block's records, each its row and last copy as the step from the record before (neighbours
// are close in both), its kind, and the size of the text that follows: a few bytes an entry.
// Nothing is compressed: unpacking the few long texts, which hold most of a history's bytes,
// cost a scan several times what reading them as they are does.
bool SearchColumn::Blocks::append(const Record &record, QByteArrayView text, QByteArrayView app)
{
    if (m_writer.failed())
        return false;
    putNumber(m_block, step(m_seq, record.seq));
    putNumber(m_block, step(m_copiedAt, record.copiedAt));
    m_seq = record.seq;
    m_copiedAt = record.copiedAt;
    m_block.append(char(record.kind));
    putNumber(m_block, record.textSize);
    m_block.append(text);
    m_block.append('\0');
    m_block.append(app);
    return m_block.size() < blockBytes || flush();
}

bool SearchColumn::Blocks::flush()
{
    if (m_block.isEmpty())
        return !m_writer.failed();
    const bool put = m_writer.put(m_block);
    m_block.truncate(0);
    m_seq = 0;
    m_copiedAt = 0;
    return put;
}
