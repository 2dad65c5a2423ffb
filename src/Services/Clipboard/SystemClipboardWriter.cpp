#include "Services/Clipboard/SystemClipboardWriter.h"

#include "Platform/SystemClipboard.h"

bool SystemClipboardWriter::write(std::unique_ptr<QMimeData> data)
{
    return m_systemClipboard.write(std::move(data)).has_value();
}

qint64 SystemClipboardWriter::changeCount() const
{
    return m_systemClipboard.changeCount();
}
