#include "Models/Clipboard/ClipboardKind.h"

namespace ClipboardKinds {

QString storedValue(ClipboardKind kind)
{
    return table.storedValue(kind);
}

std::optional<ClipboardKind> fromStoredValue(const QString &raw)
{
    return table.fromStoredValue(raw);
}

std::optional<ClipboardKind> fromSearchWord(const QString &word)
{
    QString lowered = word.toLower();
    if (lowered.endsWith(QLatin1Char('s')))
        lowered.chop(1);
    if (auto kind = fromStoredValue(lowered))
        return kind;
    return table.fromTitle(lowered);
}

QString name(ClipboardKind kind)
{
    return table.title(kind);
}

QString systemImage(ClipboardKind kind)
{
    return table.symbol(kind);
}

} // namespace ClipboardKinds
