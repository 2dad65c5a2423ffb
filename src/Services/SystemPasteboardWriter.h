#pragma once

#include "Services/PasteboardWriter.h"

class Pasteboard;

// The clipboard store's copy-back, written to the system clipboard.
class SystemPasteboardWriter final : public PasteboardWriter
{
public:
    explicit SystemPasteboardWriter(Pasteboard &pasteboard) : m_pasteboard(pasteboard) {}

    bool write(std::unique_ptr<QMimeData> data) override;
    qint64 changeCount() const override;

private:
    Pasteboard &m_pasteboard;
};
