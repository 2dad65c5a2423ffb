#pragma once

#include "Services/Transfer/BackupDecoder.h"
#include "Services/Transfer/BackupReader.h"

#include <QFuture>
#include <QThreadPool>

#include <optional>
#include <vector>

class BackupSource;

// The entries' list split into pieces at the lines that start with '{', which the export
// writer starts each entry with: a raw line break never stands inside a JSON string, so each
// piece starts between two values. Each piece is read on the splitting's pool, a few ahead of
// the reading from the start, which takes a piece's entries when it reaches the piece's start
// inside the list and jumps to the piece's end. A place that turns out not to start an entry of
// the list is read from the start as usual: the pieces change how fast a file is read, never
// what is read from it.
class BackupReadAhead final
{
public:
    BackupReadAhead(
        const BackupSource &source, BackupDecoder::Reading reading, const BackupReader::Splitting &splitting);
    ~BackupReadAhead();
    BackupReadAhead(const BackupReadAhead &) = delete;
    BackupReadAhead &operator=(const BackupReadAhead &) = delete;

    // The piece that starts at `offset`, read; nothing when none starts there or it can't
    // stand for what is there. The pieces before `offset` are let go.
    std::optional<BackupDecoder::Piece> take(qint64 offset);

private:
    void launch();
    // Lets a piece's result go; one still being read is kept until it ends, since it reads
    // from the source.
    void release(size_t piece);

    BackupDecoder::Piece read(qint64 start, qint64 end) const;

    const BackupSource &m_source;
    const BackupDecoder::Reading m_reading;
    const BackupReader::KnownId m_knownId;
    QThreadPool &m_pool;
    const size_t m_ahead;
    std::vector<qint64> m_starts;
    std::vector<QFuture<BackupDecoder::Piece>> m_results;
    std::vector<QFuture<BackupDecoder::Piece>> m_released;
    size_t m_next = 0;
    size_t m_launched = 0;
};
