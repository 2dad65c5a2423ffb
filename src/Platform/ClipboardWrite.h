#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>
#include <utility>

class QMimeData;

// Everything one write puts on the clipboard at once: the representations replace the
// whole previous content in a single step.
struct ClipboardWrite
{
    // Offered as text/plain (and the X11 string targets).
    std::optional<QString> text;
    // Links, offered as text/uri-list.
    QList<QUrl> urls;
    // Local files, offered as text/uri-list and as x-special/gnome-copied-files so that
    // file managers paste them as files. No text is offered for them.
    QList<QUrl> fileUrls;
    // Any further representation: MIME type and bytes.
    QList<std::pair<QString, QByteArray>> data;

    bool isEmpty() const { return !text && urls.isEmpty() && fileUrls.isEmpty() && data.isEmpty(); }

    // A new QMimeData carrying every representation; the caller owns it.
    QMimeData *toMimeData() const;
};
