#pragma once

#include <QMimeData>

#include <memory>

// The side of the system systemClipboard the clipboard store writes to when an entry is copied
// back out of the history. The platform systemClipboard implements it.
class ClipboardWriter
{
public:
    virtual ~ClipboardWriter() = default;

    // Replaces the systemClipboard's whole contents with `data` (clear, then write). False when
    // the systemClipboard refused the write.
    virtual bool write(std::unique_ptr<QMimeData> data) = 0;
    // Grows with every change of the systemClipboard's contents, our own writes included.
    virtual qint64 changeCount() const = 0;
};
