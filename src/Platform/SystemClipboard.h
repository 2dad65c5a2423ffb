#pragma once

#include "Platform/ClipboardWrite.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <QMimeData>

#include <memory>
#include <optional>

// Whether this application may read the clipboard. X11 has no such permission, so the
// real clipboard is always allowed; the other states exist for tests.
enum class ClipboardAccess { Allowed, NotAsked, Asks, Denied };

// The system clipboard (the CLIPBOARD selection), read by type and written in one step.
// The change count grows by one for every change, whoever made it, including our own writes.
class SystemClipboard
{
public:
    virtual ~SystemClipboard() = default;

    virtual qint64 changeCount() const = 0;
    // The MIME types currently offered.
    virtual QStringList types() const = 0;
    // The plain text, when text is offered.
    virtual std::optional<QString> string() const = 0;
    // The local files offered (text/uri-list, else x-special/gnome-copied-files); other
    // links are left out.
    virtual QList<QUrl> fileUrls() const = 0;
    // The bytes offered under a MIME type; absent when not offered or empty.
    virtual std::optional<QByteArray> data(const QString &mimeType) const = 0;
    virtual ClipboardAccess access() const = 0;
    // Replaces the content with every representation of `data` at once. Gives the change
    // count after the write, or nothing when the system refused it.
    virtual std::optional<qint64> write(std::unique_ptr<QMimeData> data) = 0;
    std::optional<qint64> write(const ClipboardWrite &contents)
    {
        return write(std::unique_ptr<QMimeData>(contents.toMimeData()));
    }

    static QString plainTextType() { return QStringLiteral("text/plain"); }
    static QString uriListType() { return QStringLiteral("text/uri-list"); }
    static QString gnomeCopiedFilesType() { return QStringLiteral("x-special/gnome-copied-files"); }
    // The marker password managers put beside a secret; its value "secret" asks clipboard
    // histories to leave the copy alone.
    static QString passwordManagerHintType() { return QStringLiteral("x-kde-passwordManagerHint"); }

    // Whether the types offer a list of files.
    static bool offersFiles(const QStringList &types);
    // Readings shared by every implementation.
    static std::optional<QString> textIn(const QMimeData &mime);
    static QList<QUrl> fileUrlsIn(const QMimeData &mime);
    static std::optional<QByteArray> dataIn(const QMimeData &mime, const QString &mimeType);
};
