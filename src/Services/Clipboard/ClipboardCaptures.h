#pragma once

#include "Models/Clipboard/ClipboardCapture.h"
#include "Models/Clipboard/ClipboardContents.h"
#include "Models/Common/Result.h"
#include "Models/Transfer/ExportedClipboardItem.h"
#include "Services/Clipboard/ClipboardFiles.h"

#include <QString>

#include <optional>

// Turns one clipboard snapshot into the value the store records.
namespace ClipboardCaptures {

// Files before an image before text. Writes the side files (image, thumbnail, long text) into
// the store `folder`. Nothing when the snapshot holds nothing usable (no files, bytes that are
// no image, blank text); an error when a side file that must exist cannot be written, in which
// case no side file is left behind. Runs off the main thread.
Result<std::optional<ClipboardCapture>> make(const ClipboardContents &contents, const QString &folder);

// An entry of an export file, with its side files written into the store `folder`. It keeps
// its id, times and copy count; sizes come from what was stored. Nothing for an entry that
// can't be imported (see ExportedClipboardItem::isValid) or image bytes that are no image; an
// error when a side file can't be written. Runs off the main thread.
Result<std::optional<ClipboardCapture>> makeImported(const ExportedClipboardItem &item, const QString &folder,
    ClipboardFiles::FileWrite writing = ClipboardFiles::FileWrite::Replacing);

} // namespace ClipboardCaptures
