#pragma once

#include "Models/Transfer/ExportedClipboardItem.h"

#include <QString>

#include <optional>

// One clipboard entry waiting to be written: the record without its large bodies, and the
// side files they are read from just before the entry is written.
struct PendingExportItem
{
    ExportedClipboardItem item;
    // The stored image, whose bytes become the entry's image data.
    std::optional<QString> imagePath;
    // The whole text, which replaces the head the record keeps inline.
    std::optional<QString> textPath;
};
