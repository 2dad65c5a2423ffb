#pragma once

#include "Models/Clipboard/ClipboardCapture.h"
#include "Models/Clipboard/ClipboardContents.h"
#include "Models/Common/Result.h"

#include <QString>

#include <optional>

// Turns one clipboard snapshot into the value the store records.
namespace ClipboardCaptures {

// Files before an image before text. Writes the side files (image, thumbnail, long text) into
// the store `folder`. Nothing when the snapshot holds nothing usable (no files, bytes that are
// no image, blank text); an error when a side file that must exist cannot be written, in which
// case no side file is left behind. Runs off the main thread.
Result<std::optional<ClipboardCapture>> make(const ClipboardContents &contents, const QString &folder);

} // namespace ClipboardCaptures
