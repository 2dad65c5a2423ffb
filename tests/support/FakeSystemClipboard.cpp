#include "FakeSystemClipboard.h"

FakeSystemClipboard::FakeSystemClipboard()
    : m_mime(std::make_unique<QMimeData>())
{
}

QStringList FakeSystemClipboard::types() const
{
    return m_mime->formats();
}

std::optional<QString> FakeSystemClipboard::string() const
{
    ++m_readCount;
    return textIn(*m_mime);
}

QList<QUrl> FakeSystemClipboard::fileUrls() const
{
    ++m_readCount;
    return fileUrlsIn(*m_mime);
}

std::optional<QByteArray> FakeSystemClipboard::data(const QString &mimeType) const
{
    ++m_readCount;
    return dataIn(*m_mime, mimeType);
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
