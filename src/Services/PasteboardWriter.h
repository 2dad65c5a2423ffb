#pragma once

#include <QMimeData>

#include <memory>

// The side of the system pasteboard the clipboard store writes to when an entry is copied
// back out of the history. The platform pasteboard implements it.
class PasteboardWriter
{
public:
    virtual ~PasteboardWriter() = default;

    // Replaces the pasteboard's whole contents with `data` (clear, then write). False when
    // the pasteboard refused the write.
    virtual bool write(std::unique_ptr<QMimeData> data) = 0;
    // Grows with every change of the pasteboard's contents, our own writes included.
    virtual qint64 changeCount() const = 0;
};
