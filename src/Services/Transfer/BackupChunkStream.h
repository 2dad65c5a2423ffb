#pragma once

#include <QtGlobal>

#include <cstddef>
#include <vector>

class BackupSource;

// The parser's input on the thread that reads the document from its start, a chunk at a
// time. Like the parser's own file stream, it shows a '\0' once the input is used up; the
// caller checks that every byte was taken, since a '\0' in the input would otherwise pass
// for its end. It can jump ahead, over what the pieces read.
class BackupChunkStream final
{
public:
    using Ch = char;

    explicit BackupChunkStream(const BackupSource &source);

    Ch Peek() const { return *m_current; }
    Ch Take()
    {
        const Ch c = *m_current;
        advance();
        return c;
    }
    size_t Tell() const { return size_t(offset()); }

    // Never called: the parser writes only when it parses in place.
    Ch *PutBegin() { return nullptr; }
    void Put(Ch) { }
    void Flush() { }
    size_t PutEnd(Ch *) { return 0; }

    qint64 offset() const { return m_chunkOffset + (m_current - m_chunkStart); }
    // Goes on reading at `to`, which is not behind the current place.
    void jump(qint64 to);
    // True once every byte of the input was taken.
    bool atEnd() const { return m_eof && m_current == m_last; }
    // True when the source reported an error before its end.
    bool failed() const { return m_failed; }

private:
    static constexpr qint64 chunkSize = qint64(1) << 20;

    void advance()
    {
        if (m_current < m_last)
            ++m_current;
        if (m_current == m_last && !m_eof)
            refill(offset());
    }

    void refill(qint64 at);
    void skipByteOrderMark();

    const BackupSource &m_source;
    std::vector<char> m_storage;
    char *m_chunkStart = nullptr;
    char *m_current = nullptr;
    char *m_last = nullptr;
    qint64 m_chunkOffset = 0;
    bool m_eof = false;
    bool m_failed = false;
};
