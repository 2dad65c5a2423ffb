#include "FakeSystemClipboard.h"

#include "Platform/ClipboardTypes.h"

FakeSystemClipboard::FakeSystemClipboard()
    : m_mime(std::make_unique<QMimeData>())
{
}

void FakeSystemClipboard::startReading(
    quint64 id, qint64 changeCount, const QStringList &mimeTypes, const QStringList &unlessOffered)
{
    ++m_readCount;
    // As from an owner that answers at once; a read for a change that has passed finds nothing.
    ClipboardSnapshot snapshot;
    if (changeCount == m_changeCount)
        snapshot = ClipboardSnapshot::of(*m_mime, mimeTypes, unlessOffered);
    for (auto it = snapshot.data.cbegin(); it != snapshot.data.cend(); ++it)
        m_typesGiven.insert(it.key());
    snapshot.id = id;
    answer(snapshot);
}

// As a real reader does, the answer comes from the event loop, never inside the request.
void FakeSystemClipboard::answer(const ClipboardSnapshot &snapshot)
{
    ++m_pendingReads;
    QMetaObject::invokeMethod(
        this,
        [this, snapshot] {
            --m_pendingReads;
            Q_EMIT contentsRead(snapshot);
        },
        Qt::QueuedConnection);
}

void FakeSystemClipboard::startReadingSelectedText(quint64 id)
{
    ++m_readCount;
    ClipboardSnapshot snapshot;
    snapshot.id = id;
    if (m_selectedText) {
        snapshot.types = QStringList { ClipboardTypes::plainText() };
        snapshot.data.insert(ClipboardTypes::plainText(), m_selectedText->toUtf8());
    }
    answer(snapshot);
}

std::optional<qint64> FakeSystemClipboard::write(const ClipboardWrite &contents)
{
    ++m_writeCount;
    if (m_refusesWrites)
        return std::nullopt;
    copy(contents);
    return m_changeCount;
}

void FakeSystemClipboard::copy(const ClipboardWrite &contents)
{
    copy(std::unique_ptr<QMimeData>(contents.toMimeData()));
}

void FakeSystemClipboard::copy(std::unique_ptr<QMimeData> data)
{
    m_mime = std::move(data);
    ++m_changeCount;
    Q_EMIT changed();
}

void FakeSystemClipboard::copyText(const QString &text)
{
    ClipboardWrite write;
    write.text = text;
    copy(write);
}

void FakeSystemClipboard::clearContents()
{
    m_mime = std::make_unique<QMimeData>();
    ++m_changeCount;
    Q_EMIT changed();
}
