#include "Services/SystemPasteboardWriter.h"

#include "Platform/Pasteboard.h"

bool SystemPasteboardWriter::write(std::unique_ptr<QMimeData> data)
{
    return m_pasteboard.write(std::move(data)).has_value();
}

qint64 SystemPasteboardWriter::changeCount() const
{
    return m_pasteboard.changeCount();
}
