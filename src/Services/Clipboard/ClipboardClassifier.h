#pragma once

#include "Models/Clipboard/ClipboardKind.h"

#include <QString>

// Tells from a copied text (and the application it came from) whether the history keeps it as
// a link, as code or as plain text. Pure functions; safe on any thread.
namespace ClipboardClassifier {

// Url when the text is one link; else Code when the application is an editor or terminal or
// the text reads as code; else Text. `text` is the whole copied text, untrimmed.
ClipboardKind kind(const QString &text, const QString &sourceAppId);

// A single web, FTP or mail link (a "www." name with a further dot counts too).
bool isLink(const QString &text);

// Whether the application is a code editor or terminal.
bool isCodeApp(const QString &appId);

// Whether the text is nothing but spaces, tabs and line breaks: no copy worth keeping.
bool isBlankText(const QString &text);

// Whether the text reads as source code or shell commands; looks at no more than the first
// 60 non-blank lines.
bool looksLikeCode(const QString &text);

} // namespace ClipboardClassifier
