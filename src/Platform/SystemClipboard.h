#pragma once

#include "Platform/ClipboardWrite.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class QMimeData;

// Whether this application may read the clipboard. X11 has no such permission, so the
// real clipboard is always allowed; the other states exist for tests.
enum class ClipboardAccess { Allowed, NotAsked, Asks, Denied };

// The system clipboard (the CLIPBOARD selection), read by type and written in one step.
// The change count grows by one for every change, whoever made it, including our own writes,
// and `changed` follows every step at once: X11 announces each new owner, so nothing needs
// to poll.
class SystemClipboard : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual qint64 changeCount() const = 0;
    // The MIME types currently offered.
    virtual QStringList types() const = 0;
    // The plain text, when text is offered.
    virtual std::optional<QString> string() const = 0;
    // The local files offered (text/uri-list, else x-special/gnome-copied-files); other
    // links, and files on other hosts, are left out.
    virtual QList<QUrl> fileUrls() const = 0;
    // The bytes offered under a MIME type; absent when not offered or empty.
    virtual std::optional<QByteArray> data(const QString &mimeType) const = 0;
    virtual ClipboardAccess access() const = 0;
    // Replaces the content with every representation at once: the one way anything of ours
    // reaches the clipboard. Gives the change count after the write, or nothing when the
    // system refused it.
    virtual std::optional<qint64> write(const ClipboardWrite &contents) = 0;

    static QString plainTextType() { return QStringLiteral("text/plain"); }
    static QString uriListType() { return QStringLiteral("text/uri-list"); }
    static QString gnomeCopiedFilesType() { return ClipboardWrite::gnomeCopiedFilesType(); }
    // The marker password managers put beside a secret; its value "secret" asks clipboard
    // histories to leave the copy alone.
    static QString passwordManagerHintType() { return QStringLiteral("x-kde-passwordManagerHint"); }

    // Whether the types offer a list of files.
    static bool offersFiles(const QStringList &types);
    // Readings shared by every implementation.
    static std::optional<QString> textIn(const QMimeData &mime);
    static QList<QUrl> fileUrlsIn(const QMimeData &mime);
    static std::optional<QByteArray> dataIn(const QMimeData &mime, const QString &mimeType);

Q_SIGNALS:
    // The change count has moved.
    void changed();
};
