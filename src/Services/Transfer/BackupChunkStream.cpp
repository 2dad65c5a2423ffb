#include "Services/Transfer/BackupChunkStream.h"

#include "Platform/Logging.h"
#include "Services/Transfer/BackupSource.h"

#include <algorithm>
#include <array>

BackupChunkStream::BackupChunkStream(const BackupSource &source)
    : m_source(source)
    // A small input takes no more room than it needs: a chunk would be cleared for nothing.
    , m_storage(size_t(std::clamp<qint64>(source.size(), 0, chunkSize)) + 1)
{
    m_chunkStart = m_current = m_last = m_storage.data();
    refill(0);
    skipByteOrderMark();
}

void BackupChunkStream::jump(qint64 to)
{
    if (to <= m_chunkOffset + (m_last - m_chunkStart)) {
        m_current = m_chunkStart + (to - m_chunkOffset);
        if (m_current == m_last && !m_eof)
            refill(to);
        return;
    }
    refill(to);
}

void BackupChunkStream::refill(qint64 at)
{
    char *buffer = m_storage.data();
    const qint64 read = m_source.read(at, buffer, qint64(m_storage.size()) - 1);
    const qint64 got = std::max<qint64>(read, 0);
    buffer[got] = '\0';
    m_chunkOffset = at;
    m_chunkStart = m_current = buffer;
    m_last = buffer + got;
    if (got == 0)
        m_eof = true;
    if (read < 0) {
        qCWarning(lcTransfer) << "An export file could not be read to its end:" << m_source.errorString();
        m_failed = true;
    }
}

void BackupChunkStream::skipByteOrderMark()
{
    static constexpr std::array<unsigned char, 3> mark { 0xEF, 0xBB, 0xBF };
    for (const unsigned char byte : mark) {
        if (static_cast<unsigned char>(Peek()) != byte)
            return;
        advance();
    }
}
