#include "Models/Transfer/ExportedClipboardItem.h"

#include "Models/Clipboard/ClipboardKind.h"

bool ExportedClipboardItem::isValid() const
{
    const std::optional<ClipboardKind> kind = ClipboardKinds::fromStoredValue(type);
    if (!kind)
        return false;
    if (*kind == ClipboardKind::Image)
        return imageData.has_value() && !imageData->isEmpty();
    return !content.trimmed().isEmpty();
}
