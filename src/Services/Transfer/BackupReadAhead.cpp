#include "Services/Transfer/BackupReadAhead.h"

#include "Services/Transfer/BackupSource.h"

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

BackupReadAhead::BackupReadAhead(
    const BackupSource &source, BackupDecoder::Reading reading, const BackupReader::Splitting &splitting)
    : m_source(source)
    , m_reading(reading)
    , m_knownId(splitting.knownId)
    , m_pool(splitting.pool ? *splitting.pool : *QThreadPool::globalInstance())
    // A piece read for keys holds little, so that many are read ahead: the pool keeps reading
    // while the reading from the start goes through the todos. One read for records holds its
    // entries whole.
    , m_ahead(size_t(std::max(2, (reading == BackupDecoder::Reading::Keys ? 16 : 2) * m_pool.maxThreadCount())))
{
    const qint64 size = source.size();
    const qint64 pieceBytes = std::max<qint64>(splitting.pieceBytes, 1);
    QByteArray window(qsizetype(std::max<qint64>(splitting.searchBytes, 2)), Qt::Uninitialized);
    for (qint64 at = pieceBytes; at < size; at += pieceBytes) {
        if (!m_starts.empty() && at <= m_starts.back())
            continue;
        const qint64 got = source.read(at - 1, window.data(), window.size());
        const qsizetype found = got > 1 ? QByteArrayView(window.constData(), got).indexOf(QByteArrayView("\n{")) : -1;
        if (found >= 0)
            m_starts.push_back(at - 1 + found + 1);
    }
    m_results.resize(m_starts.size());
    launch();
}

BackupReadAhead::~BackupReadAhead()
{
    for (QFuture<BackupDecoder::Piece> &result : m_results)
        result.waitForFinished();
    for (QFuture<BackupDecoder::Piece> &result : m_released)
        result.waitForFinished();
}

std::optional<BackupDecoder::Piece> BackupReadAhead::take(qint64 offset)
{
    while (m_next < m_starts.size() && m_starts[m_next] < offset)
        release(m_next++);
    // More pieces may have been passed than were read ahead: those are never read.
    m_launched = std::max(m_launched, m_next);
    launch();
    if (m_next == m_starts.size() || m_starts[m_next] != offset)
        return std::nullopt;
    BackupDecoder::Piece piece = m_results[m_next].result();
    release(m_next++);
    launch();
    if (!piece.usable)
        return std::nullopt;
    return piece;
}

void BackupReadAhead::launch()
{
    for (; m_launched < m_starts.size() && m_launched < m_next + m_ahead; ++m_launched) {
        const qint64 start = m_starts[m_launched];
        const qint64 end = m_launched + 1 < m_starts.size() ? m_starts[m_launched + 1] : m_source.size();
        m_results[m_launched] = QtConcurrent::run(&m_pool, [this, start, end] { return read(start, end); });
    }
}

void BackupReadAhead::release(size_t piece)
{
    std::erase_if(m_released, [](const QFuture<BackupDecoder::Piece> &result) { return result.isFinished(); });
    if (!m_results[piece].isFinished())
        m_released.push_back(std::move(m_results[piece]));
    m_results[piece] = {};
}

BackupDecoder::Piece BackupReadAhead::read(qint64 start, qint64 end) const
{
    BackupDecoder::Piece piece;
    const qint64 length = end - start;
    std::vector<char> buffer(static_cast<size_t>(length));
    if (m_source.read(start, buffer.data(), length) != length
        || !BackupDecoder::readElements(buffer.data(), length, start, m_reading, piece, &m_knownId))
        return BackupDecoder::Piece();
    return piece;
}
