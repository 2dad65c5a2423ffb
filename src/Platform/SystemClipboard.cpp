#include "Platform/SystemClipboard.h"

quint64 SystemClipboard::read(qint64 changeCount, const QStringList &mimeTypes, const QStringList &unlessOffered)
{
    const quint64 id = ++m_lastRead;
    startReading(id, changeCount, mimeTypes, unlessOffered);
    return id;
}

quint64 SystemClipboard::readSelectedText()
{
    const quint64 id = ++m_lastRead;
    startReadingSelectedText(id);
    return id;
}
