#include "Models/Clipboard/ClipboardKind.h"

namespace ClipboardKinds {

QString storedValue(ClipboardKind kind)
{
    switch (kind) {
    case ClipboardKind::Text:
        return QStringLiteral("text");
    case ClipboardKind::Url:
        return QStringLiteral("url");
    case ClipboardKind::Code:
        return QStringLiteral("code");
    case ClipboardKind::Image:
        return QStringLiteral("image");
    case ClipboardKind::File:
        return QStringLiteral("file");
    }
    return {};
}

std::optional<ClipboardKind> fromStoredValue(const QString &raw)
{
    for (ClipboardKind kind : all) {
        if (storedValue(kind) == raw)
            return kind;
    }
    return std::nullopt;
}

std::optional<ClipboardKind> fromSearchWord(const QString &word)
{
    QString lowered = word.toLower();
    if (lowered.endsWith(QLatin1Char('s')))
        lowered.chop(1);
    if (auto kind = fromStoredValue(lowered))
        return kind;
    for (ClipboardKind kind : all) {
        if (name(kind).toLower() == lowered)
            return kind;
    }
    return std::nullopt;
}

QString name(ClipboardKind kind)
{
    switch (kind) {
    case ClipboardKind::Text:
        return QStringLiteral("Text");
    case ClipboardKind::Url:
        return QStringLiteral("Link");
    case ClipboardKind::Code:
        return QStringLiteral("Code");
    case ClipboardKind::Image:
        return QStringLiteral("Image");
    case ClipboardKind::File:
        return QStringLiteral("File");
    }
    return {};
}

QString systemImage(ClipboardKind kind)
{
    switch (kind) {
    case ClipboardKind::Text:
        return QStringLiteral("text.alignleft");
    case ClipboardKind::Url:
        return QStringLiteral("link");
    case ClipboardKind::Code:
        return QStringLiteral("chevron.left.forwardslash.chevron.right");
    case ClipboardKind::Image:
        return QStringLiteral("photo");
    case ClipboardKind::File:
        return QStringLiteral("doc");
    }
    return {};
}

} // namespace ClipboardKinds
