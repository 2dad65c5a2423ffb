#pragma once

#include "Services/Clipboard/ClipboardWriter.h"

class SystemClipboard;

// The clipboard store's copy-back, written to the system clipboard.
class SystemClipboardWriter final : public ClipboardWriter
{
public:
    explicit SystemClipboardWriter(SystemClipboard &systemClipboard)
        : m_systemClipboard(systemClipboard)
    {
    }

    bool write(std::unique_ptr<QMimeData> data) override;
    qint64 changeCount() const override;

private:
    SystemClipboard &m_systemClipboard;
};
