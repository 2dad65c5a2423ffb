#include "FakePasteboard.h"

FakePasteboard::FakePasteboard()
    : m_mime(std::make_unique<QMimeData>())
{
}

QStringList FakePasteboard::types() const
{
    return m_mime->formats();
}

std::optional<QString> FakePasteboard::string() const
{
    ++m_readCount;
    return textIn(*m_mime);
}

QList<QUrl> FakePasteboard::fileUrls() const
{
    ++m_readCount;
    return fileUrlsIn(*m_mime);
}

std::optional<QByteArray> FakePasteboard::data(const QString &mimeType) const
{
    ++m_readCount;
    return dataIn(*m_mime, mimeType);
}

std::optional<qint64> FakePasteboard::write(std::unique_ptr<QMimeData> data)
{
    ++m_writeCount;
    if (m_refusesWrites)
        return std::nullopt;
    copy(std::move(data));
    return m_changeCount;
}

void FakePasteboard::copy(const PasteboardWrite &contents)
{
    copy(std::unique_ptr<QMimeData>(contents.toMimeData()));
}

void FakePasteboard::copy(std::unique_ptr<QMimeData> data)
{
    m_mime = std::move(data);
    ++m_changeCount;
}

void FakePasteboard::copyText(const QString &text)
{
    PasteboardWrite write;
    write.text = text;
    copy(write);
}

void FakePasteboard::clearContents()
{
    m_mime = std::make_unique<QMimeData>();
    ++m_changeCount;
}
